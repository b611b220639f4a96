#pragma once
// One run of quorvinctl: the parsed line, the user's language and the terminal feedback, and the
// handlers the command table (Grammar.cpp) names. Every command that drives a repeater goes
// through the run policy (front/RunPolicy.h) in OnUnit (Session.cpp); what it refused is told in
// DeviceCommands.cpp, with the `devices` listing. The other commands are in files by what they
// are about: UnitCommands, SnapshotCommands, FileCommands, SystemCommands, StationCommand.

#include <QDateTime>
#include <QJsonObject>
#include <atomic>
#include <functional>
#include <optional>

#include "cli/CliOptions.h"
#include "cli/Output.h"
#include "cli/Terminal.h"
#include "cli/TerminalFeedback.h"
#include "front/RunPolicy.h"
#include "link/DeviceSelector.h"
#include "ops/Language.h"
#include "ops/Operations.h"

namespace quorvin::cli {

// Runs the parsed command; answers the exit status.
[[nodiscard]] int RunCommand(const CliOptions& options, const Language& lang, std::atomic<bool>& interrupted);

class Session {
 public:
  Session(const CliOptions& o, Language lang, std::atomic<bool>& interrupted)
      : m_o(o),
        m_lang(std::move(lang)),
        m_fb({!o.json, o.verbose, StandardErrorIsTerminal()}, interrupted, m_clock),
        m_start(m_clock.NowMs()) {}

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
  using Op = std::function<OpResult(Channel&)>;
  // Runs `op` on the repeater (or the serial port) the line chooses, through the run policy, and
  // ends the run: the refusals told, the outcome printed, the exit status answered. `use` says
  // what the operation does with the FILE, for the history.
  // `snapshotFirst`: the command's own snapshot (`snapshot`), whatever --snapshot says.
  int OnUnit(const Op& op, FileUse use = FileUse::None, bool snapshotFirst = false);
  // What the policy refused or could not write, told in the user's language.
  void Tell(const RunReport& report);
  void WarnHistory(const FileProblem& problem);
  int Finish(const OpResult& r, bool lineRefused = false);
  int UsbOnly();
  int RefuseFileName();
  int RefuseOptionValue();
  int RefuseSocketVariable(const QString& why);

  // The target the line chooses: --port, else USB with --device or QUORVIN_DEVICE. Nothing, after
  // the line has been refused with its exit status in `refused`, when the selector names nothing.
  std::optional<Target> ChooseTarget(int& refused);
  // The selector in force: --device, else QUORVIN_DEVICE. Nothing when neither is set; `bad` is set
  // (and the line refused) when the text names no repeater.
  std::optional<DeviceSelector> Selector(QString& bad);
  // The repeaters as `devices` prints them, one line each, and their --json entries.
  void List(const std::vector<AttachedRepeater>& repeaters);
  // `devices --probe`: the version and frequency of one repeater, read without boxes.
  void Probe(HidBackend& backend, const AttachedRepeater& device, QJsonObject& entry, QString& line);
  // The selector text as the user gave it, for messages.
  [[nodiscard]] QString SelectorText() const;

  const CliOptions& m_o;
  Language m_lang;
  RealClock m_clock;
  TerminalFeedback m_fb;
  qint64 m_start;
  std::optional<QString> m_file;  // the FILE once accepted: --json reports it, even when empty
  QJsonObject m_extra;            // the command's own entries in --json's result
  QString m_code;                 // set: --json's "code" in the command's own word
  UnitClaim* m_claim = nullptr;   // while OnUnit runs: the unit the operation drives
  bool m_ran = false;             // the run policy took the run (and wrote its history line)
  bool m_suggestDoctor = false;   // the repeater or port could not be opened: doctor finds out why
};

}  // namespace quorvin::cli
