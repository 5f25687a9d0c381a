#include "server/LineEditor.h"

#include "platform/console/Console.h"

std::string LineEditor::Echo(int key) const
{
    if (key == Console::kBackspace)
        return length_ > 0 ? std::string("\b \b") : std::string();
    if (key == Console::kEnter)
        return std::string();
    return std::string(1, char(key));
}

bool LineEditor::Apply(int key)
{
    if (key == Console::kEnter)
        return length_ > 0;
    if (key == Console::kBackspace) {
        if (length_ > 0)
            line_[--length_] = 0;
    } else if (length_ < kMaxTyped) {
        // A byte widens with its sign, as all 8-bit text does.
        line_[length_++] = char16_t(int16_t(static_cast<signed char>(key)));
        line_[length_] = 0;
    }
    return false;
}

void LineEditor::Clear()
{
    length_ = 0;
    line_[0] = 0;
}
