#include "XDriver.h"

#include <X11/Xlib.h>

#include "engine/files/FileManager.h"
#include "engine/files/IFile.h"
#include "engine/png/PngImage.h"
#include "platform/os/OsText.h"

#include <X11/Xatom.h>
#include <X11/Xutil.h>
#include <X11/extensions/XTest.h>

#include <chrono>
#include <memory>
#include <thread>

namespace {

// The driver's thread talks to the display beside the toolkit's.
const bool kThreads = XInitThreads() != 0;

template <typename F>
bool Within(int ms, F done)
{
    auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
    for (;;) {
        if (done())
            return true;
        if (std::chrono::steady_clock::now() > end)
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
}

} // namespace

XDriver::XDriver() : dpy_(kThreads ? XOpenDisplay(nullptr) : nullptr) {}

XDriver::~XDriver()
{
    if (dpy_)
        XCloseDisplay(dpy_);
}

std::string XDriver::Title(XWindow w)
{
    Atom utf8 = XInternAtom(dpy_, "UTF8_STRING", False);
    Atom type = None;
    int format = 0;
    unsigned long count = 0, after = 0;
    unsigned char* data = nullptr;
    std::string title;
    if (XGetWindowProperty(dpy_, w, XInternAtom(dpy_, "_NET_WM_NAME", False), 0, 1024, False, utf8, &type, &format,
                           &count, &after, &data) == Success &&
        data && type == utf8)
        title.assign(reinterpret_cast<char*>(data), count);
    if (data)
        XFree(data);
    return title;
}

bool XDriver::Viewable(XWindow w)
{
    XWindowAttributes a;
    return XGetWindowAttributes(dpy_, w, &a) && a.map_state == IsViewable;
}

XWindow XDriver::WaitForWindow(const std::string& title, int ms)
{
    XWindow found = 0;
    Within(ms, [&] {
        Window root = 0, parent = 0, *children = nullptr;
        unsigned int n = 0;
        if (XQueryTree(dpy_, DefaultRootWindow(dpy_), &root, &parent, &children, &n)) {
            for (unsigned int i = n; i-- > 0 && !found;)
                if (Viewable(children[i]) && Title(children[i]) == title)
                    found = children[i];
            XFree(children);
        }
        return found != 0;
    });
    return found;
}

bool XDriver::WaitGone(XWindow w, int ms)
{
    return Within(ms, [&] {
        XErrorHandler old = XSetErrorHandler([](Display*, XErrorEvent*) { return 0; });
        bool gone = !Viewable(w);
        XSync(dpy_, False);
        XSetErrorHandler(old);
        return gone;
    });
}

bool XDriver::WaitForPixel(XWindow w, int x, int y, uint32_t rgb, int ms)
{
    return Within(ms, [&] {
        int width = 0, height = 0;
        std::vector<uint32_t> pixels;
        return Capture(w, &width, &height, &pixels) && x < width && y < height &&
               pixels[size_t(y) * size_t(width) + size_t(x)] == rgb;
    });
}

void XDriver::Focus(XWindow w)
{
    XRaiseWindow(dpy_, w);
    XSetInputFocus(dpy_, w, RevertToPointerRoot, CurrentTime);
    XSync(dpy_, False);
}

void XDriver::Key(const char* keysym)
{
    KeyCode code = XKeysymToKeycode(dpy_, XStringToKeysym(keysym));
    XTestFakeKeyEvent(dpy_, code, True, CurrentTime);
    XTestFakeKeyEvent(dpy_, code, False, CurrentTime);
    XSync(dpy_, False);
}

void XDriver::Chord(const char* modifier, const char* keysym)
{
    KeyCode held = XKeysymToKeycode(dpy_, XStringToKeysym(modifier));
    XTestFakeKeyEvent(dpy_, held, True, CurrentTime);
    Key(keysym);
    XTestFakeKeyEvent(dpy_, held, False, CurrentTime);
    XSync(dpy_, False);
}

void XDriver::PointerTo(int x, int y)
{
    XTestFakeMotionEvent(dpy_, -1, x, y, CurrentTime);
    XSync(dpy_, False);
}

void XDriver::Button(int button, bool down)
{
    XTestFakeButtonEvent(dpy_, unsigned(button), down ? True : False, CurrentTime);
    XSync(dpy_, False);
}

void XDriver::Type(const std::string& text)
{
    for (char c : text)
        Key(std::string(1, c).c_str());
}

bool XDriver::Capture(XWindow w, int* width, int* height, std::vector<uint32_t>* pixels)
{
    XWindowAttributes a;
    if (!XGetWindowAttributes(dpy_, w, &a) || a.map_state != IsViewable)
        return false;
    XImage* image = XGetImage(dpy_, w, 0, 0, unsigned(a.width), unsigned(a.height), AllPlanes, ZPixmap);
    if (!image)
        return false;
    *width = a.width;
    *height = a.height;
    pixels->resize(size_t(a.width) * size_t(a.height));
    for (int y = 0; y < a.height; ++y)
        for (int x = 0; x < a.width; ++x)
            (*pixels)[size_t(y) * size_t(a.width) + size_t(x)] = uint32_t(XGetPixel(image, x, y)) & 0xFFFFFF;
    XDestroyImage(image);
    return true;
}

bool SavePng(const std::string& path, int width, int height, const std::vector<uint32_t>& pixels)
{
    // The writer takes bytes red, green, blue, alpha, rows bottom to top.
    std::vector<uint32_t> rows(pixels.size());
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            uint32_t p = pixels[size_t(height - 1 - y) * size_t(width) + size_t(x)];
            rows[size_t(y) * size_t(width) + size_t(x)] =
                ((p >> 16) & 0xFF) | (p & 0xFF00) | ((p & 0xFF) << 16) | 0xFF000000u;
        }
    FileManager files;
    std::unique_ptr<IFile> out(files.Open(Util::FromOs(path).c_str(), kOpenWrite, kOpenFullPath | kOpenNoPackage));
    if (!out)
        return false;
    PngImage png(out.get());
    png.SetPixels(width, height, rows.data());
    return png.Write() && out->Flush();
}

bool LoadPng(const std::string& path, int* width, int* height, std::vector<uint32_t>* pixels)
{
    FileManager files;
    std::unique_ptr<IFile> in(files.Open(Util::FromOs(path).c_str(), kOpenRead, kOpenFullPath | kOpenNoPackage));
    PngImage png(in.get());
    if (!in || !png.Read(true))
        return false;
    *width = png.GetWidth();
    *height = png.GetHeight();
    pixels->assign(png.GetPixels(), png.GetPixels() + size_t(*width) * size_t(*height));
    return true;
}
