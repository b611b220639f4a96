#pragma once
// The version text as the device sends it, on either link.

#include <QByteArray>
#include <QString>
#include <cstdint>
#include <span>

namespace quorvin {

// The device sends single-byte text; a byte above 0x7F belongs to the Chinese code page its
// firmware is built with. Where that code page is unknown, or the bytes do not read back to
// exactly themselves in it, each byte stays one character (Latin-1): no byte the device sent is
// ever dropped or merged. `raw` is the text up to its first zero byte.
[[nodiscard]] QString DecodeVersion(const QByteArray& raw);

// The text as it is shown: control characters (a newline, an escape sequence) appear as \xHH, so
// they can neither split a message line nor drive the terminal.
[[nodiscard]] QString PrintableVersion(const QString& text);

// The version a reply's payload carries: the text up to the first zero byte (the device pads with
// zeros), decoded and made printable.
[[nodiscard]] QString VersionFromPayload(std::span<const std::uint8_t> payload);

}  // namespace quorvin
