#pragma once
// What the window remembers between runs, in the user's settings (organisation "quorvin",
// application "quorvin-setup": ~/.config/quorvin/quorvin-setup.conf on Linux, the registry under
// HKEY_CURRENT_USER\Software\quorvin\quorvin-setup on Windows). Read and written on the GUI thread.

#include <QByteArray>
#include <QString>
#include <QStringList>

namespace quorvin {

// The file dialogs' operations, each remembering the folder it last used.
enum class FileUseKind { Upgrade, Download, ReadBack, Log, Bundle };

class Settings {
 public:
  // "en", "zh", or empty for the system's language.
  [[nodiscard]] static QString LanguageCode();
  static void SetLanguageCode(const QString& code);

  [[nodiscard]] static QByteArray Geometry();
  [[nodiscard]] static QByteArray WindowState();
  static void SetGeometry(const QByteArray& geometry, const QByteArray& state);

  [[nodiscard]] static QString Folder(FileUseKind use);
  static void SetFolder(FileUseKind use, const QString& folder);

  // The unit chosen last, by identity, so it is chosen again when it comes back.
  [[nodiscard]] static QString LastUnit();
  static void SetLastUnit(const QString& identity);
  [[nodiscard]] static bool SerialLink();
  [[nodiscard]] static QString LastPort();
  [[nodiscard]] static QString LastSpeed();
  static void SetLink(bool serial, const QString& port, const QString& speed);

  // The safety net, on by default but the snapshot (which costs a full read-back each time).
  [[nodiscard]] static bool VerifyAfterDownload();
  static void SetVerifyAfterDownload(bool on);
  [[nodiscard]] static bool SnapshotBeforeChanges();
  static void SetSnapshotBeforeChanges(bool on);
  [[nodiscard]] static bool AskBeforeChanges();
  static void SetAskBeforeChanges(bool on);
  // Units for which a bench repeating the same change asked not to be asked again.
  [[nodiscard]] static bool AskFor(const QString& identity);
  static void StopAskingFor(const QString& identity);
  // Read the version and frequency of a unit as it arrives (a read-only query).
  [[nodiscard]] static bool ProbeOnConnect();
  static void SetProbeOnConnect(bool on);
};

}  // namespace quorvin
