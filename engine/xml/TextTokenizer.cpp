#include "engine/xml/TextTokenizer.h"

#include <algorithm>
#include <charconv>
#include <climits>
#include <cstring>

namespace {

// A loaded or grown text gets this much room for edits.
const int kSlack = 10000;
// Longest run of digits and points in one number token.
const int kMaxNumber = 254;

enum CharClass : unsigned char { Separator, Delimiter, Letter, Digit, Quote, Apostrophe, LineBreak };

struct ClassTable {
    unsigned char c[128];
};

constexpr ClassTable MakeClasses()
{
    ClassTable t{};
    for (const char* d = "\\/#@(){}[].:;,=<>&|!+-"; *d; ++d)
        t.c[(unsigned char)*d] = Delimiter;
    for (int i = 'a'; i <= 'z'; ++i)
        t.c[i] = Letter;
    for (int i = 'A'; i <= 'Z'; ++i)
        t.c[i] = Letter;
    t.c[int('_')] = Letter;
    for (int i = '0'; i <= '9'; ++i)
        t.c[i] = Digit;
    t.c[int('"')] = Quote;
    t.c[int('\'')] = Apostrophe;
    t.c[int('\r')] = LineBreak;
    t.c[int('\n')] = LineBreak;
    return t;
}

// Built at compile time, so tokenizing works during static initialisation.
constexpr ClassTable kClasses = MakeClasses();

inline unsigned char ClassOf(char16_t c) { return c < 128 ? kClasses.c[c] : (unsigned char)Separator; }

// Word characters beyond ASCII: three code units that old scripts carry
// inside names.
inline bool IsWordChar(char16_t c)
{
    unsigned char k = ClassOf(c);
    return k == Letter || k == Digit || c == 0xC3B7 || c == 0xC692 || c == 0xCB86;
}

} // namespace

bool IsDelimiter(char16_t c) { return ClassOf(c) == Delimiter; }

TextTokenizer::TextTokenizer(bool noComments) : noComments_(noComments) {}

TextTokenizer::~TextTokenizer() = default;

void TextTokenizer::Reset()
{
    tokens_.clear();
    placeholders_.clear();
    spans_.clear();
    cursor_ = 0;
    remaining_ = 0;
    modified_ = false;
}

void TextTokenizer::Allocate(int count)
{
    Reset();
    length_ = std::max(count, 0);
    capacity_ = size_t(length_) + kSlack;
    text_.reset(new char16_t[capacity_]);
    text_[length_] = 0;
    view_ = text_.get();
}

void TextTokenizer::LoadNarrow(int count, const char* bytes)
{
    Allocate(bytes ? count : 0);
    for (int i = 0; i < length_; ++i)
        text_[i] = char16_t(int16_t(int8_t(bytes[i])));
    Tokenize();
}

void TextTokenizer::LoadWide(int count, const char16_t* chars)
{
    Allocate(chars ? count : 0);
    if (length_ > 0)
        std::memcpy(text_.get(), chars, size_t(length_) * sizeof(char16_t));
    Tokenize();
}

void TextTokenizer::Borrow(int count, const char16_t* chars)
{
    Reset();
    text_.reset();
    capacity_ = 0;
    length_ = chars ? std::max(count, 0) : 0;
    view_ = length_ > 0 ? chars : u"";
}

void TextTokenizer::Tokenize()
{
    Cursor c;
    TextToken t(this, TextToken::Word, 0, 0, 1);
    while (Scan(c, t))
        tokens_.push_back(t);
    remaining_ = int(tokens_.size());
    cursor_ = 0;
}

TextToken* TextTokenizer::NextToken()
{
    if (cursor_ >= tokens_.size())
        return nullptr;
    --remaining_;
    return &tokens_[cursor_++];
}

void TextTokenizer::SkipLineBreak(Cursor& c) const
{
    char16_t first = view_[c.pos++];
    char16_t partner = first == u'\r' ? u'\n' : u'\r';
    if (c.pos < length_ && view_[c.pos] == partner)
        ++c.pos;
    ++c.line;
}

bool TextTokenizer::ScanTo(Cursor& c, char16_t ch) const
{
    const char16_t* t = view_;
    while (c.pos < length_) {
        char16_t u = t[c.pos];
        if (u == ch)
            return true;
        if (u == u'\r' || u == u'\n')
            SkipLineBreak(c);
        else
            ++c.pos;
    }
    return false;
}

