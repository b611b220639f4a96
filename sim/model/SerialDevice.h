#pragma once
// The virtual repeater on its serial link. The line has no framing of its own: the device finds
// frames in the byte stream by their start bytes and length, and answers with whole frames. It
// shares what the device keeps, its faults and its log with the USB side (DeviceModel).
//
// Transport-free and driven by time like the USB side: a transport hands it the bytes with the
// time they came and asks for the bytes due by now. Not thread-safe.

#include <QByteArray>
#include <deque>
#include <optional>
#include <random>

#include "sim/model/DeviceModel.h"
#include "sim/model/UploadCollector.h"

namespace quorvin {

class SerialDevice {
 public:
  // A frame begun but not finished for this long is given up: the host stopped writing mid-frame.
  static constexpr int kStaleFrameMs = 500;

  explicit SerialDevice(DeviceModel& model) : m_model(model) {}

  // The line speed the host set; read-back frames are paced at the time they take on the wire.
  void SetBaud(int baud) { m_baud = baud > 0 ? baud : 9600; }
  [[nodiscard]] int Baud() const { return m_baud; }

  void OnBytes(const QByteArray& bytes, qint64 nowMs);
  [[nodiscard]] std::optional<qint64> NextDueMs() const;
  // Every byte due at or before nowMs, frames in order, each logged as sent.
  [[nodiscard]] QByteArray TakeDue(qint64 nowMs);
  // Nothing queued will be sent (the host is gone).
  void DropPending() {
    m_queue.clear();
    m_pieces = 0;
  }

  // A whole frame 55 AA 02 command N payload checksum.
  [[nodiscard]] static QByteArray BuildReply(std::uint8_t command, const QByteArray& payload);

 private:
  struct Pending {
    qint64 dueMs;
    QByteArray frame;
    bool piece = false;  // one byte of a reply sent byte by byte
  };
  void ExtractFrames(qint64 nowMs);
  void Dispatch(const QByteArray& frame, qint64 nowMs);
  void HandlePacket(const QByteArray& frame, bool checksumOk, qint64 nowMs);
  void StartReadBack(qint64 nowMs);
  // Sends a reply through the reply faults; false when it was dropped. dueMs comes back as the
  // time the reply's last byte is due, a delay included.
  bool SendReply(QByteArray reply, qint64& dueMs, qint64 nowMs);
  // Nothing is queued between the bytes of a reply sent byte by byte: a later frame waits for its
  // last byte, so what goes out is always whole frames one after the other.
  void Queue(qint64 dueMs, const QByteArray& frame, bool piece = false);
  // Queues a reply a random while late and byte by byte with random gaps; dueMs moves to its last byte.
  void QueueJittered(qint64& dueMs, const QByteArray& frame);
  [[nodiscard]] int Random(int maxMs);
  [[nodiscard]] qint64 WireMs(qsizetype bytes) const;
  void Note(qint64 nowMs, const QString& text) { m_model.Log().AddNote(nowMs, text, LogLink::Serial); }

  DeviceModel& m_model;
  UploadCollector m_upload;  // judged with the model's pause tolerance
  int m_baud = 9600;
  QByteArray m_input;
  qint64 m_lastByteMs = 0;
  std::deque<Pending> m_queue;
  int m_pieces = 0;                 // bytes of byte-by-byte replies still queued
  qint64 m_lastPieceMs = 0;         // when the last of them is due
  std::mt19937 m_random{20240607};  // fixed: a run with timing jitter can be repeated exactly
};

}  // namespace quorvin
