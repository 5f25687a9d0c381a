#pragma once

#include <string>

// Texts in "game.opt" carry "&", "<" and ">" as "&amp;", "&lt;" and
// "&gt;": the reader decodes no entities, and a raw "<" in a name would end
// the element early and lose the settings after it. Any other "&" reads as
// itself, so files written before the escaping read the same.
std::u16string EscapeOptionText(const char16_t* text);
std::u16string UnescapeOptionText(const char16_t* text);
