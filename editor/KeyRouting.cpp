#include "editor/KeyRouting.h"

#include "game/shell/editor/EditorKeys.h"

namespace KeyRouting {

Route Decide(const Key& key, bool inputAttached, Focus focus)
{
    Route r;
    if (inputAttached || key.code == 0)
        return r;
    // Ctrl reaches the level whatever has the focus, so that its held state
    // never sticks.
    if (key.code == EditorKeys::Ctrl) {
        r.toLevel = true;
        return r;
    }
    if (key.forMenu)
        return r;
    switch (focus) {
    case Focus::Clipboard:
        r.toggleClipboard = key.down && key.code == EditorKeys::Letter('B');
        return r;
    case Focus::TextField:
        // Typed text is the field's: a letter must not switch tools, nor
        // Delete remove what is selected in the level. Ctrl+B still does
        // what the View menu's entry does, once.
        r.swallow = key.shownShortcut && key.ctrlHeld;
        r.toggleClipboard = key.down && key.ctrlHeld && key.code == EditorKeys::Letter('B');
        return r;
    case Focus::OtherWindow:
        return r;
    case Focus::View:
    case Focus::FrameControl:
        r.toLevel = true;
        // The menu shows Ctrl+B for the Clipboard: it toggles the window
        // from wherever the level's keys go.
        r.toggleClipboard = key.down && key.ctrlHeld && key.code == EditorKeys::Letter('B');
        r.swallow = key.shownShortcut;
        return r;
    }
    return r;
}

} // namespace KeyRouting
