#pragma once

#include <string>
#include <sys/types.h>

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

// The X server's pointer and keys, as a person would use them, aimed at the
// window SDL made (through the XTEST extension). Programs that use it link
// libXtst.
class XDriver {
public:
    XDriver();
    ~XDriver();
    XDriver(const XDriver&) = delete;
    XDriver& operator=(const XDriver&) = delete;

    // False without a display or an SDL window.
    bool Open();
    // Window coordinates.
    void MoveTo(int x, int y);
    void Button(bool down);
    // An X key symbol (XK_Tab, XK_m, ...).
    void Key(unsigned long keysym, bool down);

private:
    void* display_ = nullptr;
    int originX_ = 0;
    int originY_ = 0;
};
