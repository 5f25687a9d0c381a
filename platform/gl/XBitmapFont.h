#pragma once

#ifndef VORNHAL_DEDICATED

namespace Gl {

// Bitmap display lists of an X core font for characters 0..255, made on
// the display of the current GLX context.
class XBitmapFont {
public:
    XBitmapFont() = default;
    ~XBitmapFont();
    XBitmapFont(const XBitmapFont&) = delete;
    XBitmapFont& operator=(const XBitmapFont&) = delete;

    // Whether a GLX context is current (the fonts need its display).
    static bool HaveDisplay();
    // Tries the names in order (a null ends the list) and builds 256 lists
    // from listBase on; false when no font loads.
    bool Build(const char* const* names, int listBase);
    // Frees the font and the lists; needs the same context current.
    void Free();
    bool IsBuilt() const { return font_ != nullptr; }
    int GetListBase() const { return listBase_; }
    int TextWidth(const char* bytes, int count) const;
    int GetAscent() const;
    int GetDescent() const;

private:
    void* font_ = nullptr; // XFontStruct
    void* display_ = nullptr;
    int listBase_ = 0;
};

} // namespace Gl

#endif
