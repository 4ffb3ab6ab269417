// Waiting for a drive that formats or flushes its cache. Such waits would otherwise end only
// when the drive says so, and a drive that never leaves "not ready" would hang the recording
// and the user's window with it; the bounds are far beyond the slowest format or flush of a
// real drive. Each wait polls with a fixed, scaled sleep, so the bound is a count of polls.
#pragma once

namespace kivo {

class TSCSIDevice;

inline constexpr int kDvdRwPreparationMinutes = 60;
inline constexpr int kDvdPlusRwFormatMinutes = 60;
inline constexpr int kFlushMinutes = 30;

inline constexpr long PollsWithin(int Minutes, long PollMs) { return Minutes * 60'000L / PollMs; }

enum class FormatWait { Done, TimedOut, Aborted };

// Polls the disc information every PollMs while the drive reports "logical unit not ready";
// SleepFirst sleeps before the first poll. TimedOut when it still did after Minutes; Aborted as
// soon as the user aborts the recording (the drive formats on by itself, but nobody waits).
FormatWait WaitWhileFormatting(TSCSIDevice& Device, long PollMs, int Minutes, bool SleepFirst);

}  // namespace kivo
