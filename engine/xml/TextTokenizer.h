#pragma once

#include "engine/xml/TextSpan.h"
#include "engine/xml/TextToken.h"
#include "engine/xml/XMLInterface.h"

#include <cstddef>
#include <deque>
#include <memory>
#include <string>
#include <vector>

// True for the characters that are a Symbol token each.
bool IsDelimiter(char16_t c);

// Splits one text into words, strings, numbers and symbols, and edits the
// text in place so that tokens and registered spans follow the edits.
class TextTokenizer {
public:
    explicit TextTokenizer(bool noComments);
    ~TextTokenizer();
    TextTokenizer(const TextTokenizer&) = delete;
    TextTokenizer& operator=(const TextTokenizer&) = delete;

    // A tokenizer reads one text; loading another drops the tokens,
    // placeholders and spans of the first, whose positions mean nothing in
    // the new text. Narrow bytes widen with sign extension.
    void LoadNarrow(int count, const char* bytes);
    void LoadWide(int count, const char16_t* chars);

    // Tokens in text order; null once all were handed out.
    TextToken* NextToken();

    // Moves the text behind oldEnd so that it starts at newEnd, growing the
    // buffer when needed, and moves every token, placeholder and span but
    // the edited one. False, with nothing changed, for positions outside the
    // text or a text that would pass the int range.
    bool ShiftText(int newEnd, int oldEnd, TextToken* edited);

    // An empty token at the start of another one (at the opening quote of a
    // String); text set on it lands in front of that token and moves along
    // with later edits. It is never handed out by NextToken.
    TextToken* AddPlaceholder(const TextToken* at);

    // Sets the texts of many placeholders in one pass over the text, with
    // the result of SetText on each in the order given.
    struct PlaceholderText {
        TextToken* place;
        std::u16string text;
    };
    void SetPlaceholderTexts(const std::vector<PlaceholderText>& edits);
    TextSpan* AddSpan(int start, int end);

    // Terminated after GetLength() characters, except while ReadXml reads
    // its caller's text in place.
    const char16_t* GetText() const { return view_; }
    int GetLength() const { return length_; }
    int GetCapacity() const { return int(capacity_ > 0x7fffffff ? 0x7fffffff : capacity_); }
    int GetRemaining() const { return remaining_; }
    bool IsModified() const { return modified_; }
    bool HasNoComments() const { return noComments_; }

private:
    friend class TextToken;
    friend void ReadXml(const char16_t* text, int length, nsParser::XMLInterface* handler);

    struct Cursor {
        int pos = 0;
        int line = 1;
    };

    void Reset();
    void Allocate(int count);
    // Reads the caller's text in place, without tokenizing; edits are then
    // refused, since the text is not ours to change.
    void Borrow(int count, const char16_t* chars);
    void Tokenize();
    // The next token from the cursor into out; false at the end of the text
    // or inside a block comment that is never closed.
    bool Scan(Cursor& c, TextToken& out) const;
    // Moves the cursor onto the next occurrence of ch, counting line breaks;
    // false when there is none (the cursor is then at the end).
    bool ScanTo(Cursor& c, char16_t ch) const;
    void ScanNumber(Cursor& c, TextToken& out) const;
    void SkipLineBreak(Cursor& c) const;
    TextToken* Keep(const TextToken& t);

    bool noComments_;
    bool modified_ = false;
    std::unique_ptr<char16_t[]> text_; // null while borrowing
    const char16_t* view_ = u"";
    int length_ = 0;
    size_t capacity_ = 0;
    int remaining_ = 0;
    size_t cursor_ = 0;
    // Deques keep the addresses that were handed out while growing.
    std::deque<TextToken> tokens_;
    std::deque<TextToken> placeholders_;
    std::deque<TextSpan> spans_;
};
