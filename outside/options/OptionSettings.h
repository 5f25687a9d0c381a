#pragma once

#include <string>
#include <vector>

class IGame;

// The settings the player sets by hand, one table for the dialog and the
// scripted answers. Values travel as canonical text: flags "1"/"0", numbers
// in decimal, choices their word, keys their code.
namespace Options {

enum class Page { Player, Display, Keys, Server };
enum class Kind { Text, Flag, Number, Decimal, Choice, Level, Key };

struct Choice {
    const char16_t* word;
    const char16_t* label;
};

struct Setting {
    std::string key;       // the element of "game.opt", or "name"
    const char16_t* label; // in the dialog
    Page page;
    Kind kind;
    double low = 0, high = 0;    // Number and Decimal
    std::vector<Choice> choices; // Choice, in value order
    int binding = -1;            // Key: the game action
    // Not for keys, which go through the action's binding.
    std::u16string (*read)(IGame* game) = nullptr;
    void (*write)(IGame* game, const std::u16string& value) = nullptr;
};

// In page order.
const std::vector<Setting>& AllSettings();
const Setting* FindSetting(const std::string& key);

std::u16string ReadSetting(const Setting& setting, IGame* game);
// The canonical value of text for the setting; false with a sentence in
// *error when it does not fit.
bool ParseSetting(const Setting& setting, const std::u16string& text, std::u16string* value, std::u16string* error);
// value must be canonical.
void WriteSetting(const Setting& setting, IGame* game, const std::u16string& value);

// Key codes as the game's input knows them (SDL 1.2 key symbols; 1000 to
// 1002 the mouse buttons) and their names for the player.
bool IsKeyCode(long long code);
std::u16string KeyName(int code);

} // namespace Options
