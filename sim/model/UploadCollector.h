#pragma once
// The device's side of a USB block upload (firmware 0xC3, backup data 0xC4): it collects the
// numbered packets and, when the last one arrives, judges the transfer. It insists on what a
// device that writes flash between packets needs: one count throughout, packets in order from 1,
// full packets but for the last, correct checksums, and the host's pauses (a long one after the
// first packet, 50 ms after each later one).

#include <QByteArray>
#include <QString>
#include <QtGlobal>
#include <optional>

#include "protocol/Protocol.h"

namespace quorvin {

struct UploadResult {
  std::uint8_t command = 0;
  bool consistent = false;  // whole and consistent: the device may keep it
  QString reason;           // why not, for the log
  QByteArray data;          // what was collected (only meaningful when consistent)
  int packets = 0;          // packets taken in this transfer
};

class UploadCollector {
 public:
  // Jitter between the host's clock and the device's arrival times is forgiven up to this much.
  void SetPauseToleranceMs(int ms) { m_toleranceMs = ms < 0 ? 0 : ms; }
  [[nodiscard]] int PauseToleranceMs() const { return m_toleranceMs; }

  // Takes one upload packet (a whole USB report). Answers the verdict when it was the transfer's
  // last packet.
  [[nodiscard]] std::optional<UploadResult> Take(const Report& report, qint64 nowMs);
  [[nodiscard]] bool InProgress() const { return m_active; }
  void Reset() { m_active = false; }

 private:
  void Begin(std::uint8_t command, int count);
  void Fail(const QString& why);
  void CheckPause(int number, qint64 nowMs);

  int m_toleranceMs = 20;
  bool m_active = false;
  std::uint8_t m_command = 0;
  int m_count = 0;
  int m_next = 1;
  int m_taken = 0;
  int m_prevNumber = 0;
  qint64 m_prevAtMs = 0;
  bool m_ok = true;
  QString m_reason;
  QByteArray m_data;
};

}  // namespace quorvin
