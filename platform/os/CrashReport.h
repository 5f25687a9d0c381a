#pragma once

// A crash (segmentation fault, illegal instruction) ends the process with a
// code of its own after one line on standard error: which signal, and what
// the program last said it was doing. The handler only writes text made
// beforehand.
#define OS_CRASH_API __attribute__((visibility("default")))

namespace Os {

OS_CRASH_API void CatchCrashes(int exitCode);
// "playing levels/x.lvl": what a crash from now on was met in; cut to fit.
// From the main thread only, never from a signal handler.
OS_CRASH_API void SetCrashContext(const char* doing);

} // namespace Os
