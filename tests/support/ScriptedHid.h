#pragma once
// A fake HID backend for unit tests, on a VirtualClock. Tests list the present interfaces, decide
// how opens end, and script the device: a responder sees every written report and queues replies
// at chosen times. Reads advance the clock to the reply or by the whole time-out.

#include <deque>
#include <functional>
#include <map>
#include <vector>

#include "host/Clock.h"
#include "link/HidBackend.h"
#include "protocol/Frame.h"

namespace quorvin::test {

struct Written {
  qint64 atMs;
  Report report;
};

class ScriptedHid : public HidBackend {
 public:
  explicit ScriptedHid(VirtualClock& clock) : m_clock(clock) {}

  // Present interfaces; by default one repeater at "/dev/hidraw0".
  std::vector<HidDeviceInfo> devices{{QStringLiteral("/dev/hidraw0"), 0x0483, 0x1234, true, {}, {}}};
  std::map<QString, HidOpen> openResult;  // default Ok
  bool started = true;                    // false: the platform's HID layer did not start
  int enumerateCount = 0;
  int openCount = 0;
  int liveHandles = 0;

  // Writes that fail (time out) before writes succeed again.
  int failWrites = 0;
  // Called for every report written; queue replies from here.
  std::function<void(const Report&)> responder;

  void QueueReply(const Report& report, qint64 delayMs = 0) {
    m_replies.push_back({m_clock.NowMs() + delayMs, report});
  }
  void QueueFrame(std::uint8_t direction, std::uint8_t command, const std::vector<std::uint8_t>& payload,
                  qint64 delayMs = 0);
  void ClearReplies() { m_replies.clear(); }
  [[nodiscard]] std::size_t PendingReplies() const { return m_replies.size(); }
  std::vector<Written> written;

  std::vector<HidDeviceInfo> Enumerate() override {
    ++enumerateCount;
    return devices;
  }
  HidOpen Open(const QString& path, std::unique_ptr<HidHandle>& handle) override;
  QString Name() const override { return QStringLiteral("scripted"); }
  bool SharedWithOtherProcesses() const override { return false; }
  bool Started() const override { return started; }

  // The handle side.
  HidIo DoWrite(const std::uint8_t* report, std::size_t length, int timeoutMs);
  HidIo DoRead(std::uint8_t* data, std::size_t capacity, int timeoutMs);

  VirtualClock& clock() { return m_clock; }

 private:
  struct Pending {
    qint64 dueMs;
    Report report;
  };
  VirtualClock& m_clock;
  std::deque<Pending> m_replies;
};

// A reply report: 00 55 AA dir cmd len payload checksum, zero-filled.
Report MakeReport(std::uint8_t direction, std::uint8_t command, const std::vector<std::uint8_t>& payload);

}  // namespace quorvin::test
