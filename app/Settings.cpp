#include "app/Settings.h"

#include <QSettings>

namespace quorvin {

namespace {

QSettings Store() {
  return QSettings(QSettings::NativeFormat, QSettings::UserScope, QStringLiteral("quorvin"),
                   QStringLiteral("quorvin-setup"));
}

QString FolderKey(FileUseKind use) {
  switch (use) {
    case FileUseKind::Upgrade:
      return QStringLiteral("folders/upgrade");
    case FileUseKind::Download:
      return QStringLiteral("folders/download");
    case FileUseKind::ReadBack:
      return QStringLiteral("folders/readBack");
    case FileUseKind::Log:
      return QStringLiteral("folders/log");
    case FileUseKind::Bundle:
      return QStringLiteral("folders/bundle");
  }
  return {};
}

bool Flag(const char* key, bool fallback) { return Store().value(QLatin1String(key), fallback).toBool(); }
void SetFlag(const char* key, bool on) { Store().setValue(QLatin1String(key), on); }

}  // namespace

QString Settings::LanguageCode() { return Store().value(QStringLiteral("language")).toString(); }
void Settings::SetLanguageCode(const QString& code) { Store().setValue(QStringLiteral("language"), code); }

QByteArray Settings::Geometry() { return Store().value(QStringLiteral("window/geometry")).toByteArray(); }
QByteArray Settings::WindowState() { return Store().value(QStringLiteral("window/state")).toByteArray(); }
void Settings::SetGeometry(const QByteArray& geometry, const QByteArray& state) {
  QSettings s = Store();
  s.setValue(QStringLiteral("window/geometry"), geometry);
  s.setValue(QStringLiteral("window/state"), state);
}

QString Settings::Folder(FileUseKind use) { return Store().value(FolderKey(use)).toString(); }
void Settings::SetFolder(FileUseKind use, const QString& folder) { Store().setValue(FolderKey(use), folder); }

QString Settings::LastUnit() { return Store().value(QStringLiteral("unit/last")).toString(); }
void Settings::SetLastUnit(const QString& identity) { Store().setValue(QStringLiteral("unit/last"), identity); }

bool Settings::SerialLink() { return Store().value(QStringLiteral("link/kind")).toString() == QLatin1String("serial"); }
QString Settings::LastPort() { return Store().value(QStringLiteral("link/port")).toString(); }
QString Settings::LastSpeed() {
  return Store().value(QStringLiteral("link/speed"), QStringLiteral("115200")).toString();
}
void Settings::SetLink(bool serial, const QString& port, const QString& speed) {
  QSettings s = Store();
  s.setValue(QStringLiteral("link/kind"), serial ? QStringLiteral("serial") : QStringLiteral("usb"));
  if (!port.isEmpty()) s.setValue(QStringLiteral("link/port"), port);
  s.setValue(QStringLiteral("link/speed"), speed);
}

bool Settings::VerifyAfterDownload() { return Flag("verifyAfterDownload", true); }
void Settings::SetVerifyAfterDownload(bool on) { SetFlag("verifyAfterDownload", on); }
bool Settings::SnapshotBeforeChanges() { return Flag("snapshotBeforeChanges", false); }
void Settings::SetSnapshotBeforeChanges(bool on) { SetFlag("snapshotBeforeChanges", on); }
bool Settings::AskBeforeChanges() { return Flag("askBeforeChanges", true); }
void Settings::SetAskBeforeChanges(bool on) { SetFlag("askBeforeChanges", on); }

bool Settings::AskFor(const QString& identity) {
  return AskBeforeChanges() && !Store().value(QStringLiteral("noConfirmUnits")).toStringList().contains(identity);
}
void Settings::StopAskingFor(const QString& identity) {
  QSettings s = Store();
  QStringList units = s.value(QStringLiteral("noConfirmUnits")).toStringList();
  if (!units.contains(identity)) units << identity;
  s.setValue(QStringLiteral("noConfirmUnits"), units);
}

bool Settings::ProbeOnConnect() { return Flag("probeOnConnect", true); }
void Settings::SetProbeOnConnect(bool on) { SetFlag("probeOnConnect", on); }

}  // namespace quorvin
