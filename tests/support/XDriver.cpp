#include "support/XDriver.h"

#include <poll.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <SDL/SDL.h>
#include <SDL/SDL_syswm.h>
#include <X11/Xlib.h>

#include "engine/files/FileManager.h"
#include "engine/files/IFile.h"
#include "engine/png/PngImage.h"
#include "platform/os/OsText.h"

#include <X11/XKBlib.h>
#include <X11/Xatom.h>
#include <X11/Xutil.h>
#include <X11/extensions/XTest.h>
#include <X11/keysym.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <thread>

namespace {

// The driver's thread talks to the display beside the toolkit's.
const bool kThreads = XInitThreads() != 0;

template <typename F> bool Within(int ms, F done)
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

// The server lives as long as the process: libraries keep connections to
// it open until the process ends, and a server gone before them ends the
// process through Xlib's error handler.
PrivateDisplay::~PrivateDisplay()
{
    if (pid_ <= 0)
        return;
    if (hadDisplay_)
        setenv("DISPLAY", oldDisplay_.c_str(), 1);
    else
        unsetenv("DISPLAY");
}

bool PrivateDisplay::Start()
{
    int ready[2];
    if (pipe(ready) != 0)
        return false;
    const std::string fd = std::to_string(ready[1]);
    pid_ = fork();
    if (pid_ == 0) {
        close(ready[0]);
        prctl(PR_SET_PDEATHSIG, SIGTERM);
        // The server writes its display number once it takes connections.
        // The font path is scripts/with-display.sh's, so one setting gives
        // every display of a run a desktop's fonts.
        std::vector<const char*> args = {"Xvfb",         "-displayfd", fd.c_str(), "-screen", "0",
                                         "1280x1024x24", "-nolisten",  "tcp",      "-noreset"};
        const char* fontPath = std::getenv("VORNHAL_FONT_PATH");
        if (fontPath && *fontPath) {
            args.push_back("-fp");
            args.push_back(fontPath);
        }
        args.push_back(nullptr);
        execvp("Xvfb", const_cast<char* const*>(args.data()));
        _exit(127);
    }
    close(ready[1]);
    std::string number;
    pollfd wait{ready[0], POLLIN, 0};
    char c = 0;
    while (pid_ > 0 && poll(&wait, 1, 20000) == 1 && read(ready[0], &c, 1) == 1 && c != '\n')
        number += c;
    close(ready[0]);
    if (number.empty()) {
        if (pid_ > 0) {
            kill(pid_, SIGTERM);
            waitpid(pid_, nullptr, 0);
        }
        pid_ = -1;
        return false;
    }
    const char* old = std::getenv("DISPLAY");
    hadDisplay_ = old != nullptr;
    oldDisplay_ = old ? old : "";
    setenv("DISPLAY", (":" + number).c_str(), 1);
    return true;
}

bool XShot::SameIn(const XShot& other, int x, int y, int w, int h) const
{
    if (width != other.width || height != other.height)
        return false;
    for (int row = std::max(y, 0); row < std::min(y + h, height); ++row)
        for (int col = std::max(x, 0); col < std::min(x + w, width); ++col)
            if (At(col, row) != other.At(col, row))
                return false;
    return true;
}

int XShot::CountOther(uint32_t colour, int x, int y, int w, int h) const
{
    int n = 0;
    for (int row = std::max(y, 0); row < std::min(y + h, height); ++row)
        for (int col = std::max(x, 0); col < std::min(x + w, width); ++col)
            n += At(col, row) != colour;
    return n;
}

XDriver::XDriver() : dpy_(kThreads ? XOpenDisplay(nullptr) : nullptr)
{
    // The programs' windows come and go while they are looked at: a window
    // gone between finding and asking is an answer, not the end of the test.
    if (dpy_)
        XSetErrorHandler([](Display*, XErrorEvent*) { return 0; });
}

XDriver::~XDriver()
{
    if (dpy_)
        XCloseDisplay(dpy_);
}

XWindow XDriver::Screen() const { return DefaultRootWindow(dpy_); }

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
    // Older toolkits name their windows only the old way.
    char* name = nullptr;
    if (title.empty() && XFetchName(dpy_, w, &name) && name)
        title = name;
    if (name)
        XFree(name);
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
    return Within(ms, [&] { return !Viewable(w); });
}

