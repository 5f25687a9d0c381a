#pragma once

// Cuts word n (from 0) out of a console line into out, which holds
// maxLength units with the terminator. Runs of blanks separate words; only
// the first maxLength positions of the line are looked at. With rest set,
// everything from word n on is taken, inner blanks included.
void GetConsoleWord(int maxLength, const char16_t* line, int n, char16_t* out, bool rest);
