#include "game/world/settings/OptionsSyntax.h"

#include <cstdio>
#include <utility>
#include <vector>

namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

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
            line_ = open_.back().second;
            Fail("<" + open_.back().first + "> is not closed");
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
                return;
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
            open_.emplace_back(name, startLine);
            return;
        }
        if (open_.empty())
            return line_ = startLine, Fail(shown + " closes no element");
        if (open_.back().first != name) {
            line_ = startLine;
            return Fail(shown + " where <" + open_.back().first + "> of line " + std::to_string(open_.back().second) +
                        " is open");
        }
        open_.pop_back();
    }

    const std::string& t_;
    size_t at_ = 0;
    int line_ = 1;
    std::vector<std::pair<std::string, int>> open_;
    std::string fault_;
};

} // namespace

std::string FindOptionsFault(const std::string& text) { return Scan(text).Run(); }
