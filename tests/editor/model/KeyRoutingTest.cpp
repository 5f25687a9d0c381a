// Where a key goes: to the level, to the Clipboard's toggle, or only to the
// control that has the focus.
#include "editor/KeyRouting.h"
#include "game/shell/editor/EditorKeys.h"

#include <gtest/gtest.h>

namespace {

using KeyRouting::Focus;

const unsigned B = EditorKeys::Letter('B');

KeyRouting::Route Decide(bool down, unsigned code, bool ctrl, bool attached, Focus focus, bool shown,
                         bool forMenu = false)
{
    KeyRouting::Key k;
    k.down = down, k.code = code, k.ctrlHeld = ctrl, k.shownShortcut = shown, k.forMenu = forMenu;
    return KeyRouting::Decide(k, attached, focus);
}

TEST(KeyRouting, TypedTextStaysInItsFieldAndTheLevelGetsTheRest)
{
    // In the view: the level gets it; a shown tool letter is not also an
    // accelerator.
    auto r = Decide(true, B, false, false, Focus::View, true);
    EXPECT_TRUE(r.toLevel);
    EXPECT_TRUE(r.swallow);
    r = Decide(true, EditorKeys::Delete, false, false, Focus::FrameControl, false);
    EXPECT_TRUE(r.toLevel);
    EXPECT_FALSE(r.swallow);
    // In a text field, wherever it is: the field's.
    for (unsigned key : {B, unsigned(EditorKeys::Delete), EditorKeys::Digit(1)}) {
        r = Decide(true, key, false, false, Focus::TextField, key == B);
        EXPECT_FALSE(r.toLevel) << key;
        EXPECT_FALSE(r.swallow) << key;
    }
    // Ctrl always reaches the level, so that it never sticks.
    for (Focus f : {Focus::TextField, Focus::Clipboard, Focus::OtherWindow}) {
        EXPECT_TRUE(Decide(true, EditorKeys::Ctrl, false, false, f, false).toLevel);
        EXPECT_TRUE(Decide(false, EditorKeys::Ctrl, true, false, f, false).toLevel);
    }
    EXPECT_FALSE(Decide(true, B, false, false, Focus::OtherWindow, true).toLevel);
    // Alt+V opens the View menu and picks no tool.
    EXPECT_FALSE(Decide(true, EditorKeys::Letter('V'), false, false, Focus::View, true, true).toLevel);
    EXPECT_FALSE(Decide(true, B, false, true, Focus::View, true).toLevel);
}

TEST(KeyRouting, BTogglesTheClipboardOnlyWhileItHasTheFocus)
{
    auto r = Decide(true, B, false, false, Focus::Clipboard, true);
    EXPECT_TRUE(r.toggleClipboard);
    EXPECT_FALSE(r.toLevel);
    EXPECT_FALSE(Decide(false, B, false, false, Focus::Clipboard, true).toggleClipboard);
    EXPECT_FALSE(Decide(true, B, false, false, Focus::View, true).toggleClipboard);
    // Ctrl+B is shown by the menu but no accelerator.
    r = Decide(true, B, true, false, Focus::TextField, true);
    EXPECT_TRUE(r.swallow);
}

} // namespace
