#pragma once
// The device's side of a block upload on either link (USB: firmware 0xC3, backup data 0xC4;
// serial: firmware 0x61, backup data 0xC4): it collects the numbered packets and, when the last one
// arrives, judges the transfer. It insists on what a device that writes flash between packets
// needs: one count throughout, packets in order from 1, full packets but for the last, correct
// checksums, and the host's pauses as the link's pace in protocol/Protocol.h gives them (a long
// one after the first USB packet, 50 ms after each later one; 20 ms before every serial packet).
// The links differ only in how a packet is framed, which UploadPacket reads.

#include <QByteArray>
#include <QString>
#include <QtGlobal>
#include <optional>

#include "protocol/Protocol.h"
#include "sim/model/UploadPacket.h"

namespace quorvin {

struct UploadResult {
  std::uint8_t command = 0;
  bool consistent = false;  // whole and consistent: the device may keep it
  QString reason;           // why not, for the log
  QByteArray data;          // what was collected (only when consistent)
  int packets = 0;          // packets taken in this transfer
};

class UploadCollector {
 public:
  // Arrival times jitter with the host's and the sim's scheduling (on a pseudo-terminal, and on
  // a socket without arrival stamps); a gap this much shorter than the pause still counts as the
  // pause. Below the shortest pause (the serial 20 ms), so a host that does not pause at all is
  // still caught on both links.
  static constexpr int kDefaultPauseToleranceMs = 12;

  void SetPauseToleranceMs(int ms) { m_toleranceMs = ms < 0 ? 0 : ms; }
  [[nodiscard]] int PauseToleranceMs() const { return m_toleranceMs; }

  // Takes one upload packet. Answers the verdict when it was the transfer's last packet.
  [[nodiscard]] std::optional<UploadResult> Take(const UploadPacket& packet, qint64 nowMs);
  [[nodiscard]] bool InProgress() const { return m_active; }
  void Reset() { m_active = false; }

 private:
  void Begin(const UploadPacket& packet, int count);
  void Fail(const QString& why);
  void Check(const UploadPacket& packet, int count, int number, qint64 nowMs);

  int m_toleranceMs = kDefaultPauseToleranceMs;
  bool m_active = false;
  std::uint8_t m_command = 0;
  UploadPace m_pace{};
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
