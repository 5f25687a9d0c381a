#include "editor/CEditorApp.h"

#include <cstdlib>

wxIMPLEMENT_APP_NO_MAIN(CEditorApp);

int main(int argc, char** argv)
{
    // The engine draws into the editor's windows through GLX: they must be
    // X11 windows whatever the desktop prefers.
    setenv("GDK_BACKEND", "x11", 1);
    return wxEntry(argc, argv);
}
