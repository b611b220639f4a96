#pragma once
// Faults the virtual repeater can be told to show, so every failure path of the tool can be
// driven on purpose: from a test, from quorvin-sim's flags, or from the demo.

namespace quorvin {

// How often a fault still strikes: never, a number of times, or every time.
class FaultCount {
 public:
  FaultCount() = default;
  [[nodiscard]] static FaultCount Never() { return FaultCount(0); }
  [[nodiscard]] static FaultCount Always() { return FaultCount(kAlways); }
  [[nodiscard]] static FaultCount Times(int n) { return FaultCount(n < 0 ? 0 : n); }

  [[nodiscard]] bool Armed() const { return m_left != 0; }
  [[nodiscard]] bool IsAlways() const { return m_left == kAlways; }
  [[nodiscard]] int Left() const { return m_left; }
  // True when the fault strikes this time; uses up one strike.
  bool Strike() {
    if (m_left == 0) return false;
    if (m_left > 0) --m_left;
    return true;
  }

 private:
  static constexpr int kAlways = -1;
  explicit FaultCount(int left) : m_left(left) {}
  int m_left = 0;
};

struct DeviceFaults {
  FaultCount dropReply;        // the reply is never sent
  FaultCount corruptChecksum;  // the reply's checksum is off by one
  FaultCount delayReply;       // the reply comes delayMs late
  int delayMs = 0;
  FaultCount refuse;            // a finished upload is answered with 0xA5 and not stored
  FaultCount quietStatus;       // serial: a finished upload is answered with 0x66 and not stored
  FaultCount strayReply;        // a valid reply to another command comes first
  int stopReadBackAfter = -1;   // a read-back ends after this many packets (-1: never)
  int vanishAfterReports = -1;  // the device goes away once it has taken this many reports (-1: never)
  int vanishAfterSent = -1;     // ... or once it has sent this many (-1: never): unplugged mid-read-back
  int storeFlipOffset = -1;     // a downloaded backup is kept with the byte at this offset inverted (-1: never)
  // Serial timing of a slow adapter or a busy device: each reply starts a random 0..N ms late and
  // its bytes come one by one with random gaps of 0..M ms (0 and 0: whole replies at once).
  int serialReplyDelayMaxMs = 0;
  int serialByteGapMaxMs = 0;
};

}  // namespace quorvin