bool XDriver::WaitUntil(XWindow w, const std::function<bool(const XShot&)>& seen, int ms)
{
    return Within(ms, [&] {
        XShot shot;
        return Capture(w, &shot) && seen(shot);
    });
}

bool XDriver::WaitForPixel(XWindow w, int x, int y, uint32_t rgb, int ms)
{
    return WaitUntil(
        w, [&](const XShot& s) { return s.Contains(x, y) && s.At(x, y) == rgb; }, ms);
}

bool XDriver::WaitForChange(XWindow w, const XShot& before, int x, int y, int width, int height, int ms)
{
    return WaitUntil(
        w, [&](const XShot& s) { return !s.SameIn(before, x, y, width, height); }, ms);
}

void XDriver::Focus(XWindow w)
{
    XRaiseWindow(dpy_, w);
    XSetInputFocus(dpy_, w, RevertToPointerRoot, CurrentTime);
    XSync(dpy_, False);
}

void XDriver::Close(XWindow w)
{
    XEvent e = {};
    e.xclient.type = ClientMessage;
    e.xclient.window = w;
    e.xclient.message_type = XInternAtom(dpy_, "WM_PROTOCOLS", False);
    e.xclient.format = 32;
    e.xclient.data.l[0] = long(XInternAtom(dpy_, "WM_DELETE_WINDOW", False));
    e.xclient.data.l[1] = CurrentTime;
    XSendEvent(dpy_, w, False, NoEventMask, &e);
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
    const KeyCode held = XKeysymToKeycode(dpy_, XStringToKeysym(modifier));
    XTestFakeKeyEvent(dpy_, held, True, CurrentTime);
    Key(keysym);
    XTestFakeKeyEvent(dpy_, held, False, CurrentTime);
    XSync(dpy_, False);
}

void XDriver::Type(const std::string& text)
{
    const KeyCode shift = XKeysymToKeycode(dpy_, XK_Shift_L);
    for (char c : text) {
        const KeySym symbol = c == '\n' ? XK_Return : KeySym((unsigned char)c);
        const KeyCode code = XKeysymToKeycode(dpy_, symbol);
        // Capitals and the signs above the digits are on the shifted level.
        const bool upper = XkbKeycodeToKeysym(dpy_, code, 0, 0) != symbol;
        if (upper)
            XTestFakeKeyEvent(dpy_, shift, True, CurrentTime);
        XTestFakeKeyEvent(dpy_, code, True, CurrentTime);
        XTestFakeKeyEvent(dpy_, code, False, CurrentTime);
        if (upper)
            XTestFakeKeyEvent(dpy_, shift, False, CurrentTime);
    }
    XSync(dpy_, False);
}

void XDriver::MoveTo(XWindow w, int x, int y)
{
    int rootX = 0, rootY = 0;
    Window child = 0;
    XTranslateCoordinates(dpy_, w, DefaultRootWindow(dpy_), x, y, &rootX, &rootY, &child);
    XTestFakeMotionEvent(dpy_, -1, rootX, rootY, CurrentTime);
    XSync(dpy_, False);
}

void XDriver::Button(bool down)
{
    XTestFakeButtonEvent(dpy_, 1, down ? True : False, CurrentTime);
    XSync(dpy_, False);
}

