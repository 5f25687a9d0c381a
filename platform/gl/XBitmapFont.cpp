#ifndef VORNHAL_DEDICATED

#include "platform/gl/XBitmapFont.h"

#include <GL/gl.h>
#include <GL/glx.h>
#include <X11/Xlib.h>

namespace Gl {

XBitmapFont::~XBitmapFont() { Free(); }

bool XBitmapFont::HaveDisplay() { return glXGetCurrentContext() != nullptr && glXGetCurrentDisplay() != nullptr; }

bool XBitmapFont::Build(const char* const* names, int listBase)
{
    Free();
    Display* dpy = glXGetCurrentDisplay();
    if (!dpy)
        return false;
    XFontStruct* font = nullptr;
    for (const char* const* n = names; *n && !font; ++n)
        font = XLoadQueryFont(dpy, *n);
    if (!font)
        return false;
    glXUseXFont(font->fid, 0, 256, listBase);
    // Mesa fails on glyphs without ink (the space) and leaves their lists
    // without the advance; those lists are made again here.
    while (glGetError() != GL_NO_ERROR) {
    }
    static const GLubyte noInk[1] = {0};
    for (unsigned c = 0; c < 256; ++c) {
        const XCharStruct* cs = &font->max_bounds;
        if (font->per_char) {
            if (c < font->min_char_or_byte2 || c > font->max_char_or_byte2)
                continue;
            cs = &font->per_char[c - font->min_char_or_byte2];
        }
        if (cs->rbearing - cs->lbearing > 0 && cs->ascent + cs->descent > 0)
            continue;
        glNewList(GLuint(listBase) + c, GL_COMPILE);
        glBitmap(0, 0, 0, 0, GLfloat(cs->width), 0, noInk);
        glEndList();
    }
    font_ = font;
    display_ = dpy;
    listBase_ = listBase;
    return true;
}

void XBitmapFont::Free()
{
    if (!font_)
        return;
    if (glXGetCurrentDisplay() == display_)
        glDeleteLists(GLuint(listBase_), 256);
    XFreeFont(static_cast<Display*>(display_), static_cast<XFontStruct*>(font_));
    font_ = nullptr;
    display_ = nullptr;
}

int XBitmapFont::TextWidth(const char* bytes, int count) const
{
    if (!font_ || !bytes || count <= 0)
        return 0;
    return XTextWidth(static_cast<XFontStruct*>(font_), bytes, count);
}

int XBitmapFont::GetAscent() const { return font_ ? static_cast<XFontStruct*>(font_)->ascent : 0; }

int XBitmapFont::GetDescent() const { return font_ ? static_cast<XFontStruct*>(font_)->descent : 0; }

} // namespace Gl

#endif
