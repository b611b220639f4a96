#pragma once
// What this process costs: CPU time, resident memory and its peak (Linux /proc).

#include <QtGlobal>

namespace quorvin::bench {

// CPU time of the whole process (every thread, user and system), in microseconds.
[[nodiscard]] qint64 ProcessCpuUs();
// Resident set and its high-water mark in kB; -1 when /proc does not tell.
[[nodiscard]] qint64 ResidentKb();
[[nodiscard]] qint64 PeakResidentKb();
// Resets the high-water mark to the present resident set; false when the kernel refuses.
[[nodiscard]] bool ResetPeakResident();

}  // namespace quorvin::bench
