#include "bench/TimedBackend.h"

#include "protocol/Frame.h"

namespace quorvin::bench {

void ArrivalLog::NoteArrival(std::int64_t ns, int number) {
  const std::size_t at = m_count.load(std::memory_order_relaxed);
  if (at >= m_arrivals.size()) {
    ++m_overflow;
    return;
  }
  m_arrivals[at] = {ns, number};
  m_count.store(at + 1, std::memory_order_release);
}

std::vector<Arrival> ArrivalLog::Arrivals() const {
  const std::size_t n = m_count.load(std::memory_order_acquire);
  return {m_arrivals.begin(), m_arrivals.begin() + static_cast<std::ptrdiff_t>(n)};
}

namespace {

class TimedHandle final : public HidHandle {
 public:
  TimedHandle(std::unique_ptr<HidHandle> inner, ArrivalLog& log) : m_inner(std::move(inner)), m_log(log) {}

  HidIo Write(const std::uint8_t* report, std::size_t length, int timeoutMs) override {
    // Byte 0 is the report ID: the frame's command is at 4.
    if (length > 4 && report[4] == cmd::BackupReadBack) m_log.NoteRequest(SteadyNs());
    return m_inner->Write(report, length, timeoutMs);
  }

  HidIo Read(std::uint8_t* data, std::size_t capacity, int timeoutMs) override {
    const HidIo io = m_inner->Read(data, capacity, timeoutMs);
    // Without the report ID: 55 AA 02 command length countHi countLo numberHi numberLo.
    if (io == HidIo::Ok && capacity > 8 && data[3] == cmd::BackupReadBack)
      m_log.NoteArrival(SteadyNs(), data[7] << 8 | data[8]);
    return io;
  }

 private:
  std::unique_ptr<HidHandle> m_inner;
  ArrivalLog& m_log;
};

}  // namespace

HidOpen TimedBackend::Open(const QString& path, std::unique_ptr<HidHandle>& handle) {
  std::unique_ptr<HidHandle> inner;
  const HidOpen result = m_inner->Open(path, inner);
  if (result == HidOpen::Ok) handle = std::make_unique<TimedHandle>(std::move(inner), m_log);
  return result;
}

}  // namespace quorvin::bench
