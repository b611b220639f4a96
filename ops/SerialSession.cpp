#include "ops/SerialSession.h"

#include "link/SerialPort.h"

namespace quorvin {

QString SerialReceiveOkText(const Language& lang) {
  return lang.Text(QT_TRANSLATE_NOOP("quorvin", "Receive successful !"));
}

QString SerialErrorDataText(const Language& lang) {
  return lang.Text(QT_TRANSLATE_NOOP("quorvin", "Return error data !"));
}

namespace {
OpResult Result(Outcome outcome, const QString& detail) {
  OpResult result;
  result.outcome = outcome;
  result.detail = detail;
  return result;
}
}  // namespace

SerialSession::~SerialSession() { m_env.port.Close(); }

void SerialSession::ShowProgress() {
  m_env.fb.ShowProgress();
  m_progressShown = true;
}

void SerialSession::CloseProgress() {
  if (!m_progressShown) return;
  m_env.fb.CloseProgress();
  m_progressShown = false;
}

void SerialSession::WriteFrame(const QByteArray& frame) {
  m_env.fb.Trace(TraceDir::Out, reinterpret_cast<const std::uint8_t*>(frame.constData()),
                 static_cast<std::size_t>(frame.size()));
  m_env.port.Write(frame.constData(), frame.size());
}

OpResult SerialSession::End(Outcome outcome, const QString& box, const QString& detail) {
  CloseProgress();
  m_env.fb.MessageBox(box, MsgIcon::None);
  m_env.port.Close();
  return Result(outcome, detail);
}

OpResult SerialSession::EndBoxFirst(Outcome outcome, const QString& box, const QString& detail) {
  m_env.fb.MessageBox(box, MsgIcon::None);
  CloseProgress();
  m_env.port.Close();
  return Result(outcome, detail);
}

OpResult SerialSession::EndSilently(Outcome outcome, const QString& detail) {
  CloseProgress();
  m_env.port.Close();
  return Result(outcome, detail);
}

OpResult RunSerialOperation(SerialEnv& env, const SerialChoice& choice,
                            const std::function<OpResult(SerialSession&)>& body) {
  QString why;
  LinkFault fault = LinkFault::None;
  switch (OpenSerialPort(env.port, choice, env.fb, env.lang, &why, &fault)) {
    case SerialOpen::NotStarted:
      return Result(Outcome::NotStarted, QStringLiteral("no serial port or speed chosen"));
    case SerialOpen::Failed: {
      OpResult result = Result(Outcome::Failed, QStringLiteral("the serial port could not be opened: ") + why);
      result.linkFault = fault;
      return result;
    }
    case SerialOpen::Opened:
      break;
  }
  SerialSession session(env);
  // The operation runs on a worker thread: an exception leaving it would end the program. A port
  // that fails mid-transfer is shown with the system's own words, and the operation ends clean.
  try {
    return body(session);
  } catch (const CSerialException& e) {
    const QString text = e.GetErrorText();
    const QString box = e.Fault() == SerialFault::HungUp
                            ? env.lang.Text(QT_TRANSLATE_NOOP(
                                  "quorvin", "The serial port is no longer available (device removed or line hung up)"))
                            : text;
    return session.End(Outcome::Failed, box, QStringLiteral("serial port failure: ") + text);
  } catch (const std::exception& e) {
    const QString text = QString::fromLocal8Bit(e.what());
    return session.End(Outcome::Failed, text, QStringLiteral("failure: ") + text);
  }
}

}  // namespace quorvin
