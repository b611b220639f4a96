#pragma once
// Bytes as the repeater puts them on the serial line, for tests that play the device: whole frames
// with their checksum, read-back packets, and frames sealed whatever their length byte claims.

#include <QByteArray>
#include <cstdint>
#include <initializer_list>

namespace quorvin::test {

// Bytes from a list of values.
inline QByteArray Bytes(std::initializer_list<int> values) {
  QByteArray out;
  for (int v : values) out.append(static_cast<char>(v));
  return out;
}

// The bytes with a checksum by the frame rule appended (over everything after the start bytes),
// whatever their length byte claims.
inline QByteArray Sealed(const QByteArray& bytes) {
  unsigned sum = 0;
  for (qsizetype i = 2; i < bytes.size(); ++i) sum += static_cast<std::uint8_t>(bytes[i]);
  return bytes + QByteArray(1, static_cast<char>(~sum & 0xFF));
}

// A frame 55 AA dir cmd N payload checksum; direction 0x02 is the device's.
inline QByteArray DeviceFrame(int direction, int command, const QByteArray& payload) {
  return Sealed(Bytes({0x55, 0xAA, direction, command, static_cast<int>(payload.size())}) + payload);
}
inline QByteArray DeviceFrame(int command, const QByteArray& payload) { return DeviceFrame(0x02, command, payload); }

// A read-back packet: count and number high byte first, then the data.
inline QByteArray ReadBackPacket(int count, int number, const QByteArray& data) {
  return DeviceFrame(0x02, 0xC5, Bytes({count >> 8, count & 0xFF, number >> 8, number & 0xFF}) + data);
}

}  // namespace quorvin::test
