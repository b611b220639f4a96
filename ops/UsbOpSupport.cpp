#include "ops/UsbOpSupport.h"

#include <algorithm>

#include "link/UsbTransaction.h"

namespace quorvin::detail {

bool ExchangeWithProgress(UsbEnv& env, const QString& line, std::span<const std::uint8_t> body) {
  env.fb.ShowProgress();
  env.fb.SetProgressText(line);
  return SendUsbCommand(env.link, true, body.size(), body.data());
}

OpResult RunShortExchange(UsbEnv& env, const ShortExchange& x, std::span<const std::uint8_t> body,
                          const std::function<QString(OpResult&, const Report&)>& onReply) {
  OpResult result;
  if (env.fb.CancelRequested()) {
    result.outcome = Outcome::Interrupted;
    return result;
  }
  if (ExchangeWithProgress(env, x.line, body)) {
    result.outcome = Outcome::Success;
    const QString box = onReply(result, env.link.m_inReport);
    if (!box.isEmpty()) env.fb.MessageBox(box, x.icon);
  } else if (env.fb.CancelRequested()) {
    return StoppedOnRequest(env);
  } else {
    result.detail = x.detail;
    env.fb.MessageBox(x.failure, x.icon);
  }
  env.fb.CloseProgress();
  return result;
}

OpResult StoppedOnRequest(UsbEnv& env) {
  env.fb.CloseProgress();
  OpResult result;
  result.outcome = Outcome::Interrupted;
  result.detail = QStringLiteral("stopped on request");
  return result;
}

bool PauseUnlessCancelled(UsbEnv& env, int ms) {
  constexpr int kSliceMs = 100;
  // Measured against the clock rather than counted in slices, so oversleeping a slice does not
  // stretch the pause the device relies on.
  const qint64 deadline = env.clock.NowMs() + ms;
  for (;;) {
    if (env.fb.CancelRequested()) return false;
    const qint64 left = deadline - env.clock.NowMs();
    if (left <= 0) return true;
    env.clock.SleepMs(static_cast<int>(std::min<qint64>(left, kSliceMs)));
  }
}

OpResult UploadFileWithOutcome(UsbEnv& env, std::uint8_t command, const QString& path, const UploadTexts& texts) {
  OpResult result;
  const UploadEnd end = SendStagedFile(env, command, path, texts.title, &result.bytes);
  switch (end) {
    case UploadEnd::Accepted:
      result.outcome = Outcome::Success;
      env.fb.MessageBox(texts.success, MsgIcon::None);
      return result;
    case UploadEnd::Refused:
    case UploadEnd::Unanswered:
    case UploadEnd::NotSent:
      result.outcome = Outcome::Failed;
      result.detail = end == UploadEnd::NotSent ? QStringLiteral("a packet could not be written to the device")
                      : end == UploadEnd::Refused
                          ? QStringLiteral("the device did not acknowledge the transfer")
                          : QStringLiteral("no reply from the device within %1 ms").arg(kUsbAckTimeoutMs);
      env.fb.MessageBox(texts.failure, MsgIcon::None);
      return result;
    case UploadEnd::TooLarge:
    case UploadEnd::FileError:
      result.outcome = Outcome::FileError;
      result.detail = QStringLiteral("%1 cannot be sent").arg(path);
      return result;
    case UploadEnd::Empty:
      result.outcome = Outcome::FileError;
      result.detail = QStringLiteral("empty file");
      return result;
    case UploadEnd::Interrupted:
      result.outcome = Outcome::Interrupted;
      result.detail = QStringLiteral("stopped on request");
      return result;
  }
  return result;
}

QString TooLargeText(const Language& lang, const QString& path, qint64 maxBytes) {
  if (path.isEmpty())
    return lang.Text(QT_TRANSLATE_NOOP("quorvin", "The data are too large: at most %1 bytes can be sent."))
        .arg(maxBytes);
  return lang.Text(QT_TRANSLATE_NOOP("quorvin", "The file %1 is too large: at most %2 bytes can be sent."))
      .arg(path)
      .arg(maxBytes);
}

}  // namespace quorvin::detail

namespace quorvin {

namespace {
// The system's reason is added on its own line; it is in the system's language, not ours.
QString WithReason(QString text, const QString& reason) {
  if (!reason.isEmpty()) text += QLatin1Char('\n') + reason;
  return text;
}
}  // namespace

QString FileReadMessage(const Language& lang, FileRead status, const QString& path, qint64 maxBytes,
                        const QString& reason) {
  switch (status) {
    case FileRead::Ok:
      return {};
    case FileRead::TooLarge:
      return detail::TooLargeText(lang, path, maxBytes);
    case FileRead::CannotOpen:
      return WithReason(lang.Text(QT_TRANSLATE_NOOP("quorvin", "Cannot open the file %1.")).arg(path), reason);
    case FileRead::ReadFailed:
      return WithReason(lang.Text(QT_TRANSLATE_NOOP("quorvin", "Reading the file %1 failed.")).arg(path), reason);
  }
  return {};
}

QString FileWriteMessage(const Language& lang, const QString& path, const QString& reason) {
  return WithReason(lang.Text(QT_TRANSLATE_NOOP("quorvin", "Cannot write the file %1.")).arg(path), reason);
}

}  // namespace quorvin
