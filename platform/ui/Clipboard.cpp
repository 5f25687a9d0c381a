#include "platform/ui/Clipboard.h"

#include <chrono>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <mutex>

#ifndef VORNHAL_DEDICATED
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#endif

namespace Ui {
namespace {

std::mutex g_lock;
std::string g_text;
bool g_haveText = false;

// Longest text taken from another program; what is past it is dropped.
constexpr long kMaxPasteBytes = 1 << 20;

#ifndef VORNHAL_DEDICATED
bool Headless()
{
    const char* ui = std::getenv("VORNHAL_UI");
    const char* display = std::getenv("DISPLAY");
    return (ui && std::strcmp(ui, "headless") == 0) || !display || !*display;
}

// A connection and an unmapped window of our own, so the clipboard works
// whichever window system object the renderer uses.
struct X11Clipboard {
    Display* dpy = nullptr;
    Window window = 0;
    Atom clipboard = 0, targets = 0, utf8 = 0, property = 0;
    bool owner = false;

    bool Open()
    {
        if (dpy)
            return true;
        dpy = XOpenDisplay(nullptr);
        if (!dpy)
            return false;
        window = XCreateSimpleWindow(dpy, DefaultRootWindow(dpy), 0, 0, 1, 1, 0, 0, 0);
        clipboard = XInternAtom(dpy, "CLIPBOARD", False);
        targets = XInternAtom(dpy, "TARGETS", False);
        utf8 = XInternAtom(dpy, "UTF8_STRING", False);
        property = XInternAtom(dpy, "VORNHAL_CLIPBOARD", False);
        return true;
    }

    void Answer(const XSelectionRequestEvent& req)
    {
        XSelectionEvent reply{};
        reply.type = SelectionNotify;
        reply.display = req.display;
        reply.requestor = req.requestor;
        reply.selection = req.selection;
        reply.target = req.target;
        reply.time = req.time;
        reply.property = None;
        Atom prop = req.property != None ? req.property : req.target;
        if (owner && req.target == targets) {
            Atom offered[3] = {targets, utf8, XA_STRING};
            XChangeProperty(dpy, req.requestor, prop, XA_ATOM, 32, PropModeReplace,
                            reinterpret_cast<unsigned char*>(offered), 3);
            reply.property = prop;
        } else if (owner && (req.target == XA_STRING || req.target == utf8)) {
            std::string out = req.target == utf8 ? Latin1ToUtf8(g_text) : g_text;
            XChangeProperty(dpy, req.requestor, prop, req.target, 8, PropModeReplace,
                            reinterpret_cast<const unsigned char*>(out.data()), int(out.size()));
            reply.property = prop;
        }
        XSendEvent(dpy, req.requestor, False, 0, reinterpret_cast<XEvent*>(&reply));
        XFlush(dpy);
    }

    void Pump()
    {
        while (dpy && XPending(dpy) > 0) {
            XEvent ev;
            XNextEvent(dpy, &ev);
            if (ev.type == SelectionRequest)
                Answer(ev.xselectionrequest);
            else if (ev.type == SelectionClear)
                owner = false;
        }
    }

    bool Set()
    {
        if (!Open())
            return false;
        XSetSelectionOwner(dpy, clipboard, window, CurrentTime);
        owner = XGetSelectionOwner(dpy, clipboard) == window;
        XFlush(dpy);
        return owner;
    }

    // Asks the owner for one target and waits a short while for its answer.
    bool Request(Atom target, std::string* out)
    {
        XDeleteProperty(dpy, window, property);
        XConvertSelection(dpy, clipboard, target, property, window, CurrentTime);
        XFlush(dpy);
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(500);
        while (std::chrono::steady_clock::now() < deadline) {
            if (XPending(dpy) == 0) {
                struct timespec pause {
                    0, 2000000
                };
                nanosleep(&pause, nullptr);
                continue;
            }
            XEvent ev;
            XNextEvent(dpy, &ev);
            if (ev.type == SelectionRequest) {
                Answer(ev.xselectionrequest);
            } else if (ev.type == SelectionClear) {
                owner = false;
            } else if (ev.type == SelectionNotify && ev.xselection.selection == clipboard) {
                if (ev.xselection.property == None)
                    return false;
                return ReadProperty(target, out);
            }
        }
        return false;
    }

    bool ReadProperty(Atom target, std::string* out)
    {
        Atom type = None;
        int format = 0;
        unsigned long count = 0, after = 0;
        unsigned char* data = nullptr;
        if (XGetWindowProperty(dpy, window, property, 0, kMaxPasteBytes / 4, True, AnyPropertyType, &type, &format,
                               &count, &after, &data) != Success)
            return false;
        bool ok = data && format == 8 && (type == XA_STRING || type == utf8);
        if (ok) {
            std::string raw(reinterpret_cast<const char*>(data), count);
            *out = type == utf8 || target == utf8 ? Utf8ToLatin1(raw) : raw;
        }
        if (data)
            XFree(data);
        return ok;
    }

    static std::string Latin1ToUtf8(const std::string& in)
    {
        std::string out;
        for (unsigned char c : in) {
            if (c < 0x80) {
                out += char(c);
            } else {
                out += char(0xC0 | (c >> 6));
                out += char(0x80 | (c & 0x3F));
            }
        }
        return out;
    }

    // Characters past 255 have no place in 8-bit text: they are dropped, as
    // are broken sequences.
    static std::string Utf8ToLatin1(const std::string& in)
    {
        std::string out;
        size_t i = 0;
        while (i < in.size()) {
            unsigned char c = in[i];
            size_t len = c < 0x80 ? 1 : (c >> 5) == 6 ? 2 : (c >> 4) == 14 ? 3 : (c >> 3) == 30 ? 4 : 0;
            if (len == 0 || i + len > in.size()) {
                ++i;
                continue;
            }
            unsigned cp = len == 1 ? c : c & (0x7F >> len);
            bool good = true;
            for (size_t k = 1; k < len; ++k) {
                unsigned char d = in[i + k];
                good = good && (d & 0xC0) == 0x80;
                cp = (cp << 6) | (d & 0x3F);
            }
            i += good ? len : 1;
            if (good && cp <= 0xFF)
                out += char(cp);
        }
        return out;
    }
};

X11Clipboard g_x11;
#endif

} // namespace

bool SetClipboardBytes(const std::string& bytes)
{
    std::lock_guard<std::mutex> hold(g_lock);
    g_text = bytes;
    g_haveText = true;
#ifndef VORNHAL_DEDICATED
    if (!Headless())
        g_x11.Set();
#endif
    return true;
}

bool GetClipboardBytes(std::string* bytes)
{
    std::lock_guard<std::mutex> hold(g_lock);
#ifndef VORNHAL_DEDICATED
    if (!Headless() && g_x11.Open()) {
        g_x11.Pump();
        if (!g_x11.owner) {
            if (XGetSelectionOwner(g_x11.dpy, g_x11.clipboard) == None)
                return false;
            return g_x11.Request(g_x11.utf8, bytes) || g_x11.Request(XA_STRING, bytes);
        }
    }
#endif
    if (!g_haveText)
        return false;
    *bytes = g_text;
    return true;
}

void PumpClipboard()
{
#ifndef VORNHAL_DEDICATED
    std::lock_guard<std::mutex> hold(g_lock);
    if (g_x11.dpy)
        g_x11.Pump();
#endif
}

} // namespace Ui
