#include "support/XDriver.h"

#include <poll.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>

#include <SDL/SDL.h>
#include <SDL/SDL_syswm.h>
#include <X11/Xlib.h>
#include <X11/extensions/XTest.h>

namespace {

Display* Of(void* display) { return static_cast<Display*>(display); }

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
        execlp("Xvfb", "Xvfb", "-displayfd", fd.c_str(), "-screen", "0", "1280x1024x24", "-nolisten", "tcp",
               "-noreset", static_cast<char*>(nullptr));
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

XDriver::XDriver() = default;

XDriver::~XDriver()
{
    if (display_)
        XCloseDisplay(Of(display_));
}

bool XDriver::Open()
{
    display_ = XOpenDisplay(nullptr);
    SDL_SysWMinfo info;
    SDL_VERSION(&info.version);
    if (!display_ || SDL_GetWMInfo(&info) != 1)
        return false;
    Window child;
    XTranslateCoordinates(Of(display_), info.info.x11.window, DefaultRootWindow(Of(display_)), 0, 0, &originX_,
                          &originY_, &child);
    return true;
}

void XDriver::MoveTo(int x, int y)
{
    XTestFakeMotionEvent(Of(display_), -1, originX_ + x, originY_ + y, CurrentTime);
    XSync(Of(display_), False);
}

void XDriver::Button(bool down)
{
    XTestFakeButtonEvent(Of(display_), 1, down, CurrentTime);
    XSync(Of(display_), False);
}

void XDriver::Key(unsigned long keysym, bool down)
{
    XTestFakeKeyEvent(Of(display_), XKeysymToKeycode(Of(display_), keysym), down, CurrentTime);
    XSync(Of(display_), False);
}
