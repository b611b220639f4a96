#pragma once
// One run of quorvinctl: the parsed line, the user's language and the terminal feedback, and the
// handlers the command table (Commands.cpp) names. The USB repeater's choice, its lock and the
// `devices` listing live in DeviceCommands.cpp.

#include <unistd.h>

#include <QDateTime>
#include <QJsonObject>
#include <atomic>
#include <functional>
#include <optional>

#include "cli/CliOptions.h"
#include "cli/TerminalFeedback.h"
#include "link/DeviceLock.h"
#include "link/DeviceSelector.h"
#include "link/Language.h"
#include "ops/Operations.h"

namespace quorvin::cli {

void PrintOut(const QString& text);
void PrintJson(const QJsonObject& o);
// `text` for a line of plain output: control characters and other non-printables (a newline, an
// escape sequence, a bidirectional override) written as \xHH or \u{HHHH}, and a backslash doubled,
// so that text from a file can never draw a line of its own.
[[nodiscard]] QString Printable(const QString& text);

class Session {
 public:
  Session(const CliOptions& o, Language lang, std::atomic<bool>& interrupted)
      : m_o(o),
        m_lang(std::move(lang)),
        m_fb({!o.json, o.verbose, isatty(STDERR_FILENO) == 1}, interrupted, m_clock),
        m_start(m_clock.NowMs()),
        m_startedAt(QDateTime::currentDateTimeUtc()) {}

  int Run();

  // The commands, as the table names them.
  int Version();
  int FrequencyGet();
  int FrequencySet();
  int InitButtons();
  int Upgrade();
  int BackupDownload();
  int BackupRead();
  int Devices();
  int Ports();
  int History();
  int RecordReport();
  int Doctor();
  int Snapshot();
  int Snapshots();
  int Restore();
  int UdevRule();
  int Station();

 private:
  using UsbOp = std::function<OpResult(UsbEnv&)>;
  using SerialOp = std::function<OpResult(SerialEnv&, const SerialChoice&)>;
  int OnLink(const UsbOp& usb, const SerialOp& serial);
  int Usb(const UsbOp& op);
  int Serial(const SerialOp& op);
  int Finish(const OpResult& r, bool lineRefused = false);
  int UsbOnly();
  int RefuseFileName();
  int RefuseOptionValue();
  int RefuseSocketVariable(const QString& why);

  // Points `link` at the repeater the line (or QUORVIN_DEVICE) chooses and takes its lock. Nothing
  // when the operation may go ahead; else the exit status of a run that has said why it stopped.
  std::optional<int> ChooseDevice(HidBackend& backend, HidLink& link, DeviceLock& lock);
  // The selector in force: --device, else QUORVIN_DEVICE. Nothing when neither is set; `bad` is set
  // (and the line refused) when the text names no repeater.
  std::optional<DeviceSelector> Selector(QString& bad);
  // Takes the lock of `device` on `backend`, waiting with --wait-lock. Nothing when held.
  std::optional<int> Lock(const HidBackend& backend, const AttachedRepeater& device, DeviceLock& lock);
  // The repeaters as `devices` prints them, one line each, and their --json entries.
  void List(const std::vector<AttachedRepeater>& repeaters);
  // `devices --probe`: the version and frequency of one repeater, read without boxes.
  void Probe(HidBackend& backend, const AttachedRepeater& device, QJsonObject& entry, QString& line);

  const CliOptions& m_o;
  Language m_lang;
  RealClock m_clock;
  TerminalFeedback m_fb;
  qint64 m_start;
  QDateTime m_startedAt;
  QString m_unit;  // the repeater's path or the port, once known: the history names it
  void Record(const OpResult& r, const QString& code);
  std::optional<QString> m_file;  // the FILE once accepted: --json reports it, even when empty
  QJsonObject m_extra;            // the command's own entries in --json's result
  QString m_code;                 // set: --json's "code" in the command's own word
  bool m_suggestDoctor = false;   // the repeater or port could not be opened: doctor finds out why
};

}  // namespace quorvin::cli
