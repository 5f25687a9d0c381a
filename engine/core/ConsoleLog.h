#pragma once

#include <functional>
#include <string>

// The engine's console lines (a socket opened, a connection asked for or
// timed out). They go to standard output until the host installs a sink,
// which then gets each line whole, from whichever thread printed it.
namespace Util {

using ConsoleSink = std::function<void(const std::string& text)>;

// An empty sink restores standard output.
void SetConsoleSink(ConsoleSink sink);
void ConsolePrint(const char* format, ...);

} // namespace Util
