#include "game/shell/console/ConsoleWords.h"

namespace {
constexpr int kBlankRunLimit = 1024;
}

void GetConsoleWord(int maxLength, const char16_t* line, int n, char16_t* out, bool rest)
{
    if (maxLength <= 0 || !out)
        return;
    int written = 0;
    if (line) {
        int word = 0;
        int pos = 0;
        while (pos < maxLength && line[pos] != 0) {
            if (line[pos] == u' ' && !(rest && word == n && written > 0)) {
                if (word == n && !rest)
                    break;
                // A run counts once, but is followed no further than this.
                do
                    ++pos;
                while (pos < kBlankRunLimit && line[pos] == u' ');
                ++word;
                if (word > n && !rest)
                    break;
                continue;
            }
            if (word == n && written < maxLength - 1)
                out[written++] = line[pos];
            else if (word > n)
                break;
            ++pos;
        }
    }
    out[written] = 0;
}
