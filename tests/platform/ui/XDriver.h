#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct _XDisplay;

// An X window id; Xlib's own header stays out, its macros clash.
using XWindow = unsigned long;

// Finds the program's windows on the X display and works them with real
// input through XTEST, on a display connection of its own.
class XDriver {
public:
    XDriver();
    ~XDriver();
    XDriver(const XDriver&) = delete;
    XDriver& operator=(const XDriver&) = delete;

    bool Ok() const { return dpy_ != nullptr; }

    // A mapped top-level window with this title, waited for up to ms; 0
    // when none came.
    XWindow WaitForWindow(const std::string& title, int ms = 15000);
    // True once the window is unmapped or gone.
    bool WaitGone(XWindow w, int ms = 15000);
    // True once the pixel at (x, y) of the window has this 0xRRGGBB colour.
    bool WaitForPixel(XWindow w, int x, int y, uint32_t rgb, int ms = 15000);

    // Gives the window the keyboard, as a window manager would.
    void Focus(XWindow w);
    void Key(const char* keysym);
    // The key pressed and released while the modifier is held.
    void Chord(const char* modifier, const char* keysym);
    // The pointer to a point of the screen; buttons 1 left, 3 right.
    void PointerTo(int x, int y);
    void Button(int button, bool down);
    // Lower-case letters and digits.
    void Type(const std::string& text);

    // The window's pixels, 0xRRGGBB, rows top to bottom.
    bool Capture(XWindow w, int* width, int* height, std::vector<uint32_t>* pixels);

private:
    std::string Title(XWindow w);
    bool Viewable(XWindow w);

    _XDisplay* dpy_ = nullptr;
};

// PNG files through the engine's codec: 0xRRGGBB pixels written, pixels
// read as the engine's image loader gives them (0xAARRGGBB), rows top to
// bottom.
bool SavePng(const std::string& path, int width, int height, const std::vector<uint32_t>& pixels);
bool LoadPng(const std::string& path, int* width, int* height, std::vector<uint32_t>* pixels);
