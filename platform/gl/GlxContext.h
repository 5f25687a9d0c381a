#pragma once

#ifndef VORNHAL_DEDICATED

namespace Gl {

// An OpenGL context on a host's X11 window. All contexts share the display
// lists and textures of the first one made.
class GlxContext {
public:
    // Null when the display cannot be opened, the window is not a window,
    // or its visual has no double-buffered RGBA configuration.
    static GlxContext* Create(unsigned long window, GlxContext* share);
    ~GlxContext();
    GlxContext(const GlxContext&) = delete;
    GlxContext& operator=(const GlxContext&) = delete;

    bool MakeCurrent();
    void Swap();
    bool IsCurrent() const;
    unsigned long GetWindow() const { return window_; }

    static void* GetProcAddress(const char* name);
    // Leaves no context current.
    static void ReleaseCurrent();

private:
    GlxContext(unsigned long window, void* context) : window_(window), context_(context) {}

    unsigned long window_;
    void* context_;
};

} // namespace Gl

#endif
