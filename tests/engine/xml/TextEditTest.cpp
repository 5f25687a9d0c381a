#include "engine/xml/TextTokenizer.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

struct Loaded {
    TextTokenizer t{false};
    std::vector<TextToken*> tokens;
    explicit Loaded(const std::u16string& text)
    {
        t.LoadWide(int(text.size()), text.data());
        while (TextToken* k = t.NextToken())
            tokens.push_back(k);
    }
    std::u16string Text() const { return std::u16string(t.GetText(), size_t(t.GetLength())); }
};

struct Range {
    int start, end;
    bool operator==(const Range& o) const { return start == o.start && end == o.end; }
};

std::ostream& operator<<(std::ostream& os, const Range& r) { return os << '[' << r.start << ',' << r.end << ')'; }

Range Of(const TextToken* t) { return {t->GetStart(), t->GetEnd()}; }
Range Of(const TextSpan* s) { return {s->start, s->end}; }

} // namespace

// "abc def ghi": the middle token is replaced, everything else follows.
TEST(TextEdit, GrowAndShrinkMoveTokensAndSpans)
{
    struct EditCase {
        const char16_t* replacement;
        const char16_t* text;
        Range edited, after, coverEnd, straddle, before, inside;
    };
    const EditCase cases[] = {
        // 3 -> 5 characters: later tokens move by 2, a span over the end grows by 2.
        {u"12345", u"abc 12345 ghi", {4, 9}, {10, 13}, {0, 9}, {5, 13}, {0, 3}, {5, 6}},
        // 3 -> 1: a span starting inside the removed stretch collapses onto its end.
        {u"x", u"abc x ghi", {4, 5}, {6, 9}, {0, 5}, {5, 9}, {0, 3}, {5, 5}},
        // 3 -> 0
        {u"", u"abc  ghi", {4, 4}, {5, 8}, {0, 4}, {4, 8}, {0, 3}, {4, 4}},
    };
    for (const EditCase& c : cases) {
        Loaded l(u"abc def ghi");
        TextSpan* coverEnd = l.t.AddSpan(0, 7); // ends where the edited token ends
        TextSpan* straddle = l.t.AddSpan(5, 11);
        TextSpan* before = l.t.AddSpan(0, 3);
        TextSpan* inside = l.t.AddSpan(5, 6);
        l.tokens[1]->SetText(c.replacement);
        std::u16string expected = c.text;
        EXPECT_EQ(l.Text(), expected);
        EXPECT_EQ(l.t.GetText()[l.t.GetLength()], 0);
        EXPECT_TRUE(l.t.IsModified());
        EXPECT_EQ(Of(l.tokens[0]), (Range{0, 3}));
        EXPECT_EQ(Of(l.tokens[1]), c.edited);
        EXPECT_EQ(Of(l.tokens[2]), c.after);
        EXPECT_EQ(l.tokens[2]->ToWideString(), u"ghi");
        EXPECT_EQ(Of(coverEnd), c.coverEnd);
        EXPECT_EQ(Of(straddle), c.straddle);
        EXPECT_EQ(Of(before), c.before);
        EXPECT_EQ(Of(inside), c.inside);
    }
}

TEST(TextEdit, SameTokenEditedTwice)
{
    Loaded l(u"abc def ghi");
    l.tokens[1]->SetText(u"12345");
    l.tokens[1]->SetText(u"z");
    EXPECT_EQ(l.Text(), u"abc z ghi");
    EXPECT_EQ(l.tokens[1]->ToWideString(), u"z");
    EXPECT_EQ(Of(l.tokens[2]), (Range{6, 9}));
    l.tokens[2]->SetText(u"last");
    EXPECT_EQ(l.Text(), u"abc z last");
}

TEST(TextEdit, GrowingPastTheCapacityReallocates)
{
    Loaded l(u"a b c");
    EXPECT_EQ(l.t.GetCapacity(), 5 + 10000);
    std::u16string big(25000, u'q');
    l.tokens[1]->SetText(big.c_str());
    EXPECT_EQ(l.t.GetLength(), 4 + 25000);
    EXPECT_EQ(l.t.GetCapacity(), 4 + 25000 + 10000);
    EXPECT_EQ(l.Text(), u"a " + big + u" c");
    EXPECT_EQ(l.tokens[2]->ToWideString(), u"c");
    EXPECT_EQ(l.tokens[0]->ToWideString(), u"a");
}

