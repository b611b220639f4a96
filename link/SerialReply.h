#pragma once
// The receive side of the serial link. The line carries no framing of its own, so a reply is
// whatever came before the line fell silent; the bytes gathered are then checked as one frame:
//   offset 0 55, 1 AA, 2 direction, 3 command, 4 length N, 5.. payload, C-1 checksum
// where C is the number of bytes gathered.

#include <array>
#include <cstdint>
#include <span>

#include "host/Clock.h"
#include "link/LinkEvents.h"
#include "link/SerialPort.h"
#include "protocol/Frame.h"

namespace quorvin {

class SerialReply {
 public:
  static constexpr int kCapacity = 1024;
  enum class Got { Nothing, Bytes, Complete };

  void Clear() {
    m_bytes.fill(0);
    m_count = 0;
    m_fresh = false;
  }

  // One read: lets the host pump its events, then takes what the line brings. A reply is complete
  // once the line falls silent after bytes came, or as soon as exactly `completeAt` bytes (a full
  // frame) are gathered; no read takes bytes beyond that size while it is short of it.
  [[nodiscard]] Got Read(SerialPort& port, LinkEvents& fb, Clock& clock, int completeAt = 0);

  // The last byte gathered is the complement of the 8-bit sum of bytes 2..C-2.
  [[nodiscard]] bool ChecksumHolds() const {
    return m_count >= kFrameOverhead && VerifyChecksum(m_bytes.data() + 2, static_cast<std::size_t>(m_count - 2));
  }
  // The length byte's payload and the checksum lie within the bytes gathered.
  [[nodiscard]] bool LengthFits() const { return m_count >= kFrameOverhead && Length() + kFrameOverhead <= m_count; }
  [[nodiscard]] std::uint8_t Command() const { return m_bytes[3]; }
  [[nodiscard]] int Length() const { return m_bytes[4]; }
  [[nodiscard]] std::span<const std::uint8_t> Body() const {
    return {m_bytes.data() + 5, static_cast<std::size_t>(Length())};
  }

 private:
  std::array<std::uint8_t, kCapacity> m_bytes{};
  int m_count = 0;
  // Bytes came since the reply was last found complete. A reply kept after a check (an unknown
  // status, a chunk of another command) is checked again only once more bytes were added to it.
  bool m_fresh = false;
};

}  // namespace quorvin
