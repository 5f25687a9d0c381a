#pragma once

// Where the editor sends a key: to the level (IEditorUI::KeyDown, KeyUp),
// to the Clipboard window's own toggle, and whether the toolkit still gets
// it. Decided apart from the windows, which only say where the focus is.
namespace KeyRouting {

enum class Focus {
    View,         // the level view
    FrameControl, // any other control of the main frame that takes no text
    TextField,    // a control that takes typed text, wherever it is
    Clipboard,    // the Clipboard window or a control in it
    OtherWindow,  // a dialog, the about box, nothing
};

struct Route {
    bool toLevel = false;
    bool toggleClipboard = false;
    // Kept from the toolkit: a shortcut the menus only show (the tool
    // letters, Ctrl+B) must not act a second time as a menu accelerator.
    bool swallow = false;
};

struct Key {
    bool down = true;
    unsigned code = 0; // the editor's key code (EditorKeys), 0 for keys it has none for
    bool ctrlHeld = false;
    // With Alt held a letter opens a menu, and an open menu takes the keys.
    bool forMenu = false;
    // A key the menus show without it being an accelerator.
    bool shownShortcut = false;
};

Route Decide(const Key& key, bool inputAttached, Focus focus);

} // namespace KeyRouting
