#pragma once

// SIGTERM, SIGINT and SIGHUP: a program ends on them at once, as their
// default does, except while it takes them as a request to stop; then the
// first only marks the request, which the program's loops look at to end
// as their own Quit would, and a second ends the process at once. Exported
// by the engine library: one state per process, whichever library asks.
#define OS_STOP_API __attribute__((visibility("default")))

namespace Os {

// Installed before any library (SDL's video start) can take the signals
// over: SDL leaves a handler it finds in place.
OS_STOP_API void CatchStopSignals();
OS_STOP_API void TakeStopRequests(bool on);
OS_STOP_API bool StopRequested();
// After an orderly stop: ends the process by the signal that asked for it,
// so that its parent sees why. Returns when no stop was asked for.
OS_STOP_API void EndByStopSignal();

} // namespace Os
