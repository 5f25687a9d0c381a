#include "support/XDriver.h"

#include <SDL/SDL.h>
#include <SDL/SDL_syswm.h>
#include <X11/Xlib.h>
#include <X11/extensions/XTest.h>

namespace {

Display* Of(void* display) { return static_cast<Display*>(display); }

} // namespace

XDriver::XDriver() = default;

XDriver::~XDriver()
{
    if (display_)
        XCloseDisplay(Of(display_));
}

bool XDriver::Open()
{
    display_ = XOpenDisplay(nullptr);
    SDL_SysWMinfo info;
    SDL_VERSION(&info.version);
    if (!display_ || SDL_GetWMInfo(&info) != 1)
        return false;
    Window child;
    XTranslateCoordinates(Of(display_), info.info.x11.window, DefaultRootWindow(Of(display_)), 0, 0, &originX_,
                          &originY_, &child);
    return true;
}

void XDriver::MoveTo(int x, int y)
{
    XTestFakeMotionEvent(Of(display_), -1, originX_ + x, originY_ + y, CurrentTime);
    XSync(Of(display_), False);
}

void XDriver::Button(bool down)
{
    XTestFakeButtonEvent(Of(display_), 1, down, CurrentTime);
    XSync(Of(display_), False);
}

void XDriver::Key(unsigned long keysym, bool down)
{
    XTestFakeKeyEvent(Of(display_), XKeysymToKeycode(Of(display_), keysym), down, CurrentTime);
    XSync(Of(display_), False);
}
