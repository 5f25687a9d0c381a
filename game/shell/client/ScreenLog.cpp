#include "game/shell/client/ScreenLog.h"

#include "platform/os/OsText.h"

#include <cstdio>
#include <cstdlib>

namespace {

std::FILE* LogFile()
{
    static std::FILE* file = [] {
        const char* path = std::getenv("VORNHAL_SCREEN_LOG");
        return path && *path ? std::fopen(path, "a") : nullptr;
    }();
    return file;
}

} // namespace

void ScreenLog::Write(const char* what, const char16_t* text)
{
    std::FILE* file = LogFile();
    if (!file)
        return;
    if (text)
        std::fprintf(file, "%s: %s\n", what, Util::ToUtf8(text).c_str());
    else
        std::fprintf(file, "%s\n", what);
    // The watcher reads while the game runs.
    std::fflush(file);
}
