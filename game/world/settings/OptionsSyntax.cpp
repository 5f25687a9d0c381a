#include "game/world/settings/OptionsSyntax.h"

#include "game/world/settings/KeyBindingTable.h"

#include <algorithm>
#include <cfloat>
#include <charconv>
#include <cstdint>
#include <cstdio>
#include <vector>

namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

// The reader takes this much of an element's text.
const size_t kReadTextLimit = 2047;

struct WholeRange {
    const char* name;
    long long low, high;
};

const WholeRange kWholeSettings[] = {
    {"serverport", 1, 65535},
    {"serverupstream", 0, INT32_MAX},
    {"servermode", INT32_MIN, INT32_MAX},
    {"servermaxplayers", INT32_MIN, INT32_MAX},
    {"serverfraglimit", INT32_MIN, INT32_MAX},
    {"serverteamfraglimit", INT32_MIN, INT32_MAX},
    {"servertimelimit", INT32_MIN, INT32_MAX},
};

const char* const kFloatSettings[] = {"brightness", "mastervolume"};

bool IsKeyBinding(const std::string& name)
{
    for (int i = 0; i < kKeyBindingCount; ++i)
        if (std::u16string(GetKeyBindingInfo(i)->element) == std::u16string(name.begin(), name.end()))
            return true;
    return false;
}

std::string Trimmed(const std::string& text)
{
    size_t from = 0, to = text.size();
    while (from < to && IsBlank(text[from]))
        ++from;
    while (to > from && IsBlank(text[to - 1]))
        --to;
    return text.substr(from, to - from);
}

bool ReadsAsWhole(const std::string& text, long long low, long long high)
{
    const std::string t = Trimmed(text);
    const size_t from = !t.empty() && (t[0] == '-' || t[0] == '+') ? 1 : 0;
    if (t.size() == from || t.find_first_not_of("0123456789", from) != std::string::npos)
        return false;
    // Past its leading zeros, a number this long is beyond every range here.
    const size_t first = std::min(t.find_first_not_of('0', from), t.size());
    if (t.size() - first > 12)
        return false;
    const long long v = (t[0] == '-' ? -1 : 1) * (first == t.size() ? 0 : std::stoll(t.substr(first)));
    return v >= low && v <= high;
}

bool ReadsAsFloat(const std::string& text)
{
    std::string t = Trimmed(text);
    if (!t.empty() && t[0] == '+')
        t.erase(0, 1);
    double v = 0;
    const auto r = std::from_chars(t.data(), t.data() + t.size(), v, std::chars_format::general);
    return r.ec == std::errc() && r.ptr == t.data() + t.size() && v >= -FLT_MAX && v <= FLT_MAX;
}

// Why a number setting's text is not a value the setting holds; empty when
// it is, or when the element is no number setting. No text at all keeps the
// setting as it was.
std::string NumberFault(const std::string& name, const std::string& text)
{
    if (text.empty())
        return std::string();
    for (const WholeRange& r : kWholeSettings)
        if (name == r.name && !ReadsAsWhole(text, r.low, r.high))
            return "<" + name + "> must be " + std::to_string(r.low) + " to " + std::to_string(r.high);
    if (IsKeyBinding(name) && !ReadsAsWhole(text, INT32_MIN, INT32_MAX))
        return "<" + name + "> must be " + std::to_string(INT32_MIN) + " to " + std::to_string(INT32_MAX);
    for (const char* f : kFloatSettings) {
        if (name == f && !ReadsAsFloat(text)) {
            char range[64];
            std::snprintf(range, sizeof range, "%g to %g", double(-FLT_MAX), double(FLT_MAX));
            return "<" + name + "> must be " + range;
        }
    }
    return std::string();
}

bool IsNameChar(char c)
{
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_' || c == ':' ||
           c == '-' || c == '.' || (unsigned char)c >= 0x80;
}

class Scan {
public:
    explicit Scan(const std::string& text) : t_(text) {}

