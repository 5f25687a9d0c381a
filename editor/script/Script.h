#pragma once

#include <string>
#include <vector>

// A script of the editor: one command a line, words separated by blanks,
// a word with blanks in double quotes; "#" begins a comment line.
struct ScriptLine {
    int number = 0;
    std::string text;
    std::vector<std::string> words;
};

// False with why when the file cannot be read or a quote is not closed.
bool ReadScript(const std::string& path, std::vector<ScriptLine>* lines, std::string* why);
// The words of one line.
bool SplitWords(const std::string& text, std::vector<std::string>* words);
