#pragma once
// The receive side of the serial operations. The line carries no framing of its own, so a reply
// is whatever came before the line fell silent; the bytes gathered are then checked as one frame:
//   offset 0 55, 1 AA, 2 direction, 3 command, 4 length N, 5.. payload, C-1 checksum
// where C is the number of bytes gathered.

#include <array>
#include <cstdint>

#include "ops/SerialSession.h"

namespace quorvin {

class SerialReply {
 public:
  static constexpr int kCapacity = 1024;

  enum class Step {
    Waiting,   // nothing new: the line is quiet and no reply is pending
    Got,       // bytes came; the reply may go on
    Complete,  // bytes came and then the line fell silent (or the wanted size was reached)
  };

  // Zeroes the buffer and forgets what was gathered.
  void Clear();
  // One read: lets the host pump its events, then reads what the line brings. With completeAt > 0
  // the reply also counts as complete as soon as exactly that many bytes are gathered (a full
  // frame), and no read takes bytes beyond that size while it is short of it.
  [[nodiscard]] Step Read(SerialSession& session, int completeAt = 0);

  [[nodiscard]] int Count() const { return m_count; }
  [[nodiscard]] std::uint8_t At(int i) const { return m_bytes[static_cast<std::size_t>(i)]; }
  [[nodiscard]] const std::uint8_t* Data() const { return m_bytes.data(); }

  // The last byte gathered is the complement of the 8-bit sum of bytes 2..C-2. Fewer bytes than
  // the smallest frame never hold.
  [[nodiscard]] bool ChecksumHolds() const;
  // The length byte's payload and the checksum lie within the bytes gathered.
  [[nodiscard]] bool LengthFits() const;
  [[nodiscard]] std::uint8_t Command() const { return m_bytes[3]; }
  [[nodiscard]] int Length() const { return m_bytes[4]; }

 private:
  std::array<std::uint8_t, kCapacity> m_bytes{};
  int m_count = 0;
  // Bytes came since the reply was last found complete. A reply kept after a check (an unknown
  // status, a chunk of another command) is checked again only once more bytes were added to it.
  bool m_fresh = false;
};

}  // namespace quorvin
