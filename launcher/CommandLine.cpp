#include "launcher/CommandLine.h"

#include "platform/os/OsText.h"

namespace {

std::u16string DecodeWord(const std::string& bytes)
{
    std::u16string word = Util::FromOs(bytes);
    if (word.size() > kMaxWordUnits) {
        word.resize(kMaxWordUnits);
        // Half a surrogate pair is no character.
        if (word.back() >= 0xD800 && word.back() < 0xDC00)
            word.pop_back();
    }
    return word;
}

void TakeWord(const std::u16string& word, LaunchArguments& args, int& positional)
{
    if (!word.empty() && word[0] == u'-') {
        if (word == u"-windowed")
            args.fullScreen = false;
        else if (word == u"-options")
            args.showOptions = true;
        return;
    }
    if (positional == 0)
        args.first = word;
    else if (positional == 1)
        args.second = word;
    ++positional;
}

} // namespace

std::string JoinArguments(int argc, const char* const* argv)
{
    std::string text;
    for (int i = 1; i < argc; ++i) {
        if (i > 1)
            text += ' ';
        text += argv[i] ? argv[i] : "";
    }
    return text;
}

LaunchArguments ParseCommandLine(const std::string& text)
{
    LaunchArguments args;
    int positional = 0;
    size_t start = 0;
    // The end of the text ends the last word as a blank would.
    for (size_t i = 0; i <= text.size(); ++i) {
        if (i < text.size() && text[i] != ' ')
            continue;
        TakeWord(DecodeWord(text.substr(start, i - start)), args, positional);
        start = i + 1;
    }
    return args;
}