bool TextTokenizer::Scan(Cursor& c, TextToken& out) const
{
    const char16_t* t = view_;
    while (c.pos < length_) {
        char16_t u = t[c.pos];
        unsigned char k = ClassOf(u);
        if (u == u'/' && !noComments_ && c.pos + 1 < length_) {
            if (t[c.pos + 1] == u'/') {
                c.pos += 2;
                while (c.pos < length_ && t[c.pos] != u'\r' && t[c.pos] != u'\n')
                    ++c.pos;
                continue;
            }
            if (t[c.pos + 1] == u'*') {
                // The search starts at the opening "*", so "/*/" is closed.
                int q = c.pos + 1;
                while (q + 1 < length_ && !(t[q] == u'*' && t[q + 1] == u'/'))
                    ++q;
                if (q + 1 >= length_) {
                    c.pos = length_;
                    return false;
                }
                c.pos = q + 2;
                continue;
            }
        }
        if (k == LineBreak) {
            SkipLineBreak(c);
            continue;
        }
        if (k == Separator) {
            ++c.pos;
            continue;
        }

        out = TextToken(out.owner_, TextToken::Word, c.pos, c.pos, c.line);
        switch (k) {
        case Quote: {
            int from = c.pos + 1;
            int q = from;
            while (q < length_ && t[q] != u'"')
                ++q;
            out.kind_ = TextToken::String;
            out.start_ = from;
            out.end_ = q;
            c.pos = q < length_ ? q + 1 : length_;
            break;
        }
        case Delimiter:
        case Apostrophe:
            out.kind_ = TextToken::Symbol;
            out.intValue_ = u;
            out.end_ = ++c.pos;
            break;
        case Letter:
            ++c.pos;
            while (c.pos < length_ && IsWordChar(t[c.pos]))
                ++c.pos;
            out.end_ = c.pos;
            break;
        default:
            ScanNumber(c, out);
            break;
        }
        return true;
    }
    return false;
}

void TextTokenizer::ScanNumber(Cursor& c, TextToken& out) const
{
    const char16_t* t = view_;
    char digits[kMaxNumber + 1];
    int n = 0;
    bool real = false;
    long long value = 0;
    while (c.pos < length_ && n < kMaxNumber) {
        char16_t u = t[c.pos];
        if (u == u'.')
            real = true;
        else if (u < u'0' || u > u'9')
            break;
        else if (value <= INT_MAX)
            value = value * 10 + (u - u'0');
        digits[n++] = char(u);
        ++c.pos;
    }
    out.end_ = c.pos;
    if (!real) {
        // Hundreds of digits saturate instead of wrapping.
        out.kind_ = TextToken::Integer;
        out.intValue_ = value > INT_MAX ? INT_MAX : int(value);
        return;
    }
    // Read without the locale; the reading stops at a second point.
    out.kind_ = TextToken::Real;
    double v = 0.0;
    auto r = std::from_chars(digits, digits + n, v, std::chars_format::fixed);
    out.realValue_ = r.ec == std::errc() ? v : 0.0;
}

TextToken* TextTokenizer::Keep(const TextToken& t)
{
    tokens_.push_back(t);
    return &tokens_.back();
}

TextToken* TextTokenizer::AddPlaceholder(const TextToken* at)
{
    int pos = 0;
    int line = 1;
    if (at) {
        pos = at->start_ - (at->kind_ == TextToken::String ? 1 : 0);
        pos = std::clamp(pos, 0, length_);
        line = at->line_;
    }
    placeholders_.emplace_back(this, TextToken::Word, pos, pos, line);
    return &placeholders_.back();
}

TextSpan* TextTokenizer::AddSpan(int start, int end)
{
    TextSpan s;
    s.start = std::clamp(start, 0, length_);
    s.end = std::clamp(end, s.start, length_);
    spans_.push_back(s);
    return &spans_.back();
}

namespace {

// Where a position lands after the text from oldEnd on moved by delta. A
// position inside a removed stretch collapses onto its start, so nothing
// points past the text afterwards.
inline int MovePosition(int x, int oldEnd, int newEnd, int delta)
{
    if (x >= oldEnd)
        return x + delta;
    if (delta < 0 && x > newEnd)
        return newEnd;
    return x;
}

} // namespace

