#pragma once
// A HID backend that passes everything to another one and notes, for each read-back report that
// arrives, its packet number and the moment it arrived, and the moment the read-back request left.
// Notes are written into space reserved beforehand, so noting costs the reading loop next to nothing.

#include <atomic>
#include <cstdint>
#include <memory>
#include <vector>

#include "bench/SteadyTime.h"
#include "link/HidBackend.h"

namespace quorvin::bench {

struct Arrival {
  std::int64_t ns;  // steady clock
  int number;       // packet number, high byte first on the wire
};

class ArrivalLog {
 public:
  explicit ArrivalLog(std::size_t capacity) : m_arrivals(capacity) {}
  void NoteRequest(std::int64_t ns) { m_requestNs = ns; }
  void NoteArrival(std::int64_t ns, int number);
  [[nodiscard]] std::int64_t RequestNs() const { return m_requestNs; }
  // The arrivals noted so far (read once the reading thread has finished).
  [[nodiscard]] std::vector<Arrival> Arrivals() const;
  // Arrivals that did not fit the reserved space.
  [[nodiscard]] std::size_t Overflow() const { return m_overflow; }

 private:
  std::vector<Arrival> m_arrivals;
  std::atomic<std::size_t> m_count{0};
  std::size_t m_overflow = 0;
  std::int64_t m_requestNs = 0;
};

class TimedBackend final : public HidBackend {
 public:
  TimedBackend(std::unique_ptr<HidBackend> inner, ArrivalLog& log) : m_inner(std::move(inner)), m_log(log) {}
  [[nodiscard]] std::vector<HidDeviceInfo> Enumerate() override { return m_inner->Enumerate(); }
  [[nodiscard]] HidOpen Open(const QString& path, std::unique_ptr<HidHandle>& handle) override;
  [[nodiscard]] QString Name() const override { return m_inner->Name(); }
  [[nodiscard]] bool SharedWithOtherProcesses() const override { return m_inner->SharedWithOtherProcesses(); }
  [[nodiscard]] QString LockName(const HidDeviceInfo& info) const override { return m_inner->LockName(info); }

 private:
  std::unique_ptr<HidBackend> m_inner;
  ArrivalLog& m_log;
};

}  // namespace quorvin::bench
