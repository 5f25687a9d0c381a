// The one table hosts translate X11 keysyms through.
#include "game/shell/editor/EditorKeys.h"

#include <gtest/gtest.h>

TEST(EditorKeys, KeysymsBecomeTheEditorsCodes)
{
    using namespace EditorKeys;
    const struct {
        unsigned long keysym;
        unsigned code;
    } table[] = {{'v', Letter('V')}, {'V', Letter('V')},    {'3', Digit(3)},    {0x20, Space},      {0xffff, Delete},
                 {0x2b, OemPlus},    {0xffab, Add},         {0x2d, OemMinus},   {0xffad, Subtract}, {0xff51, Left},
                 {0xffe4, Ctrl},     {0xffe1, Shift},       {0xffe9, Alt},      {0xfe03, Alt},      {0xffbe, F1},
                 {0x1008ff11, 0},    {0xff08, Backspace},   {0xff09, Tab},      {0xff0d, Return},   {0xff8d, Return},
                 {0xff1b, Escape},   {0xff9f, Delete},      {0xff50, Home},     {0xff97, Up},       {0xff53, Right},
                 {0xff99, Down},     {0xff55, PageUp},      {0xff56, PageDown}, {0xff57, End},      {0xffaa, Multiply},
                 {0xffaf, Divide},   {0xffb3, NumPad0 + 3}, {0xffc9, F1 + 11},  {0xffe3, Ctrl},     {0xffe8, Alt},
                 {0x3d, OemPlus},    {0x5f, OemMinus},      {0xffe2, Shift},    {0xffea, Alt}};
    for (const auto& k : table)
        EXPECT_EQ(EditorKeyFromKeysym(k.keysym), k.code) << std::hex << k.keysym;
    EXPECT_TRUE(IsPlus(0x2B) && IsPlus(OemPlus) && IsPlus(Add) && IsMinus(0x2D) && !IsMinus(Delete));
}
