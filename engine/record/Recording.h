// The process-wide state of the one recording (or streamed image save, or erase) that may run
// at a time. The worker threads that read it do not know the component that started them.
#pragma once

#include <atomic>

namespace kivo {

class TZelvoBurner;

// The burner whose recording runs.
extern std::atomic<TZelvoBurner*> ActiveBurner;
// Set by AbortRecording, cleared when a writer starts.
extern std::atomic<bool> WriteAborted;
// True from a writer's start to its end.
extern std::atomic<bool> WriterRunning;

// Waits for the thread of ActiveCache, clears ActiveCache and destroys the cache. Readers of
// the cache on other threads (CacheFillPercent) go through the same guard, so none of them can
// be left holding a destroyed cache.
void DestroyActiveCache();

// True, with a log line on Burner, while a recording, a streamed save or an erase runs: only
// one of them may run at a time. No OnWriteDone is raised: the window would take it for the
// end of the one that runs.
bool RefuseWhileBusy(TZelvoBurner& Burner);

}  // namespace kivo
