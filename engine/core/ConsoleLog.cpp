#include "engine/core/ConsoleLog.h"

#include "engine/core/StringKit.h"

#include <cstdarg>
#include <cstdio>
#include <mutex>

namespace Util {

namespace {

std::mutex g_sinkMutex;
ConsoleSink g_sink;

} // namespace

void SetConsoleSink(ConsoleSink sink)
{
    std::lock_guard<std::mutex> lock(g_sinkMutex);
    g_sink = std::move(sink);
}

void ConsolePrint(const char* format, ...)
{
    va_list args;
    va_start(args, format);
    std::string text = FormatV(format, args);
    va_end(args);
    // Called under the lock: once SetConsoleSink returns, the old sink is
    // never called again.
    std::lock_guard<std::mutex> lock(g_sinkMutex);
    if (g_sink) {
        g_sink(text);
        return;
    }
    std::fwrite(text.data(), 1, text.size(), stdout);
    std::fflush(stdout);
}

} // namespace Util
