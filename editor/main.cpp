#include "editor/CEditorApp.h"
#include "platform/os/StopSignals.h"

#include <cstdlib>

wxIMPLEMENT_APP_NO_MAIN(CEditorApp);

int main(int argc, char** argv)
{
    // The engine draws into the editor's windows through GLX: they must be
    // X11 windows whatever the desktop prefers.
    setenv("GDK_BACKEND", "x11", 1);
    // Scroll bars that show only under the pointer hide that a palette has
    // more items than its width shows.
    setenv("GTK_OVERLAY_SCROLLING", "0", 0);
    // SIGTERM, SIGINT and SIGHUP end the editor at once; left to the
    // engine's video start they would be taken and never acted on.
    Os::CatchStopSignals();
    return wxEntry(argc, argv);
}
