#pragma once

#include <string>

// Names the palette lets a level designer give a block or object. The
// name is written back into its resource script between quotes, and the
// script stores 8-bit text: a quote or a control character would end the
// string or the line early, and the next start would read a broken script.
namespace ResourceNames {

// The typed text (UTF-8) as the script's text: each byte its own unit, so
// that any character survives the script's 8-bit storage.
std::u16string FromTyped(const std::string& utf8);
// False for names the script cannot hold: empty or blank, with a quote,
// a control character, or longer than kMaxLength bytes.
constexpr size_t kMaxLength = 64;
bool Acceptable(const std::string& utf8);

} // namespace ResourceNames
