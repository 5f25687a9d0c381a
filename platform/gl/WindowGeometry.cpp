#ifndef VORNHAL_DEDICATED

#include "platform/gl/WindowGeometry.h"

#include <X11/Xlib.h>

namespace Gl {

namespace {

Display* g_display = nullptr;
int g_xError = 0;

int RecordError(Display*, XErrorEvent* e)
{
    g_xError = e->error_code;
    return 0;
}

} // namespace

bool GetWindowSize(unsigned long window, int* width, int* height)
{
    if (!g_display)
        g_display = XOpenDisplay(nullptr);
    if (!g_display || window == 0)
        return false;
    // A stale id must not end the process through Xlib's default handler.
    XSync(g_display, False);
    g_xError = 0;
    auto previous = XSetErrorHandler(RecordError);
    Window root;
    int x = 0, y = 0;
    unsigned w = 0, h = 0, border = 0, depth = 0;
    const Status ok = XGetGeometry(g_display, Window(window), &root, &x, &y, &w, &h, &border, &depth);
    XSync(g_display, False);
    XSetErrorHandler(previous);
    if (!ok || g_xError != 0)
        return false;
    *width = int(w);
    *height = int(h);
    return true;
}

} // namespace Gl

#endif
