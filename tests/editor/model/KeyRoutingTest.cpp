// Where a key goes: to the level, to the Clipboard's toggle, or only to the
// control that has the focus.
#include "editor/KeyRouting.h"
#include "game/shell/editor/EditorKeys.h"

#include <gtest/gtest.h>

namespace {

using KeyRouting::Focus;

TEST(KeyRouting, TypedTextStaysInItsFieldAndTheLevelGetsTheRest)
{
    const unsigned B = EditorKeys::Letter('B'), V = EditorKeys::Letter('V'), Del = EditorKeys::Delete,
                   Ctrl = EditorKeys::Ctrl, One = EditorKeys::Digit(1);
    const struct {
        bool down;
        unsigned code;
        bool ctrl, attached;
        Focus focus;
        bool shown, forMenu;
        bool toLevel, swallow, toggle;
    } cases[] = {
        // In the view the level gets it; a shown tool letter is not also an accelerator.
        {true, B, false, false, Focus::View, true, false, true, true, false},
        {true, Del, false, false, Focus::FrameControl, false, false, true, false, false},
        // In a text field, wherever it is: the field's.
        {true, B, false, false, Focus::TextField, true, false, false, false, false},
        {true, Del, false, false, Focus::TextField, false, false, false, false, false},
        {true, One, false, false, Focus::TextField, false, false, false, false, false},
        // Ctrl always reaches the level, so that it never sticks.
        {true, Ctrl, false, false, Focus::TextField, false, false, true, false, false},
        {false, Ctrl, true, false, Focus::Clipboard, false, false, true, false, false},
        {true, Ctrl, false, false, Focus::OtherWindow, false, false, true, false, false},
        {true, B, false, false, Focus::OtherWindow, true, false, false, false, false},
        // Alt+V opens the View menu and picks no tool; a detached view's keys are its own.
        {true, V, false, false, Focus::View, true, true, false, false, false},
        {true, B, false, true, Focus::View, true, false, false, false, false},
        // B toggles the Clipboard only while it has the focus, Ctrl+B from where the level's
        // keys go and from a text field (once: not also as the menu's accelerator).
        {true, B, false, false, Focus::Clipboard, true, false, false, false, true},
        {false, B, false, false, Focus::Clipboard, true, false, false, false, false},
        {true, B, true, false, Focus::View, true, false, true, true, true},
        {true, B, true, false, Focus::TextField, true, false, false, true, true},
    };
    for (const auto& c : cases) {
        KeyRouting::Key k;
        k.down = c.down, k.code = c.code, k.ctrlHeld = c.ctrl, k.shownShortcut = c.shown, k.forMenu = c.forMenu;
        const KeyRouting::Route r = KeyRouting::Decide(k, c.attached, c.focus);
        const int row = int(&c - cases);
        EXPECT_EQ(r.toLevel, c.toLevel) << row;
        EXPECT_EQ(r.swallow, c.swallow) << row;
        EXPECT_EQ(r.toggleClipboard, c.toggle) << row;
    }
}

} // namespace
