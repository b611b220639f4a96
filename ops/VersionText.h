#pragma once
// The version text as the device sends it, on either link.

#include <QByteArray>
#include <QString>

namespace quorvin {

// The device sends single-byte text; a byte above 0x7F belongs to the Chinese code page its
// firmware is built with. Where that code page is unknown, or the bytes are not valid in it, each
// byte stays one character. `raw` is the text up to its first zero byte.
[[nodiscard]] QString DecodeVersion(const QByteArray& raw);

}  // namespace quorvin
