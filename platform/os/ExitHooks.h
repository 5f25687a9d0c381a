#pragma once

// What must still happen when the process ends at once, without the C
// runtime's exit handlers: a terminal given its own settings back.
namespace Os {

constexpr int kMaxExitHooks = 8;

// Registered once each; a hook beyond kMaxExitHooks is ignored.
void AddExitHook(void (*hook)());
// Runs the hooks (each at most once, whichever thread ends the process),
// flushes the C streams and ends the process with the code.
[[noreturn]] void ExitNow(int code);

} // namespace Os
