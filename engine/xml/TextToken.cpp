#include "engine/xml/TextToken.h"

#include "engine/core/StringKit.h"
#include "engine/xml/TextTokenizer.h"

#include <algorithm>
#include <climits>
#include <cmath>

void TextToken::Range(const char16_t** chars, int* count) const
{
    *chars = u"";
    *count = 0;
    if (!owner_ || !owner_->GetText())
        return;
    int length = owner_->GetLength();
    int from = std::clamp(start_, 0, length);
    int to = std::clamp(end_, from, length);
    *chars = owner_->GetText() + from;
    *count = to - from;
}

std::string TextToken::ToNarrowString() const
{
    switch (kind_) {
    case Integer:
        return Util::IntToString(intValue_);
    case Real:
        return Util::FloatToString(realValue_, 6);
    case Symbol:
        return std::string(1, char(intValue_));
    default:
        break;
    }
    const char16_t* chars;
    int count;
    Range(&chars, &count);
    std::string out(size_t(count), '\0');
    for (int i = 0; i < count; ++i)
        out[size_t(i)] = char(chars[i] & 0xFF);
    return out;
}

std::u16string TextToken::ToWideString() const
{
    if (kind_ == Word || kind_ == String) {
        const char16_t* chars;
        int count;
        Range(&chars, &count);
        return std::u16string(chars, size_t(count));
    }
    std::string narrow = ToNarrowString();
    return Util::Widen(narrow.data(), narrow.size());
}

int TextToken::ToInt() const
{
    switch (kind_) {
    case Integer:
    case Symbol:
        return intValue_;
    case Real:
        if (!(realValue_ > double(INT_MIN)))
            return realValue_ < 0 ? INT_MIN : 0;
        if (realValue_ >= double(INT_MAX))
            return INT_MAX;
        return int(std::trunc(realValue_));
    default:
        return Util::AtoI(ToNarrowString().c_str());
    }
}

void TextToken::SetText(const char16_t* text)
{
    if (!owner_)
        return;
    size_t n = Util::StrLen(text);
    int length = owner_->GetLength();
    int from = std::clamp(start_, 0, length);
    int to = std::clamp(end_, from, length);
    if (n > size_t(INT_MAX - from))
        return;
    int newEnd = from + int(n);
    if (!owner_->ShiftText(newEnd, to, this))
        return;
    std::copy(text, text + n, owner_->text_.get() + from);
    start_ = from;
    end_ = newEnd;
    owner_->modified_ = true;
}