bool TextTokenizer::ShiftText(int newEnd, int oldEnd, TextToken* edited)
{
    if (!text_ || oldEnd < 0 || oldEnd > length_ || newEnd < 0)
        return false;
    long long delta = (long long)newEnd - oldEnd;
    long long newLength = (long long)length_ + delta;
    // One unit stays free for the terminator.
    if (newLength < 0 || newLength + kSlack >= INT_MAX)
        return false;
    if (delta > 0 && size_t(newLength) + 1 > capacity_) {
        size_t grown = size_t(newLength) + kSlack;
        std::unique_ptr<char16_t[]> bigger(new char16_t[grown]);
        std::memcpy(bigger.get(), text_.get(), size_t(length_) * sizeof(char16_t));
        text_ = std::move(bigger);
        view_ = text_.get();
        capacity_ = grown;
    }
    if (delta != 0)
        std::memmove(text_.get() + newEnd, text_.get() + oldEnd, size_t(length_ - oldEnd) * sizeof(char16_t));
    length_ = int(newLength);
    text_[length_] = 0;

    int d = int(delta);
    auto move = [&](int& start, int& end) {
        start = MovePosition(start, oldEnd, newEnd, d);
        end = MovePosition(end, oldEnd, newEnd, d);
    };
    for (TextToken& t : tokens_)
        if (&t != edited)
            move(t.start_, t.end_);
    for (TextToken& t : placeholders_)
        if (&t != edited)
            move(t.start_, t.end_);
    for (TextSpan& s : spans_)
        move(s.start, s.end);
    return true;
}

void TextTokenizer::SetPlaceholderTexts(const std::vector<PlaceholderText>& edits)
{
    struct Insert {
        int at;
        size_t edit;
    };
    std::vector<Insert> inserts;
    long long added = 0;
    bool oneEach = true;
    for (size_t i = 0; i < edits.size(); ++i) {
        const TextToken* t = edits[i].place;
        oneEach = oneEach && t && t->owner_ == this && t->start_ == t->end_ && t->start_ >= 0 && t->start_ <= length_;
        if (!oneEach)
            break;
        inserts.push_back(Insert{t->start_, i});
        added += (long long)edits[i].text.size();
    }
    std::vector<const TextToken*> edited;
    for (const PlaceholderText& e : edits)
        edited.push_back(e.place);
    std::sort(edited.begin(), edited.end());
    oneEach = oneEach && std::adjacent_find(edited.begin(), edited.end()) == edited.end();
    if (!oneEach || !text_ || (long long)length_ + added + kSlack >= INT_MAX) {
        // Anything else edits one by one, with SetText's own checks.
        for (const PlaceholderText& e : edits)
            if (e.place)
                e.place->SetText(e.text.c_str());
        return;
    }
    if (edits.empty())
        return;

    // Texts at one place go in the order given, each behind the last.
    std::stable_sort(inserts.begin(), inserts.end(), [](const Insert& a, const Insert& b) { return a.at < b.at; });
    int newLength = length_ + int(added);
    size_t capacity = std::max(capacity_, size_t(newLength) + 1);
    std::unique_ptr<char16_t[]> text(new char16_t[capacity]);
    std::vector<int> at(inserts.size());
    std::vector<int> shift(inserts.size() + 1, 0); // added in front of the i-th insert
    int from = 0;
    int to = 0;
    for (size_t i = 0; i < inserts.size(); ++i) {
        const std::u16string& add = edits[inserts[i].edit].text;
        std::copy(text_.get() + from, text_.get() + inserts[i].at, text.get() + to);
        to += inserts[i].at - from;
        from = inserts[i].at;
        std::copy(add.begin(), add.end(), text.get() + to);
        at[i] = inserts[i].at;
        shift[i + 1] = shift[i] + int(add.size());
        edits[inserts[i].edit].place->start_ = to;
        to += int(add.size());
    }
    std::copy(text_.get() + from, text_.get() + length_, text.get() + to);
    text_ = std::move(text);
    view_ = text_.get();
    capacity_ = capacity;
    length_ = newLength;
    text_[length_] = 0;
    modified_ = true;

    // Every other position moves by what was put at or in front of it.
    auto moved = [&](int x) { return x + shift[size_t(std::upper_bound(at.begin(), at.end(), x) - at.begin())]; };
    // A place's text also takes in the texts put at the same place after
    // it, as its end stands where they go.
    for (const Insert& i : inserts)
        edits[i.edit].place->end_ = moved(i.at);
    auto isEdited = [&](const TextToken* t) { return std::binary_search(edited.begin(), edited.end(), t); };
    for (std::deque<TextToken>* list : {&tokens_, &placeholders_}) {
        for (TextToken& t : *list) {
            if (!isEdited(&t)) {
                t.start_ = moved(t.start_);
                t.end_ = moved(t.end_);
            }
        }
    }
    for (TextSpan& s : spans_) {
        s.start = moved(s.start);
        s.end = moved(s.end);
    }
}
