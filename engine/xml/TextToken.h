#pragma once

#include <string>

class TextTokenizer;

// One token of a tokenizer's text. Positions index the owner's text (end
// exclusive); a String covers the characters between its quotes.
class TextToken {
public:
    enum Kind { Word = 0, String = 1, Integer = 2, Real = 3, Symbol = 4 };

    TextToken(TextTokenizer* owner, Kind kind, int start, int end, int line)
        : owner_(owner), kind_(kind), start_(start), end_(end), line_(line)
    {
    }

    TextTokenizer* GetOwner() const { return owner_; }
    Kind GetKind() const { return kind_; }
    int GetStart() const { return start_; }
    int GetEnd() const { return end_; }
    int GetLine() const { return line_; }
    int GetIntValue() const { return intValue_; }      // Integer
    double GetRealValue() const { return realValue_; } // Real
    char16_t GetSymbol() const { return kind_ == Symbol ? char16_t(intValue_) : 0; }
    bool IsSymbol(char16_t c) const { return kind_ == Symbol && char16_t(intValue_) == c; }

    // Integer "%d", Real "%f", Symbol its character, Word and String the low
    // byte of each character.
    std::string ToNarrowString() const;
    // Word and String their characters; the rest the narrow form widened.
    std::u16string ToWideString() const;
    // Word and String: atoi of the narrow form; Real truncated; saturating.
    int ToInt() const;

    // Replaces the token's characters in the owner's text; later tokens and
    // spans move along, this token keeps its start and covers the new text.
    void SetText(const char16_t* text);

private:
    friend class TextTokenizer;

    // The token's range, kept inside the owner's text.
    void Range(const char16_t** chars, int* count) const;

    TextTokenizer* owner_;
    Kind kind_;
    int start_;
    int end_;
    int line_;
    int intValue_ = 0;
    double realValue_ = 0.0;
};