TEST(TextEdit, PlaceholderInsertsInFrontAndKeepsMoving)
{
    // A definition without an id gets one in front of its quoted name.
    Loaded l(u"floor \"stone\" (x)");
    TextToken* name = l.tokens[1];
    ASSERT_EQ(name->GetKind(), TextToken::String);
    TextToken* place = l.t.AddPlaceholder(name);
    EXPECT_EQ(Of(place), (Range{6, 6}));
    EXPECT_EQ(l.t.GetRemaining(), 0); // never handed out

    place->SetText(u"12 ");
    EXPECT_EQ(l.Text(), u"floor 12 \"stone\" (x)");
    EXPECT_EQ(name->ToWideString(), u"stone");
    name->SetText(u"granite");
    EXPECT_EQ(l.Text(), u"floor 12 \"granite\" (x)");
    EXPECT_EQ(place->ToWideString(), u"12 ");
    EXPECT_EQ(l.tokens.back()->ToWideString(), u")");

    // In front of a word the placeholder sits at the word itself.
    Loaded w(u"(file, x)");
    TextToken* atWord = w.t.AddPlaceholder(w.tokens[1]);
    atWord->SetText(u"7, ");
    EXPECT_EQ(w.Text(), u"(7, file, x)");
    EXPECT_EQ(w.tokens[1]->ToWideString(), u"file");
}

// Many placeholders filled at once leave text, tokens, placeholders and
// spans exactly as filling them one by one does: at the first and last
// token, at a word that ends where the next place starts, two at one
// place, one left empty, one not filled.
TEST(TextEdit, PlaceholdersFilledInOnePassMatchOneByOne)
{
    const std::u16string text = u"a\"x\"(\"f\", g) b \"y\" end";
    auto fill = [&](bool onePass, std::vector<Range>* ranges) {
        Loaded l(text);
        std::vector<TextToken*> places;
        for (size_t i : {size_t(0), size_t(1), size_t(3), size_t(3), size_t(8), size_t(9), size_t(7)})
            places.push_back(l.t.AddPlaceholder(l.tokens[i]));
        TextSpan* span = l.t.AddSpan(2, 12);
        std::vector<TextTokenizer::PlaceholderText> edits = {{places[4], u"4 "},  {places[0], u"0 "},
                                                             {places[2], u"2, "}, {places[1], u" 1 "},
                                                             {places[3], u"3, "}, {places[5], u""}};
        if (onePass) {
            l.t.SetPlaceholderTexts(edits);
        } else {
            for (const auto& e : edits)
                e.place->SetText(e.text.c_str());
        }
        for (TextToken* t : l.tokens)
            ranges->push_back(Of(t));
        for (TextToken* t : places)
            ranges->push_back(Of(t));
        ranges->push_back(Of(span));
        EXPECT_TRUE(l.t.IsModified());
        return l.Text();
    };
    std::vector<Range> oneByOne, onePass;
    EXPECT_EQ(fill(false, &oneByOne), u"0 a 1 \"x\"(2, 3, \"f\", g) b 4 \"y\" end");
    EXPECT_EQ(fill(true, &onePass), u"0 a 1 \"x\"(2, 3, \"f\", g) b 4 \"y\" end");
    EXPECT_EQ(onePass, oneByOne);
}

TEST(TextEdit, ShiftTextRefusesPositionsOutsideTheText)
{
    Loaded l(u"abc def");
    EXPECT_FALSE(l.t.ShiftText(3, 8, nullptr));
    EXPECT_FALSE(l.t.ShiftText(3, -1, nullptr));
    EXPECT_FALSE(l.t.ShiftText(-2, 3, nullptr));
    EXPECT_EQ(l.Text(), u"abc def");
    EXPECT_FALSE(l.t.IsModified());
    // Closing up from the end works and keeps every token inside the text.
    EXPECT_TRUE(l.t.ShiftText(2, 7, nullptr));
    EXPECT_EQ(l.Text(), u"ab");
    for (TextToken* k : l.tokens) {
        EXPECT_LE(k->GetEnd(), l.t.GetLength());
        EXPECT_LE(k->GetStart(), k->GetEnd());
    }
    EXPECT_EQ(l.tokens[1]->ToWideString(), u"");
}
