#include "editor/script/Screenshot.h"

#include <wx/app.h>
#include <wx/filename.h>
#include <wx/image.h>
#include <wx/window.h>

#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <algorithm>
#include <cstdio>

namespace {

// A channel of an X pixel as 8 bits, whatever its mask.
unsigned char Channel(unsigned long pixel, unsigned long mask)
{
    if (!mask)
        return 0;
    int shift = 0;
    while (!((mask >> shift) & 1))
        ++shift;
    const unsigned long top = mask >> shift;
    return (unsigned char)(((pixel & mask) >> shift) * 255 / top);
}

} // namespace

bool SaveWindowPicture(wxWindow* window, const std::string& path)
{
    if (!window || !window->IsShownOnScreen())
        return false;
    // What changed last is drawn before the picture is taken.
    window->Refresh();
    window->Update();
    if (wxTheApp)
        wxTheApp->Yield(true);
    const wxRect r = window->GetScreenRect();
    Display* dpy = XOpenDisplay(nullptr);
    if (!dpy)
        return false;
    XSync(dpy, False);
    // The display's own picture, as a person sees it, renderer's pixels
    // included; parts off the screen are left out.
    const int sw = DisplayWidth(dpy, DefaultScreen(dpy)), sh = DisplayHeight(dpy, DefaultScreen(dpy));
    const int x0 = std::max(0, r.x), y0 = std::max(0, r.y);
    const int x1 = std::min(sw, r.x + r.width), y1 = std::min(sh, r.y + r.height);
    bool ok = false;
    if (x1 > x0 && y1 > y0) {
        XImage* image =
            XGetImage(dpy, DefaultRootWindow(dpy), x0, y0, unsigned(x1 - x0), unsigned(y1 - y0), AllPlanes, ZPixmap);
        if (image) {
            wxImage out(x1 - x0, y1 - y0);
            for (int y = 0; y < y1 - y0; ++y)
                for (int x = 0; x < x1 - x0; ++x) {
                    const unsigned long p = XGetPixel(image, x, y);
                    out.SetRGB(x, y, Channel(p, image->red_mask), Channel(p, image->green_mask),
                               Channel(p, image->blue_mask));
                }
            XDestroyImage(image);
            wxFileName::Mkdir(wxFileName(wxString::FromUTF8(path)).GetPath(), wxS_DIR_DEFAULT, wxPATH_MKDIR_FULL);
            ok = out.SaveFile(wxString::FromUTF8(path), wxBITMAP_TYPE_PNG);
        }
    }
    XCloseDisplay(dpy);
    if (!ok)
        std::fprintf(stderr, "script: no picture of the window for %s\n", path.c_str());
    return ok;
}
