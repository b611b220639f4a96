#pragma once
// quorvinctl's grammar, declared once, in two tables (Grammar.cpp): the options, each a typed row
// that says where it is written, whether it takes a value and which CliOptions field it sets; and
// the commands, each naming its handler and the switches it takes. The parser (CliOptions.cpp),
// the usage text and the answer to a refused line (Usage.cpp) are all driven by them, so an
// option, switch or command added there is known everywhere.

#include <QString>
#include <QStringList>
#include <optional>
#include <variant>
#include <vector>

#include "cli/CliOptions.h"

namespace quorvin::cli {

class Session;  // runs a parsed command (Session.cpp)

// What follows a command's words.
enum class Argument { None, Hz, File, Snapshot };

// How a command treats the link --port chooses.
enum class LinkUse {
  None,         // uses no link at all: --json names none
  UsbOnly,      // refused with --port
  UsbOrSerial,  // the serial port with --port, else USB
  UsbListing,   // looks at USB whatever --port says; --json still names the link --port chose
};

// A command's own switches, written after it: the commands name the ones they take.
enum class Switch { Verify, Snapshot, Force, Since, File, Probe };

// The CliOptions member an option sets: a flag for an option without a value, else its text.
using Field = std::variant<bool CliOptions::*, QString CliOptions::*, std::optional<QString> CliOptions::*>;

struct Option {
  QString name;        // "--baud"
  QString value = {};  // what its value is called in the usage ("N"); empty: it takes none
  Field field;
  QString help = {};  // its lines in the usage; empty: not listed
  // Set: a command's switch, written after the command. Unset: an option, written before it.
  std::optional<Switch> of = std::nullopt;
  QStringList allowed = {};  // the values it takes; empty: any
  QString nonEmpty = {};     // set: an empty value is refused as "NAME needs <nonEmpty>"
  QString needs = {};        // another option it works only with
  QString onlyWith = {};     // set: the one command (its operation) it works with
  bool required = false;     // with `onlyWith`: that command needs it
  [[nodiscard]] bool TakesValue() const { return !value.isEmpty(); }
};

struct Command {
  QStringList words;  // "backup", "read"
  Argument argument;
  LinkUse link;
  QString operation;  // its name in --json; scripts match on it
  QString help;       // its line in the usage
  int (Session::*run)();
  std::vector<Switch> switches = {};  // the command's own switches, after its argument
  [[nodiscard]] bool TakesFile() const { return argument == Argument::File; }
  [[nodiscard]] bool Takes(Switch s) const;
};

// The order of each is the usage's.
[[nodiscard]] const std::vector<Option>& OptionTable();
[[nodiscard]] const std::vector<Command>& CommandTable();

[[nodiscard]] const Option* FindOption(const QString& name);
[[nodiscard]] const Option& SwitchRow(Switch s);
// The commands that take the switch, in the table's order.
[[nodiscard]] std::vector<const Command*> CommandsTaking(Switch s);
// "HZ", "FILE", "SNAPSHOT"; empty for none.
[[nodiscard]] QString ArgumentName(Argument a);
// "zh or en", "9600, 57600 or 115200"
[[nodiscard]] QString OneOf(const QStringList& values);

}  // namespace quorvin::cli
