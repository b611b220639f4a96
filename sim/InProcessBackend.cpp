#include "sim/InProcessBackend.h"

#include <algorithm>
#include <cstring>

namespace quorvin {

namespace {
// Sleeps are cut into slices so a real-clock read notices a due report without oversleeping.
constexpr qint64 kMaxSliceMs = 100;

class InProcessHandle final : public HidHandle {
 public:
  InProcessHandle(std::shared_ptr<InProcessDevice> device, Clock& clock)
      : m_device(std::move(device)), m_clock(clock) {}

  HidIo Write(const std::uint8_t* report, std::size_t length, int /*timeoutMs*/) override {
    if (length > kReportSize) return HidIo::Error;
    Report r{};
    std::memcpy(r.data(), report, length);
    std::lock_guard lock(m_device->mutex);
    if (m_device->model.Vanished()) return HidIo::Disconnected;
    m_device->model.OnUsbReport(r, m_clock.NowMs());
    return HidIo::Ok;
  }

  HidIo Read(std::uint8_t* data, std::size_t capacity, int timeoutMs) override {
    const qint64 deadline = m_clock.NowMs() + std::max(timeoutMs, 0);
    for (;;) {
      std::optional<qint64> due;
      {
        std::lock_guard lock(m_device->mutex);
        DeviceModel& model = m_device->model;
        if (model.Vanished()) return HidIo::Disconnected;
        if (const auto r = model.TakeDue(m_clock.NowMs())) {
          // The data bytes only, as hidapi delivers them: the link puts the report ID back.
          std::memcpy(data, r->data() + 1, std::min(capacity, r->size() - 1));
          return HidIo::Ok;
        }
        due = model.NextDueMs();
      }
      const qint64 now = m_clock.NowMs();
      if (now >= deadline) return HidIo::Timeout;
      const qint64 wake = due ? std::min(*due, deadline) : deadline;
      m_clock.SleepMs(static_cast<int>(std::clamp<qint64>(wake - now, 1, kMaxSliceMs)));
    }
  }

 private:
  std::shared_ptr<InProcessDevice> m_device;
  Clock& m_clock;
};
}  // namespace

InProcessBackend::InProcessBackend(Clock& clock) : m_clock(clock), m_device(std::make_shared<InProcessDevice>()) {}

std::vector<HidDeviceInfo> InProcessBackend::Enumerate() {
  std::lock_guard lock(m_device->mutex);
  const DeviceModel& model = m_device->model;
  if (model.Vanished()) return {};
  return {HidDeviceInfo{kPath, model.VendorId(), model.ProductId(), true}};
}

HidOpen InProcessBackend::Open(const QString& path, std::unique_ptr<HidHandle>& handle) {
  {
    std::lock_guard lock(m_device->mutex);
    if (path != kPath || m_device->model.Vanished()) return HidOpen::Failed;
    m_device->model.DiscardDue(m_clock.NowMs());
  }
  handle = std::make_unique<InProcessHandle>(m_device, m_clock);
  return HidOpen::Ok;
}

std::unique_ptr<HidBackend> MakeInProcessBackend(Clock& clock) { return std::make_unique<InProcessBackend>(clock); }

}  // namespace quorvin
