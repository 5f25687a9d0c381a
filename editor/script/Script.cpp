#include "editor/script/Script.h"

#include <fstream>

bool SplitWords(const std::string& text, std::vector<std::string>* words)
{
    words->clear();
    size_t i = 0;
    while (i < text.size()) {
        if (text[i] == ' ' || text[i] == '\t' || text[i] == '\r') {
            ++i;
            continue;
        }
        std::string word;
        // A word is plain text and quoted parts, so that name="a b" is one.
        while (i < text.size() && text[i] != ' ' && text[i] != '\t' && text[i] != '\r') {
            if (text[i] == '"') {
                const size_t end = text.find('"', i + 1);
                if (end == std::string::npos)
                    return false;
                word += text.substr(i + 1, end - i - 1);
                i = end + 1;
            } else {
                word += text[i++];
            }
        }
        words->push_back(word);
    }
    return true;
}

bool ReadScript(const std::string& path, std::vector<ScriptLine>* lines, std::string* why)
{
    std::ifstream in(path);
    if (!in) {
        *why = "cannot read " + path;
        return false;
    }
    std::string text;
    int number = 0;
    while (std::getline(in, text)) {
        ++number;
        ScriptLine line;
        line.number = number;
        line.text = text;
        if (!SplitWords(text, &line.words)) {
            *why = path + ":" + std::to_string(number) + ": a quote is not closed";
            return false;
        }
        if (line.words.empty() || line.words[0][0] == '#')
            continue;
        lines->push_back(line);
    }
    return true;
}
