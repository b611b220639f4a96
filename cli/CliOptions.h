#pragma once
// quorvinctl's command line:
//   quorvinctl [--lang zh|en] [--port NAME [--baud 9600|57600|115200]] [--json] [--verbose] COMMAND

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <optional>

namespace quorvin::cli {

// Exit statuses; --help lists them.
enum Exit : int {
  kExitOk = 0,
  kExitFailed = 1,        // the device refused, did not answer, or the transfer failed
  kExitUsage = 2,         // bad usage or invalid input: nothing was sent
  kExitNoDevice = 3,      // no repeater on the USB link, or the serial port could not be opened
  kExitPermission = 4,    // the device or port exists but may not be opened (see udev-rule)
  kExitFile = 5,          // the file could not be read or written, or is too large
  kExitQuiet = 6,         // serial transfer ended without a verdict from the device (status 0x66)
  kExitBusy = 7,          // the device or port is held by another process
  kExitInterrupted = 130  // Ctrl+C
};

struct CliOptions {
  std::optional<bool> english;  // unset: the locale decides
  QString port;                 // empty: USB link
  QString baud = QStringLiteral("115200");
  bool json = false;
  bool verbose = false;
  bool help = false;
  QStringList command;  // the command and its arguments
  // The FILE argument as the system handed it over, before Qt decoded it; set by main().
  QByteArray fileArgBytes;
};

// What can be told from the global options even on a line ParseCli refuses.
struct GlobalOptionScan {
  bool json = false;
  QString command;  // the first word after the options, if any
};

// Parses argv (without the program name). On a usage error returns nothing and sets `error`.
[[nodiscard]] std::optional<CliOptions> ParseCli(const QStringList& args, QString* error);
[[nodiscard]] GlobalOptionScan ScanGlobalOptions(const QStringList& args);
[[nodiscard]] QString UsageText();

}  // namespace quorvin::cli
