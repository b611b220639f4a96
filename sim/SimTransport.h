#pragma once
// One link of the virtual repeater (the HID socket, later a serial pseudo-terminal). The main
// loop polls every transport's descriptors and wakes each when its device has something due.

#include <poll.h>

#include <QString>
#include <QtGlobal>
#include <optional>
#include <span>
#include <vector>

namespace quorvin {

class SimTransport {
 public:
  virtual ~SimTransport() = default;
  // What the ready line says about this link ("hid-socket /tmp/x").
  [[nodiscard]] virtual QString Describe() const = 0;
  // Appends the descriptors to watch.
  virtual void CollectPollFds(std::vector<pollfd>& fds) = 0;
  // Serves events on the descriptors it added (in the same order) and whatever fell due by nowMs.
  virtual void Service(std::span<const pollfd> fds, qint64 nowMs) = 0;
  // When it next needs serving without any descriptor event.
  [[nodiscard]] virtual std::optional<qint64> NextWakeMs() const = 0;
};

}  // namespace quorvin
