#ifndef VORNHAL_DEDICATED

#include "platform/gl/Video.h"

#include <SDL.h>

#include <cstdio>
#include <cstdlib>

namespace Gl {

bool StartVideo()
{
    if (SDL_WasInit(SDL_INIT_VIDEO))
        return true;
    const char* display = std::getenv("DISPLAY");
    setenv("SDL_VIDEODRIVER", display && *display ? "x11" : "dummy", 0);
    // A busy X server (many programs connecting at once) may refuse a
    // connection for a while.
    for (int attempt = 0; attempt < 10; ++attempt) {
        if (SDL_InitSubSystem(SDL_INIT_VIDEO) == 0)
            return true;
        SDL_Delay(Uint32(50 * (attempt + 1)));
    }
    std::fprintf(stderr, "Video start failed: %s\n", SDL_GetError());
    return false;
}

} // namespace Gl

#endif
