// The console a command-line program runs in: whether its error output is a terminal, and the
// requests to stop that reach it from outside (Ctrl-C, a terminal or console that closes, a
// plain kill).
#pragma once

namespace kivo::platform {

// From now until RestoreStopRequests, a request to stop calls handler instead of ending the
// program. It runs in a signal handler or on a thread of the system's, so it may only touch
// atomics. Not nested: one catcher at a time.
void CatchStopRequests(void (*handler)());
void RestoreStopRequests();

bool ErrorOutputIsTerminal();

}  // namespace kivo::platform
