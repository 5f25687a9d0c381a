#include "support/DisplayCheck.h"

#include <chrono>
#include <cstdlib>
#include <thread>

#include <X11/Xlib.h>

bool HaveDisplay()
{
    static int answer = -1;
    if (answer < 0) {
        const char* name = std::getenv("DISPLAY");
        Display* dpy = nullptr;
        for (int attempt = 0; name && *name && !dpy && attempt < 50; ++attempt) {
            if (attempt > 0)
                std::this_thread::sleep_for(std::chrono::milliseconds(100));
            dpy = XOpenDisplay(name);
        }
        answer = dpy != nullptr;
        if (dpy)
            XCloseDisplay(dpy);
    }
    return answer == 1;
}
