#pragma once
// The device's side of a recording (protocol/Recording.h), played back: each time the host sends
// what the recording says it sent, the device's recorded answers follow at the same times relative
// to it. The host's bytes may come in other pieces than recorded (a serial line splits and joins
// them); they are compared as one stream. On usb each report is one request and must match its
// recorded one whole. The first departure from the recording is kept and told, and from then on
// the device answers nothing.

#include <QByteArray>
#include <QString>
#include <functional>
#include <optional>
#include <utility>
#include <vector>

#include "protocol/Recording.h"

namespace quorvin {

class Replay {
 public:
  explicit Replay(Recording recording) : m_rec(std::move(recording)) {}

  // The host sent `bytes` at nowMs: the device's answers now due, each with its due time.
  [[nodiscard]] std::vector<std::pair<qint64, QByteArray>> OnHost(const QByteArray& bytes, qint64 nowMs);

  [[nodiscard]] const Recording& Source() const { return m_rec; }
  // Where the host first departed from the recording, when it did.
  [[nodiscard]] const std::optional<QString>& Divergence() const { return m_divergence; }
  // Called once, with the divergence, when it happens.
  void SetOnDivergence(std::function<void(const QString&)> tell) { m_tell = std::move(tell); }

 private:
  void Diverge(const QByteArray& expected);

  Recording m_rec;
  std::size_t m_next = 0;  // the next event to meet
  int m_requests = 0;      // host events met so far
  QByteArray m_pending;    // host bytes that match the start of the next host event
  std::optional<QString> m_divergence;
  std::function<void(const QString&)> m_tell;
};

}  // namespace quorvin
