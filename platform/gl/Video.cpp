#ifndef VORNHAL_DEDICATED

#include "platform/gl/Video.h"

#include <SDL.h>

#include <cstdlib>

namespace Gl {

bool StartVideo()
{
    if (SDL_WasInit(SDL_INIT_VIDEO))
        return true;
    const char* display = std::getenv("DISPLAY");
    setenv("SDL_VIDEODRIVER", display && *display ? "x11" : "dummy", 0);
    // A busy X server may refuse a connection for a moment.
    for (int attempt = 0; attempt < 3; ++attempt) {
        if (SDL_InitSubSystem(SDL_INIT_VIDEO) == 0)
            return true;
        SDL_Delay(50);
    }
    return false;
}

} // namespace Gl

#endif
