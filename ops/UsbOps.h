#pragma once
// The device operations over the USB link. Each runs from start to outcome box: the front end has
// already chosen the file or read the frequency field, and passes a path or a number.

#include "link/HidLink.h"
#include "ops/OpResult.h"

#include <QByteArray>
#include <QString>

namespace quorvin {

struct UsbEnv {
  HidLink& link;
  Feedback& fb;
  Clock& clock;
  bool english;
};

inline constexpr qint64 kMaxUsbImage = 3'000'000;

// Block upload engine (firmware 0xC3, backup 0xC4).
[[nodiscard]] bool UploadImage(UsbEnv& env, std::uint8_t command, const QByteArray& image, const QString& title);
[[nodiscard]] bool SendStagedFile(UsbEnv& env, std::uint8_t command, const QString& path, const QString& title);
// Reads at most maxBytes of the file into buffer; answers the length taken at the open (0 when the
// file cannot be opened).
qint64 ReadWholeFile(const QString& path, QByteArray& buffer, qint64 maxBytes = kMaxUsbImage);

[[nodiscard]] OpResult FirmwareUpgradeUsb(UsbEnv& env, const QString& path);
[[nodiscard]] OpResult BackupDownloadUsb(UsbEnv& env, const QString& path);
// Reads the device's backup into a file; the file is replaced only when every packet arrived.
[[nodiscard]] OpResult BackupReadBackUsb(UsbEnv& env, const QString& path);
[[nodiscard]] bool ReadBackupData(UsbEnv& env, const QString& path, const QString& title, qint64* received = nullptr);
[[nodiscard]] bool WriteWholeFile(const QString& path, const QByteArray& bytes);

[[nodiscard]] OpResult ReadVersionUsb(UsbEnv& env);
inline constexpr qint32 kMinFrequency = 300'000'000;
inline constexpr qint32 kMaxFrequency = 900'000'000;
// The caller has validated hz against kMinFrequency..kMaxFrequency.
[[nodiscard]] OpResult SetFrequencyUsb(UsbEnv& env, qint32 hz);
[[nodiscard]] OpResult ReadFrequencyUsb(UsbEnv& env);
[[nodiscard]] OpResult InitCallButtonsUsb(UsbEnv& env);

}  // namespace quorvin
