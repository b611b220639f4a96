#pragma once
// A backend shared by several threads (the station's units, the window's device watcher beside a
// running operation): discovery and opens are taken one at a time. Each handle is its own and is
// used by its thread alone, so reads and writes need no lock.

#include <mutex>

#include "link/HidBackend.h"

namespace quorvin {

class SerialisedBackend final : public HidBackend {
 public:
  explicit SerialisedBackend(HidBackend& inner) : m_inner(inner) {}
  std::vector<HidDeviceInfo> Enumerate() override {
    std::lock_guard lock(m_mutex);
    return m_inner.Enumerate();
  }
  HidOpen Open(const QString& path, std::unique_ptr<HidHandle>& handle) override {
    std::lock_guard lock(m_mutex);
    return m_inner.Open(path, handle);
  }
  QString Name() const override { return m_inner.Name(); }
  bool Started() const override { return m_inner.Started(); }
  // Forwarded, never defaulted: a unit must be locked under the name every other program uses.
  bool SharedWithOtherProcesses() const override { return m_inner.SharedWithOtherProcesses(); }
  QString LockName(const HidDeviceInfo& info) const override { return m_inner.LockName(info); }
  [[nodiscard]] HidBackend& Inner() { return m_inner; }

 private:
  HidBackend& m_inner;
  std::mutex m_mutex;
};

}  // namespace quorvin
