#include "support/GlWindows.h"

// Last: Xlib defines macros such as None and Bool.
#include <GL/glx.h>

GlWindows::GlWindows() : display_(XOpenDisplay(nullptr)) {}

GlWindows::~GlWindows()
{
    auto* dpy = static_cast<Display*>(display_);
    for (unsigned long w : windows_)
        XDestroyWindow(dpy, ::Window(w));
    if (dpy)
        XCloseDisplay(dpy);
}

unsigned long GlWindows::Make(int width, int height)
{
    auto* dpy = static_cast<Display*>(display_);
    const int attributes[] = {GLX_DRAWABLE_TYPE,
                              GLX_WINDOW_BIT,
                              GLX_RENDER_TYPE,
                              GLX_RGBA_BIT,
                              GLX_DOUBLEBUFFER,
                              True,
                              GLX_RED_SIZE,
                              8,
                              GLX_GREEN_SIZE,
                              8,
                              GLX_BLUE_SIZE,
                              8,
                              GLX_ALPHA_SIZE,
                              8,
                              GLX_DEPTH_SIZE,
                              16,
                              0};
    int count = 0;
    GLXFBConfig* configs = dpy ? glXChooseFBConfig(dpy, DefaultScreen(dpy), attributes, &count) : nullptr;
    if (!configs || count == 0)
        return 0;
    XVisualInfo* vi = glXGetVisualFromFBConfig(dpy, configs[0]);
    XFree(configs);
    XSetWindowAttributes swa = {};
    swa.colormap = XCreateColormap(dpy, RootWindow(dpy, vi->screen), vi->visual, AllocNone);
    swa.border_pixel = 0;
    ::Window win = XCreateWindow(dpy, RootWindow(dpy, vi->screen), 0, 0, unsigned(width), unsigned(height), 0,
                                 vi->depth, InputOutput, vi->visual, CWColormap | CWBorderPixel, &swa);
    XFree(vi);
    XMapWindow(dpy, win);
    XSync(dpy, False);
    windows_.push_back(win);
    return win;
}
