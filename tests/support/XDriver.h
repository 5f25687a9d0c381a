#pragma once

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
