#include "link/UsbTransaction.h"

#include <algorithm>

namespace quorvin {

TxEnd SendUsbCommand(HidLink& link, bool expectReply, std::size_t bodyLength, const std::uint8_t* body) {
  if (bodyLength > kMaxUsbBody || (bodyLength > 0 && body == nullptr)) return TxEnd::BadBody;
  link.Out().fill(0);
  link.Out()[1] = kStart1;
  link.Out()[2] = kStart2;
  std::copy_n(body, bodyLength, link.Out().begin() + 3);

  bool written = false;
  for (int attempt = 0; attempt < kWriteAttempts && !written; ++attempt) written = link.WriteOutputReport();
  if (!written) return TxEnd::NotWritten;
  if (!expectReply) return TxEnd::Ok;

  const std::uint8_t command = link.Out()[4];
  // Replies to other commands are skipped, each read with its own second, but only within one
  // overall window: a device that keeps answering something else must not hold the operation (and
  // a window waiting to close) for ever.
  Clock& clock = link.GetClock();
  const qint64 deadline = clock.NowMs() + kReplyWindowMs;
  for (;;) {
    const qint64 left = deadline - clock.NowMs();
    if (left <= 0 || !link.ReadInputReport(static_cast<int>(std::min<qint64>(left, kReplyTimeoutMs))))
      return link.Events().CancelRequested() ? TxEnd::Stopped : TxEnd::NoReply;
    switch (CheckUsbReply(link.In(), command)) {
      case ReplyCheck::Valid:
        return TxEnd::Ok;
      case ReplyCheck::OtherCommand:
        continue;  // a late reply to something else
      case ReplyCheck::Bad:
        return TxEnd::BadReply;
    }
  }
}

}  // namespace quorvin
