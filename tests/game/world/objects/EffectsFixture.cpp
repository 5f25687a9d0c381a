#include "EffectsFixture.h"

#include <X11/Xlib.h>

bool EffectsTest::HaveDisplay()
{
    const char* name = std::getenv("DISPLAY");
    Display* display = name && *name ? XOpenDisplay(name) : nullptr;
    if (display)
        XCloseDisplay(display);
    return display != nullptr;
}
