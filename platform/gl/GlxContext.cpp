#ifndef VORNHAL_DEDICATED

#include "platform/gl/GlxContext.h"

#include <GL/glx.h>
#include <X11/Xlib.h>

namespace Gl {

namespace {

Display* g_display = nullptr;
int g_xError = 0;

// The host's window ids are checked here: an id that is not a window must
// not end the process through Xlib's default handler.
int RecordError(Display*, XErrorEvent* e)
{
    g_xError = e->error_code;
    return 0;
}

// Host windows are made and drawn on the main thread only.
Display* SharedDisplay()
{
    if (!g_display)
        g_display = XOpenDisplay(nullptr);
    return g_display;
}

// The configuration whose visual the window already has, preferring one
// with 8 alpha bits (the lighting passes blend with destination alpha).
GLXFBConfig ConfigForVisual(Display* dpy, VisualID visual)
{
    const int attributes[] = {GLX_X_RENDERABLE,
                              True,
                              GLX_DRAWABLE_TYPE,
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
                              GLX_DEPTH_SIZE,
                              16,
                              None};
    int count = 0;
    GLXFBConfig* configs = glXChooseFBConfig(dpy, DefaultScreen(dpy), attributes, &count);
    GLXFBConfig chosen = nullptr;
    int chosenAlpha = -1;
    for (int i = 0; i < count; ++i) {
        int id = 0, alpha = 0;
        glXGetFBConfigAttrib(dpy, configs[i], GLX_VISUAL_ID, &id);
        glXGetFBConfigAttrib(dpy, configs[i], GLX_ALPHA_SIZE, &alpha);
        if (VisualID(id) == visual && alpha > chosenAlpha) {
            chosen = configs[i];
            chosenAlpha = alpha;
        }
    }
    if (configs)
        XFree(configs);
    return chosen;
}

} // namespace

GlxContext* GlxContext::Create(unsigned long window, GlxContext* share)
{
    Display* dpy = SharedDisplay();
    if (!dpy || window == 0)
        return nullptr;
    XSync(dpy, False);
    g_xError = 0;
    auto previous = XSetErrorHandler(RecordError);
    XWindowAttributes wa;
    Status ok = XGetWindowAttributes(dpy, Window(window), &wa);
    XSync(dpy, False);
    GLXContext context = nullptr;
    if (ok && g_xError == 0) {
        GLXFBConfig config = ConfigForVisual(dpy, XVisualIDFromVisual(wa.visual));
        if (config) {
            GLXContext shareWith = share ? static_cast<GLXContext>(share->context_) : nullptr;
            context = glXCreateNewContext(dpy, config, GLX_RGBA_TYPE, shareWith, True);
            XSync(dpy, False);
        }
    }
    XSetErrorHandler(previous);
    if (!context)
        return nullptr;
    return new GlxContext(window, context);
}

GlxContext::~GlxContext()
{
    if (IsCurrent())
        ReleaseCurrent();
    glXDestroyContext(g_display, static_cast<GLXContext>(context_));
}

bool GlxContext::MakeCurrent()
{
    g_xError = 0;
    auto previous = XSetErrorHandler(RecordError);
    Bool ok = glXMakeCurrent(g_display, Window(window_), static_cast<GLXContext>(context_));
    XSync(g_display, False);
    XSetErrorHandler(previous);
    return ok && g_xError == 0;
}

void GlxContext::Swap() { glXSwapBuffers(g_display, Window(window_)); }

bool GlxContext::IsCurrent() const { return glXGetCurrentContext() == static_cast<GLXContext>(context_); }

void* GlxContext::GetProcAddress(const char* name)
{
    return reinterpret_cast<void*>(glXGetProcAddressARB(reinterpret_cast<const GLubyte*>(name)));
}

void GlxContext::ReleaseCurrent()
{
    if (g_display)
        glXMakeCurrent(g_display, None, nullptr);
}

} // namespace Gl

#endif