bool XDriver::DropFile(XWindow w, int x, int y, const std::string& path)
{
    auto atom = [&](const char* name) { return XInternAtom(dpy_, name, False); };
    const Window source = XCreateSimpleWindow(dpy_, DefaultRootWindow(dpy_), 0, 0, 1, 1, 0, 0, 0);
    XSelectInput(dpy_, source, NoEventMask);
    XSetSelectionOwner(dpy_, atom("XdndSelection"), source, CurrentTime);
    int rootX = 0, rootY = 0;
    Window child = 0;
    XTranslateCoordinates(dpy_, w, DefaultRootWindow(dpy_), x, y, &rootX, &rootY, &child);
    auto send = [&](const char* type, long l1, long l2, long l3, long l4) {
        XEvent e = {};
        e.xclient.type = ClientMessage;
        e.xclient.window = w;
        e.xclient.message_type = atom(type);
        e.xclient.format = 32;
        e.xclient.data.l[0] = long(source);
        e.xclient.data.l[1] = l1;
        e.xclient.data.l[2] = l2;
        e.xclient.data.l[3] = l3;
        e.xclient.data.l[4] = l4;
        XSendEvent(dpy_, w, False, NoEventMask, &e);
        XFlush(dpy_);
    };
    const std::string uri = "file://" + path + "\r\n";
    send("XdndEnter", 5L << 24, long(atom("text/uri-list")), 0, 0);
    send("XdndPosition", 0, (long(rootX) << 16) | rootY, CurrentTime, long(atom("XdndActionCopy")));
    // The target answers the position, asks for the data after the drop,
    // and says when it is done with it.
    bool dropped = false, finished = false;
    Within(15000, [&] {
        while (XPending(dpy_)) {
            XEvent e;
            XNextEvent(dpy_, &e);
            if (e.type == ClientMessage && e.xclient.message_type == atom("XdndStatus") && !dropped) {
                dropped = true;
                send("XdndDrop", 0, CurrentTime, 0, 0);
            } else if (e.type == ClientMessage && e.xclient.message_type == atom("XdndFinished")) {
                finished = true;
            } else if (e.type == SelectionRequest) {
                const XSelectionRequestEvent& r = e.xselectionrequest;
                XChangeProperty(dpy_, r.requestor, r.property, r.target, 8, PropModeReplace,
                                reinterpret_cast<const unsigned char*>(uri.data()), int(uri.size()));
                XEvent reply = {};
                reply.xselection.type = SelectionNotify;
                reply.xselection.requestor = r.requestor;
                reply.xselection.selection = r.selection;
                reply.xselection.target = r.target;
                reply.xselection.property = r.property;
                reply.xselection.time = r.time;
                XSendEvent(dpy_, r.requestor, False, NoEventMask, &reply);
                XFlush(dpy_);
            }
        }
        return finished;
    });
    XDestroyWindow(dpy_, source);
    XSync(dpy_, False);
    return finished;
}

bool XDriver::Open()
{
    SDL_SysWMinfo info;
    SDL_VERSION(&info.version);
    if (!dpy_ || SDL_GetWMInfo(&info) != 1)
        return false;
    sdlWindow_ = info.info.x11.window;
    return true;
}

void XDriver::Key(unsigned long keysym, bool down, unsigned long delayMs)
{
    XTestFakeKeyEvent(dpy_, XKeysymToKeycode(dpy_, keysym), down ? True : False, delayMs);
    XSync(dpy_, False);
}

void XDriver::Click(XWindow w, int x, int y)
{
    MoveTo(w, x, y);
    Button(true);
    Button(false);
}

bool XDriver::Capture(XWindow w, XShot* shot) { return Capture(w, &shot->width, &shot->height, &shot->pixels); }

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
    std::error_code ignored;
    std::filesystem::create_directories(std::filesystem::path(path).parent_path(), ignored);
    FileManager files;
    std::unique_ptr<IFile> out(files.Open(Util::FromOs(path).c_str(), kOpenWrite, kOpenFullPath | kOpenNoPackage));
    if (!out)
        return false;
    PngImage png(out.get());
    png.SetPixels(width, height, rows.data());
    return png.Write() && out->Flush();
}

bool SavePng(const std::string& path, const XShot& shot) { return SavePng(path, shot.width, shot.height, shot.pixels); }

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
