#pragma once
// The protocol's three kinds of work are written once, in Engine.cpp: an image sent as numbered
// packets and closed by one verdict, the backup read back packet by packet into a file, and a
// request answered by one reply. A Transport is what one link adds to them: its framing, its pauses
// and time-outs, the serial line's silence rule, and the progress lines and ends its users know.
// Both links' operations (UsbOperations.cpp, SerialOperations.cpp) are those three plus texts.

#include <QByteArray>
#include <QString>
#include <cstdint>
#include <functional>
#include <span>

#include "host/InputFile.h"
#include "ops/Channel.h"
#include "ops/OpResult.h"
#include "protocol/Protocol.h"
#include "protocol/VersionText.h"

namespace quorvin {

// How a step on the link ended: done, failed (with a fault), or stopped on the host's request.
struct Step {
  Fault fault = Fault::None;
  bool stopped = false;
  QString detail;  // with a failure: why, in English
  [[nodiscard]] bool Done() const { return fault == Fault::None && !stopped; }
  static Step Stop() { return {Fault::None, true, {}}; }
  static Step Fail(Fault f, QString why) { return {f, false, std::move(why)}; }
};

// The transfer's closing verdict.
enum class Verdict { Accepted, Refused, Unanswered, Quiet, Stopped };

// One read-back packet as the link delivered it.
struct Packet {
  PacketHeader header;
  const std::uint8_t* data = nullptr;
  int bytes = 0;
};

// A reply's payload (after the length byte), at most its length byte long.
using Payload = std::span<const std::uint8_t>;

// What one upload says on one link.
struct UploadTexts {
  std::function<QString(int count, int k)> line;  // while packet k of count is out
  QString title;                                  // the start of the USB end lines
  QString success;
  QString failure;
};

// What one request/reply exchange says on one link.
struct ExchangeTexts {
  QString line;     // the progress line while the request is out
  QString failure;  // the box when no valid reply came
  MsgIcon icon = MsgIcon::None;
};

class Transport {
 public:
  Transport(Feedback& fb, Clock& clock, Language lang) : fb(fb), clock(clock), lang(std::move(lang)) {}
  virtual ~Transport() = default;
  Transport(const Transport&) = delete;
  Transport& operator=(const Transport&) = delete;

  Feedback& fb;
  Clock& clock;
  const Language lang;
  qint64 bytes = 0;  // data bytes sent or received so far: a cut-short transfer still says how many

  // --- Block upload ---
  [[nodiscard]] virtual qint64 MaxImage() const = 0;
  [[nodiscard]] virtual int PacketData(std::uint8_t command) const = 0;
  // Sends packet k of count with the link's pauses around it.
  [[nodiscard]] virtual Step SendPacket(std::uint8_t command, int count, int k, std::span<const std::uint8_t> data) = 0;
  // The progress line and bar once packet k went out.
  virtual void ShowPacketSent(const UploadTexts& t, int count, int k) = 0;
  [[nodiscard]] virtual Verdict AwaitVerdict(std::uint8_t command, int count, QString& why) = 0;
  // What the link shows between the verdict and the outcome box.
  virtual void ShowVerdict(const UploadTexts& /*t*/, Verdict /*v*/) {}

  // --- Read-back ---
  [[nodiscard]] virtual Step RequestReadBack() = 0;
  // The next packet, `expected` from 1; continuity is the engine's to judge.
  [[nodiscard]] virtual Step NextPacket(int expected, Packet& packet) = 0;
  virtual void ShowPacketReceived(int count, int k) = 0;
  // A read-back that failed on the device's side: the link's last line and boxes before the outcome.
  virtual void ShowReadBackFailure(const Step& /*failure*/) {}
  virtual void ShowReadBackComplete() {}

  // --- Request and reply ---
  // Sends the request behind `line` and leaves the valid reply's payload in `reply`.
  [[nodiscard]] virtual Step Ask(std::uint8_t command, std::span<const std::uint8_t> payload, const QString& line,
                                 Payload& reply) = 0;
  // Whether a failed exchange's box comes before the progress window closes.
  [[nodiscard]] virtual bool FailureBoxFirst() const = 0;

  // --- Presentation both links share ---
  void ShowProgress() {
    fb.ShowProgress();
    m_progressShown = true;
  }
  void ShowProgress(int range) {
    ShowProgress();
    fb.SetProgressRange(range);
  }
  void CloseProgress() {
    if (!m_progressShown) return;
    fb.CloseProgress();
    m_progressShown = false;
  }
  // An empty text means no box.
  void CloseThenBox(const QString& text, MsgIcon icon = MsgIcon::None) {
    CloseProgress();
    if (!text.isEmpty()) fb.MessageBox(text, icon);
  }
  void BoxThenClose(const QString& text, MsgIcon icon = MsgIcon::None) {
    if (!text.isEmpty()) fb.MessageBox(text, icon);
    CloseProgress();
  }
  // Shows `line` for a second, then closes the progress window.
  void EndLine(const QString& line) {
    fb.SetProgressText(line);
    clock.SleepMs(kEndLineMs);
    CloseProgress();
  }
  // Waits `ms`, looking for a stop request at least every 100 ms; false when one came. Measured
  // against the clock, so oversleeping a slice does not stretch the pause the device relies on.
  [[nodiscard]] bool Pause(int ms);
  [[nodiscard]] bool ProgressShown() const { return m_progressShown; }

 private:
  bool m_progressShown = false;
};

namespace engine {

// The three kinds of work. `texts` are the link's; the result carries the fault and, for uploads
// and read-backs, the data bytes that went through.
[[nodiscard]] OpResult UploadFile(Transport& ch, std::uint8_t command, const QString& path, const UploadTexts& texts);
[[nodiscard]] OpResult UploadImage(Transport& ch, std::uint8_t command, const QByteArray& image,
                                   const UploadTexts& texts);
struct ReadBackTexts {
  QString success;
  QString failure;           // the device's side failed
  QString afterFileFailure;  // after the file's own message, when the data came but could not be kept
};
[[nodiscard]] OpResult ReadBackToFile(Transport& ch, const QString& path, const ReadBackTexts& texts);
// Reads the backup back and compares it with `expected` byte by byte.
[[nodiscard]] OpResult VerifyBackup(Transport& ch, const QByteArray& expected);
// On a valid reply `onReply` fills the result and answers the success box's text (empty: none).
[[nodiscard]] OpResult Exchange(Transport& ch, std::uint8_t command, std::span<const std::uint8_t> payload,
                                const ExchangeTexts& texts, const std::function<QString(OpResult&, Payload)>& onReply);

}  // namespace engine

}  // namespace quorvin
