#pragma once

#include <string>

// What the player's command line asks of the game.
struct LaunchArguments {
    std::u16string first;  // the player name when not empty
    std::u16string second; // "debug" asks for the debug renderer
    bool fullScreen = true;
    bool showOptions = false;
};

// Words hold at most this many UTF-16 units; longer ones are cut.
const size_t kMaxWordUnits = 1023;

// The arguments after the program name joined by single blanks, as the
// command line a shell was handed.
std::string JoinArguments(int argc, const char* const* argv);

// Blank-separated words, empty ones included (two blanks in a row, a
// leading or trailing blank, an empty line): "-windowed" and "-options"
// exactly as written are switches, other words beginning with "-" are
// ignored, every other word is positional and only the first two count.
// The text is UTF-8; bytes that are not stand for themselves.
LaunchArguments ParseCommandLine(const std::string& text);
