#pragma once
// quorvinctl's command line:
//   quorvinctl [--lang zh|en] [--port NAME [--baud 9600|57600|115200]] [--device SELECTOR] [--wait-lock]
//              [--json] [--verbose] COMMAND
// It is declared once, in two tables: the global options (CliOptions.cpp) and the commands
// (Commands.cpp, beside their handlers). The parser, the usage text and the --json object of a
// refused line are all driven by them, so a command or option added there is known everywhere.

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <optional>
#include <vector>

namespace quorvin::cli {

// Exit statuses; --help lists them.
enum Exit : int {
  kExitOk = 0,
  kExitFailed = 1,        // the device refused, did not answer, or the transfer failed
  kExitUsage = 2,         // bad usage or invalid input: nothing was sent
  kExitNoDevice = 3,      // no repeater on the USB link (or no HID layer), or the serial port could not be opened
  kExitPermission = 4,    // the device or port exists but may not be opened (see udev-rule)
  kExitFile = 5,          // the file could not be read or written, or is too large
  kExitQuiet = 6,         // serial transfer ended without a verdict from the device (status 0x66)
  kExitBusy = 7,          // the device or port is held by another process
  kExitInterrupted = 130  // Ctrl+C
};

class Session;  // runs a parsed command (Commands.cpp)

// What follows a command's words.
enum class Argument { None, Hz, File, Snapshot };

// How a command treats the link --port chooses.
enum class LinkUse {
  None,         // uses no link at all: --json names none
  UsbOnly,      // refused with --port
  UsbOrSerial,  // the serial port with --port, else USB
  UsbListing,   // looks at USB whatever --port says; --json names the link --port chose, as it always has
};

struct Command {
  QStringList words;  // "backup", "read"
  Argument argument;
  LinkUse link;
  QString operation;  // its name in --json; scripts match on it
  QString help;       // its line in the usage
  int (Session::*run)();
  QStringList flags = {};  // the command's own switches after its argument: "--verify", "--since DATE"
  [[nodiscard]] bool TakesFile() const { return argument == Argument::File; }
};

[[nodiscard]] const std::vector<Command>& CommandTable();

struct CliOptions {
  std::optional<QString> language;  // --lang: "zh" or "en"; unset: the locale decides
  QString port;                     // empty: USB link
  QString baud = QStringLiteral("115200");
  std::optional<QString> device;  // --device SELECTOR: which repeater; unset: $QUORVIN_DEVICE, else the only one
  bool waitLock = false;          // --wait-lock: wait while another process drives the repeater
  bool json = false;
  bool verbose = false;
  bool help = false;
  QString record;  // --record FILE
  bool verify = false;
  bool snapshot = false;          // upgrade, backup download, init-buttons, frequency set ... --snapshot
  bool force = false;             // restore ... --force            // backup download ... --verify
  QString report;                 // --report: the station's report file
  bool askId = false;             // --ask-id: the station asks for each unit's id
  QString since;                  // history --since DATE
  QString checkFile;              // doctor --file FILE
  QStringList command;            // the words after the options: the command and its argument
  const Command* what = nullptr;  // the command they name; unset on --help or a refused line
  // Why the line is refused; empty when it is not. A refused line still tells `json` and `command`,
  // so that a script asking for --json gets its object even when the rest of the line is wrong.
  QString error;
  // The FILE argument as the system handed it over, before Qt decoded it; set by main().
  QByteArray fileArgBytes;
  // The first option (--report, --since, ...) whose value was not valid UTF-8 as handed over: Qt
  // would have read it as another text. Empty when there is none; the run refuses the line.
  QString notUtf8Option;
  // How many words at the end of the line are the command's switches (after its FILE).
  int flagWords = 0;
};

// Parses argv (without the program name); `raw`, when given, holds the same arguments as the
// system handed them over, for telling values that are not valid UTF-8.
[[nodiscard]] CliOptions ParseCli(const QStringList& args, const QList<QByteArray>& raw = {});
[[nodiscard]] QString UsageText();

}  // namespace quorvin::cli
