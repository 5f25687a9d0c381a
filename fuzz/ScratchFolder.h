#pragma once

// A folder of the target's own under /tmp, removed when the run ends.

#include <cstdlib>
#include <filesystem>
#include <string>

#include <unistd.h>

namespace Fuzz {

inline std::string& ScratchPath()
{
    static std::string path;
    return path;
}

inline void RemoveScratchFolder()
{
    std::error_code ignored;
    std::filesystem::remove_all(ScratchPath(), ignored);
}

// One per process; a second call returns the same folder.
inline const std::string& ScratchFolder()
{
    if (ScratchPath().empty()) {
        char pattern[] = "/tmp/vornhal-fuzz-XXXXXX";
        if (!mkdtemp(pattern))
            std::abort();
        ScratchPath() = pattern;
        std::atexit(RemoveScratchFolder);
    }
    return ScratchPath();
}

} // namespace Fuzz
