#include "support/ScriptedHid.h"

#include <algorithm>
#include <cstring>

namespace quorvin::test {

namespace {
class ScriptedHandle : public HidHandle {
 public:
  explicit ScriptedHandle(ScriptedHid& hid) : m_hid(hid) { ++m_hid.liveHandles; }
  ~ScriptedHandle() override { --m_hid.liveHandles; }
  HidIo Write(const std::uint8_t* report, std::size_t length, int timeoutMs) override {
    return m_hid.DoWrite(report, length, timeoutMs);
  }
  HidIo Read(std::uint8_t* data, std::size_t capacity, int timeoutMs) override {
    return m_hid.DoRead(data, capacity, timeoutMs);
  }

 private:
  ScriptedHid& m_hid;
};
}  // namespace

Report MakeReport(std::uint8_t direction, std::uint8_t command, const std::vector<std::uint8_t>& payload) {
  Report r{};
  r[1] = kStart1;
  r[2] = kStart2;
  r[3] = direction;
  r[4] = command;
  r[5] = static_cast<std::uint8_t>(payload.size());
  std::copy(payload.begin(), payload.end(), r.begin() + 6);
  r[6 + payload.size()] = static_cast<std::uint8_t>(ComputeChecksum(r.data() + 3, payload.size() + 3));
  return r;
}

void ScriptedHid::QueueFrame(std::uint8_t direction, std::uint8_t command, const std::vector<std::uint8_t>& payload,
                             qint64 delayMs) {
  QueueReply(MakeReport(direction, command, payload), delayMs);
}

HidOpen ScriptedHid::Open(const QString& path, std::unique_ptr<HidHandle>& handle) {
  ++openCount;
  auto it = openResult.find(path);
  const HidOpen result = it == openResult.end() ? HidOpen::Ok : it->second;
  if (result == HidOpen::Ok) handle = std::make_unique<ScriptedHandle>(*this);
  return result;
}

HidIo ScriptedHid::DoWrite(const std::uint8_t* report, std::size_t length, int timeoutMs) {
  if (failWrites > 0) {
    --failWrites;
    m_clock.Advance(timeoutMs);
    return HidIo::Timeout;
  }
  Written w{m_clock.NowMs(), {}};
  std::memcpy(w.report.data(), report, std::min(length, w.report.size()));
  written.push_back(w);
  if (responder) responder(w.report);
  return HidIo::Ok;
}

HidIo ScriptedHid::DoRead(std::uint8_t* data, std::size_t capacity, int timeoutMs) {
  const qint64 now = m_clock.NowMs();
  if (m_replies.empty() || m_replies.front().dueMs > now + timeoutMs) {
    m_clock.Advance(timeoutMs);
    return HidIo::Timeout;
  }
  const Pending p = m_replies.front();
  m_replies.pop_front();
  if (p.dueMs > now) m_clock.Advance(p.dueMs - now);
  std::memcpy(data, p.report.data() + 1, std::min(capacity, p.report.size() - 1));
  return HidIo::Ok;
}

}  // namespace quorvin::test