    std::string Run()
    {
        // A byte-order mark some editors put first.
        if (t_.compare(0, 3, "\xEF\xBB\xBF") == 0)
            at_ = 3;
        while (at_ < t_.size() && fault_.empty()) {
            const char c = t_[at_];
            if (c == '<') {
                Tag();
            } else if ((unsigned char)c < 0x20 && !IsBlank(c)) {
                char what[48];
                std::snprintf(what, sizeof what, "a control character (byte %u)", unsigned((unsigned char)c));
                Fail(what);
            } else if (open_.empty() && !IsBlank(c)) {
                Fail("text outside any element");
            } else {
                Step();
            }
        }
        if (fault_.empty() && !open_.empty()) {
            line_ = open_.back().line;
            Fail("<" + open_.back().name + "> is not closed");
        }
        return fault_;
    }

private:
    void Step()
    {
        if (t_[at_++] == '\n')
            ++line_;
    }
    void SkipBlanks()
    {
        while (at_ < t_.size() && IsBlank(t_[at_]))
            Step();
    }
    void Fail(const std::string& what)
    {
        if (fault_.empty())
            fault_ = "line " + std::to_string(line_) + ": " + what;
    }
    // Skips to the end of "closing"; false at the end of the text.
    bool SkipPast(const char* closing)
    {
        while (at_ < t_.size()) {
            if (t_.compare(at_, std::char_traits<char>::length(closing), closing) == 0) {
                at_ += std::char_traits<char>::length(closing);
                return true;
            }
            Step();
        }
        return false;
    }
    std::string Name()
    {
        const size_t from = at_;
        while (at_ < t_.size() && IsNameChar(t_[at_]))
            ++at_;
        return t_.substr(from, at_ - from);
    }

    void Tag()
    {
        const int startLine = line_;
        const size_t tagAt = at_;
        if (t_.compare(at_, 4, "<!--") == 0) {
            if (!SkipPast("-->"))
                line_ = startLine, Fail("a comment is not closed");
            return;
        }
        if (t_.compare(at_, 2, "<?") == 0) {
            if (!SkipPast("?>"))
                line_ = startLine, Fail("a declaration is not closed");
            return;
        }
        ++at_;
        const bool closing = at_ < t_.size() && t_[at_] == '/';
        at_ += closing;
        const std::string name = Name();
        if (name.empty())
            return Fail("a tag without a name");
        const std::string shown = (closing ? "</" : "<") + name + ">";
        for (;;) {
            SkipBlanks();
            if (at_ >= t_.size())
                return line_ = startLine, Fail("the tag " + shown.substr(0, shown.size() - 1) + " does not end");
            if (t_[at_] == '>')
                break;
            if (!closing && t_.compare(at_, 2, "/>") == 0) {
                at_ += 2;
                // The reader gives such an element the text that follows it.
                const size_t next = std::min(t_.find('<', at_), t_.size());
                return CheckValue(name, at_, next, startLine);
            }
            const std::string attribute = closing ? std::string() : Name();
            SkipBlanks();
            if (attribute.empty() || at_ >= t_.size() || t_[at_] != '=')
                return Fail("stray text in " + shown);
            ++at_;
            SkipBlanks();
            if (at_ >= t_.size() || t_[at_] != '"')
                return Fail("the value of " + attribute + " in " + shown + " is not in double quotes");
            ++at_;
            while (at_ < t_.size() && t_[at_] != '"' && t_[at_] != '<')
                Step();
            if (at_ >= t_.size() || t_[at_] != '"')
                return Fail("the value of " + attribute + " in " + shown + " does not end");
            ++at_;
        }
        ++at_;
        if (!closing) {
            open_.push_back({name, startLine, at_});
            return;
        }
        if (open_.empty())
            return line_ = startLine, Fail(shown + " closes no element");
        const Open element = open_.back();
        if (element.name != name) {
            line_ = startLine;
            return Fail(shown + " where <" + element.name + "> of line " + std::to_string(element.line) + " is open");
        }
        open_.pop_back();
        CheckValue(name, element.content, tagAt, element.line);
    }

    // The text from..to as far as the reader takes it.
    void CheckValue(const std::string& name, size_t from, size_t to, int line)
    {
        const std::string fault = NumberFault(name, t_.substr(from, std::min(to - from, kReadTextLimit)));
        if (!fault.empty())
            line_ = line, Fail(fault);
    }

    struct Open {
        std::string name;
        int line;
        size_t content; // where its text starts
    };

    const std::string& t_;
    size_t at_ = 0;
    int line_ = 1;
    std::vector<Open> open_;
    std::string fault_;
};

} // namespace

std::string FindOptionsFault(const std::string& text) { return Scan(text).Run(); }
