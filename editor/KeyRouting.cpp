#include "editor/KeyRouting.h"

#include "game/shell/editor/EditorKeys.h"

namespace KeyRouting {

Route Decide(bool down, unsigned key, bool ctrlHeld, bool inputAttached, Focus focus, bool shownShortcut)
{
    Route r;
    if (inputAttached || key == 0)
        return r;
    // Ctrl reaches the level whatever has the focus, so that its held state
    // never sticks.
    if (key == EditorKeys::Ctrl) {
        r.toLevel = true;
        return r;
    }
    switch (focus) {
    case Focus::Clipboard:
        r.toggleClipboard = down && !ctrlHeld && key == EditorKeys::Letter('B');
        return r;
    case Focus::TextField:
        // Typed text is the field's: a letter must not switch tools, nor
        // Delete remove what is selected in the level. A shown shortcut
        // with Ctrl acts nowhere.
        r.swallow = shownShortcut && ctrlHeld;
        return r;
    case Focus::OtherWindow:
        return r;
    case Focus::View:
    case Focus::FrameControl:
        r.toLevel = true;
        r.swallow = shownShortcut;
        return r;
    }
    return r;
}

} // namespace KeyRouting
