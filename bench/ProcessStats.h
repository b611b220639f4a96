#pragma once
// What this process costs: CPU time, resident memory and its peak (Linux /proc).

#include <QtGlobal>

namespace quorvin::bench {

// CPU time of the whole process (every thread, user and system), in microseconds.
[[nodiscard]] qint64 ProcessCpuUs();
// CPU time of one thread of this process, by its kernel thread id, in microseconds (counted by the
// kernel in clock ticks, so good to 10 ms); -1 when it cannot be read.
[[nodiscard]] qint64 ThreadCpuUs(int tid);
// The kernel's account of a thread from an open /proc/.../schedstat: time it ran and time it was
// ready to run but waited for a CPU, in ns. False (values untouched) when it cannot be read.
[[nodiscard]] bool ReadSchedule(int schedstatFd, qint64& runNs, qint64& waitNs);
// Resident set and its high-water mark in kB; -1 when /proc does not tell.
[[nodiscard]] qint64 ResidentKb();
[[nodiscard]] qint64 PeakResidentKb();
// Resets the high-water mark to the present resident set; false when the kernel refuses.
[[nodiscard]] bool ResetPeakResident();

}  // namespace quorvin::bench
