#include "game/shell/editor/EditorKeys.h"

// Keysym values from X11/keysymdef.h, kept as numbers so that the game
// library needs no X headers here.
unsigned EditorKeyFromKeysym(unsigned long keysym)
{
    using namespace EditorKeys;
    if (keysym >= 'a' && keysym <= 'z')
        return Letter(char(keysym));
    if (keysym >= 'A' && keysym <= 'Z')
        return unsigned(keysym);
    if (keysym >= '0' && keysym <= '9')
        return unsigned(keysym);
    if (keysym >= 0xffb0 && keysym <= 0xffb9) // KP_0 .. KP_9
        return NumPad0 + unsigned(keysym - 0xffb0);
    if (keysym >= 0xffbe && keysym <= 0xffc9) // F1 .. F12
        return F1 + unsigned(keysym - 0xffbe);
    switch (keysym) {
    case 0x20:
        return Space;
    case 0x2b: // plus
    case 0x3d: // equal, the "=+" key
        return OemPlus;
    case 0x2d: // minus
    case 0x5f: // underscore, the "-_" key
        return OemMinus;
    case 0xff08:
        return Backspace;
    case 0xff09:
        return Tab;
    case 0xff0d: // Return
    case 0xff8d: // KP_Enter
        return Return;
    case 0xff1b:
        return Escape;
    case 0xffff: // Delete
    case 0xff9f: // KP_Delete
        return Delete;
    case 0xff50:
        return Home;
    case 0xff51:
    case 0xff96:
        return Left;
    case 0xff52:
    case 0xff97:
        return Up;
    case 0xff53:
    case 0xff98:
        return Right;
    case 0xff54:
    case 0xff99:
        return Down;
    case 0xff55:
        return PageUp;
    case 0xff56:
        return PageDown;
    case 0xff57:
        return End;
    case 0xffaa:
        return Multiply;
    case 0xffab:
        return Add;
    case 0xffad:
        return Subtract;
    case 0xffaf:
        return Divide;
    case 0xffe1:
    case 0xffe2:
        return Shift;
    case 0xffe3:
    case 0xffe4:
        return Ctrl;
    case 0xffe7:
    case 0xffe8: // Meta
    case 0xffe9:
    case 0xffea: // Alt
    case 0xfe03: // ISO_Level3_Shift (AltGr)
        return Alt;
    default:
        return 0;
    }
}
