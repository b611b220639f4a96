#pragma once
// The device's side of a serial transfer (firmware 0x61, backup data 0xC4): numbered frames of up
// to 128 data bytes with no reply between them, judged when the packet numbered as the count
// arrives. It insists on what a device writing flash as packets come needs: one count throughout,
// packets in order from 1, full packets but for the last, good checksums, and the host's 20 ms
// pause before each packet.

#include <QByteArray>
#include <QtGlobal>
#include <optional>

#include "protocol/Protocol.h"
#include "sim/model/UploadCollector.h"

namespace quorvin {

class SerialUpload {
 public:
  // Arrival times on a pseudo-terminal jitter with the host's scheduling; a gap this much shorter
  // than the pause is still taken as the pause.
  void SetPauseToleranceMs(int ms) { m_toleranceMs = ms < 0 ? 0 : ms; }

  // Takes one whole frame as it came (55 AA first). Answers the verdict after the last packet.
  [[nodiscard]] std::optional<UploadResult> Take(const QByteArray& frame, bool checksumOk, qint64 nowMs);
  [[nodiscard]] bool InProgress() const { return m_active; }
  void Reset() { m_active = false; }

 private:
  void Fail(const QString& why);

  int m_toleranceMs = 12;
  bool m_active = false;
  std::uint8_t m_command = 0;
  int m_count = 0;
  int m_next = 1;
  int m_taken = 0;
  qint64 m_prevAtMs = 0;
  bool m_ok = true;
  QString m_reason;
  QByteArray m_data;
};

}  // namespace quorvin
