#include "game/world/system/MessageContainer.h"

#include <cstring>

void MessageContainer::AddMessage(const char16_t* text, bool highlight)
{
    int n = linesInUse < 1 ? 1 : (linesInUse > kMaxLines ? kMaxLines : linesInUse);
    bool empty = true;
    for (int i = 0; i < n; ++i)
        empty = empty && lines_[i][0] == 0;
    if (empty)
        ageTimer = 0.0f;
    for (int i = n - 2; i >= 0; --i)
        std::memcpy(lines_[i + 1], lines_[i], sizeof(lines_[i]));
    char16_t* line = lines_[0];
    int at = 0;
    if (highlight)
        line[at++] = 1;
    for (int i = 0; text && text[i] && at < kLineLength; ++i)
        line[at++] = text[i];
    if (at < kLineLength)
        line[at] = 0;
    line[kLineLength - 1] = 0;
}

void MessageContainer::Age(float dt, float period)
{
    ageTimer += dt;
    if (ageTimer < period)
        return;
    ageTimer = 0.0f;
    int n = linesInUse < 1 ? 1 : (linesInUse > kMaxLines ? kMaxLines : linesInUse);
    for (int i = n - 1; i >= 0; --i) {
        if (lines_[i][0]) {
            lines_[i][0] = 0;
            return;
        }
    }
}
