// The one table hosts translate X11 keysyms through.
#include "game/shell/editor/EditorKeys.h"

#include <gtest/gtest.h>

TEST(EditorKeys, KeysymsBecomeTheEditorsCodes)
{
    using namespace EditorKeys;
    const struct {
        unsigned long keysym;
        unsigned code;
    } table[] = {{'v', Letter('V')}, {'V', Letter('V')}, {'3', Digit(3)},  {0x20, Space},      {0xffff, Delete},
                 {0x2b, OemPlus},    {0xffab, Add},      {0x2d, OemMinus}, {0xffad, Subtract}, {0xff51, Left},
                 {0xffe4, Ctrl},     {0xffe1, Shift},    {0xffe9, Alt},    {0xfe03, Alt},      {0xffbe, F1},
                 {0x1008ff11, 0}};
    for (const auto& k : table)
        EXPECT_EQ(EditorKeyFromKeysym(k.keysym), k.code) << std::hex << k.keysym;
    EXPECT_TRUE(IsPlus(0x2B) && IsPlus(OemPlus) && IsPlus(Add) && IsMinus(0x2D) && !IsMinus(Delete));
}
