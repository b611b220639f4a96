#pragma once
// Why the repeater or a serial port cannot be used from this account (`quorvinctl doctor`, the
// window's Doctor view), each finding with the exact command that fixes it. The judging is here,
// over what host/SystemProbe gathered, so it runs the same on a made-up system tree as on the
// real one.

#include <QJsonArray>
#include <QString>
#include <optional>
#include <vector>

#include "host/SystemProbe.h"
#include "ops/Language.h"

namespace quorvin {

struct Finding {
  QString check;  // what was checked, in a word scripts may match on: "usb-device", "udev-rule", ...
  bool ok = false;
  QString subject;  // the node, rule file or file concerned; empty when none
  QString what;     // what was found, in the user's language
  QString fix;      // the command or step that fixes it; empty when ok
};

// The file given with --file, as found on disk.
struct FileFacts {
  QString path;
  bool exists = false;
  bool regular = false;
  bool readable = false;
  qint64 size = 0;
};
[[nodiscard]] FileFacts LookAtFile(const QString& path);

// The folder at `path` as the tool would write into it, tried by making a file there.
[[nodiscard]] FolderFacts LookAtFolder(const QString& path);
// What the system says (host/SystemProbe, below `root`), with what only this layer knows added on
// Windows: whether the HID layer starts and whether the tool's folders can be written.
[[nodiscard]] SystemFacts GatherFacts(const QString& root);

[[nodiscard]] std::vector<Finding> Diagnose(const SystemFacts& system, const std::optional<FileFacts>& file,
                                            const Language& lang);

[[nodiscard]] bool AllWell(const std::vector<Finding>& findings);
// One line per finding: "OK       ..." or "PROBLEM  ... Fix: ...".
[[nodiscard]] QString FindingLine(const Finding& f, const Language& lang);
[[nodiscard]] QJsonArray FindingsJson(const std::vector<Finding>& findings);

}  // namespace quorvin
