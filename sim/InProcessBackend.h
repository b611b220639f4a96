#pragma once
// A virtual repeater inside this process: the HID backend is wired straight to a DeviceModel, so
// tests and `quorvin-setup --demo` drive every operation without hardware. The device keeps its
// state while the backend lives, and reads pick up its replies and read-back packets only when
// the clock says they are due, so a VirtualClock makes time-outs exact and free.

#include <memory>
#include <mutex>

#include "host/Clock.h"
#include "link/HidBackend.h"
#include "sim/model/DeviceModel.h"

namespace quorvin {

// The model and the lock that guards it: a handle, the backend and the window's device watcher
// may use it from different threads.
struct InProcessDevice {
  std::mutex mutex;
  DeviceModel model;
};

class InProcessBackend final : public HidBackend {
 public:
  static inline const QString kPath = QStringLiteral("demo:repeater");

  explicit InProcessBackend(Clock& clock);

  [[nodiscard]] std::vector<HidDeviceInfo> Enumerate() override;
  [[nodiscard]] HidOpen Open(const QString& path, std::unique_ptr<HidHandle>& handle) override;
  [[nodiscard]] QString Name() const override { return QStringLiteral("demo"); }
  [[nodiscard]] bool SharedWithOtherProcesses() const override { return false; }

  // Runs fn(DeviceModel&) under the device's lock: arm faults, read what the device stored.
  template <typename Fn>
  decltype(auto) WithModel(Fn&& fn) {
    std::lock_guard lock(m_device->mutex);
    return fn(m_device->model);
  }

 private:
  Clock& m_clock;
  std::shared_ptr<InProcessDevice> m_device;
};

// The same, behind the backend interface the window takes.
[[nodiscard]] std::unique_ptr<HidBackend> MakeInProcessBackend(Clock& clock);

}  // namespace quorvin
