#pragma once

// The key codes the editing interface takes (IEditorUI::KeyDown, KeyUp):
// the editor's historical numbers, which follow the Windows virtual-key
// table. Hosts translate their own key events into these in one place:
// X11 keysyms through EditorKeyFromKeysym (GTK, and wx on GTK, hand the
// keysym over as the raw key code).
namespace EditorKeys {

enum : unsigned {
    Backspace = 0x08,
    Tab = 0x09,
    Return = 0x0D,
    Shift = 0x10,
    Ctrl = 0x11,
    Alt = 0x12,
    Escape = 0x1B,
    Space = 0x20,
    PageUp = 0x21,
    PageDown = 0x22,
    End = 0x23,
    Home = 0x24,
    Left = 0x25,
    Up = 0x26,
    Right = 0x27,
    Down = 0x28,
    Delete = 0x2E,
    // Digits '0'..'9' and letters 'A'..'Z' are their upper-case ASCII codes.
    Digit0 = 0x30,
    LetterA = 0x41,
    NumPad0 = 0x60,
    Multiply = 0x6A,
    Add = 0x6B,
    Subtract = 0x6D,
    Divide = 0x6F,
    F1 = 0x70,
    // The "=+" and "-_" keys of the main block.
    OemPlus = 0xBB,
    OemMinus = 0xBD,
    // The context menu's Clone of the selected light.
    Clone = 0xFFFF0001u,
};

// The letter key (c is 'A'..'Z' or 'a'..'z').
constexpr unsigned Letter(char c) { return unsigned(c >= 'a' ? c - 'a' + 'A' : c); }
constexpr unsigned Digit(int d) { return Digit0 + unsigned(d); }

// Plus and minus as any keyboard sends them. The codes 0x2B and 0x2D are
// taken as well: older hosts sent the characters themselves.
constexpr bool IsPlus(unsigned key) { return key == 0x2B || key == OemPlus || key == Add; }
constexpr bool IsMinus(unsigned key) { return key == 0x2D || key == OemMinus || key == Subtract; }

} // namespace EditorKeys

// The editor's key code of an X11 keysym; 0 for keys the editor has no code
// for. AltGr (ISO_Level3_Shift) is Alt here, never Ctrl.
unsigned EditorKeyFromKeysym(unsigned long keysym);
