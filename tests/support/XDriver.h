#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <sys/types.h>
#include <vector>

struct _XDisplay;

// An X window id; Xlib's own header stays out, its macros clash.
using XWindow = unsigned long;

// An X server of the test's own (Xvfb), made the display of the process
// and ended with it: the pointer and keys it moves then reach no other
// test's window.
class PrivateDisplay {
public:
    PrivateDisplay() = default;
    ~PrivateDisplay();
    PrivateDisplay(const PrivateDisplay&) = delete;
    PrivateDisplay& operator=(const PrivateDisplay&) = delete;

    // False when no Xvfb starts; DISPLAY is left as it was then.
    bool Start();

private:
    pid_t pid_ = -1;
    bool hadDisplay_ = false;
    std::string oldDisplay_;
};

// A window's pixels, 0xRRGGBB, rows top to bottom.
struct XShot {
    int width = 0;
    int height = 0;
    std::vector<uint32_t> pixels;

    uint32_t At(int x, int y) const { return pixels[size_t(y) * size_t(width) + size_t(x)]; }
    bool Contains(int x, int y) const { return x >= 0 && y >= 0 && x < width && y < height; }
    // Whether the rectangle holds the same pixels in both shots.
    bool SameIn(const XShot& other, int x, int y, int w, int h) const;
    // Pixels in the rectangle other than colour.
    int CountOther(uint32_t colour, int x, int y, int w, int h) const;
};

// Finds programs' windows on the X display (the test's own: see
// scripts/with-display.sh and PrivateDisplay) and works them with real input through XTEST,
// as a person at the screen would: the programs cannot tell it from a
// keyboard and a mouse. Everything that waits polls what the display
// shows, bounded by ms. Programs that use it link X11 and Xtst.
class XDriver {
public:
    XDriver();
    ~XDriver();
    XDriver(const XDriver&) = delete;
    XDriver& operator=(const XDriver&) = delete;

    bool Ok() const { return dpy_ != nullptr; }
    // The whole screen, as a window to capture.
    XWindow Screen() const;

    // A mapped top-level window with this title, waited for up to ms; 0
    // when none came.
    XWindow WaitForWindow(const std::string& title, int ms = 15000);
    // True once the window is unmapped or gone.
    bool WaitGone(XWindow w, int ms = 15000);
    // True once a fresh capture of the window satisfies seen.
    bool WaitUntil(XWindow w, const std::function<bool(const XShot&)>& seen, int ms = 15000);
    // True once the pixel at (x, y) of the window has this 0xRRGGBB colour.
    bool WaitForPixel(XWindow w, int x, int y, uint32_t rgb, int ms = 15000);
    // True once the rectangle of the window differs from what before held.
    bool WaitForChange(XWindow w, const XShot& before, int x, int y, int width, int height, int ms = 15000);

    // Gives the window the keyboard, as a window manager would.
    void Focus(XWindow w);
    // Asks the window to close, as a window manager's close box does.
    void Close(XWindow w);
    // Drops the file (an absolute path) on (x, y) of the top-level window w,
    // as a file manager's drag does (XDND); true once the window took it.
    bool DropFile(XWindow w, int x, int y, const std::string& path);
    // A press and release of the key with this X key symbol name ("Return").
    void Key(const char* keysym);
    // The key pressed and released while the modifier ("Control_L") is held.
    void Chord(const char* modifier, const char* keysym);
    // Letters (capitals with Shift), digits, blanks and "\n" for Return.
    void Type(const std::string& text);

    // The pointer to (x, y) of the window, and the first mouse button.
    void MoveTo(XWindow w, int x, int y);
    void Button(bool down);
    void Click(XWindow w, int x, int y);

    // For a test that runs the game in its own process: aims MoveTo(x, y)
    // at the window SDL made there; false without a display or one.
    bool Open();
    void MoveTo(int x, int y) { MoveTo(sdlWindow_, x, y); }
    // A press or release of the key with this X key symbol (XK_Tab, ...),
    // which the server may hold back a few milliseconds: a release and a
    // press of one key in the same millisecond are taken for the key's own
    // repeat.
    void Key(unsigned long keysym, bool down, unsigned long delayMs = 0);

    bool Capture(XWindow w, XShot* shot);
    bool Capture(XWindow w, int* width, int* height, std::vector<uint32_t>* pixels);

private:
    std::string Title(XWindow w);
    bool Viewable(XWindow w);

    _XDisplay* dpy_ = nullptr;
    XWindow sdlWindow_ = 0;
};

// PNG files through the engine's codec: 0xRRGGBB pixels written, pixels
// read as the engine's image loader gives them (0xAARRGGBB), rows top to
// bottom.
bool SavePng(const std::string& path, int width, int height, const std::vector<uint32_t>& pixels);
bool SavePng(const std::string& path, const XShot& shot);
bool LoadPng(const std::string& path, int* width, int* height, std::vector<uint32_t>* pixels);
