#include "editor/script/Answers.h"

#include "platform/os/OsText.h"
#include "platform/ui/Ui.h"
#include "platform/ui/wx/Dialogs.h"

#include <cstdio>
#include <deque>

namespace Answers {
namespace {

struct QueuedDialog {
    std::string title;
    std::vector<DialogStep> steps;
};

std::deque<std::string> g_messages;
std::deque<std::string> g_files;
std::deque<QueuedDialog> g_dialogs;
bool g_failed = false;

Ui::Answer Careful(Ui::Buttons buttons)
{
    switch (buttons) {
    case Ui::Buttons::Ok:
        return Ui::Answer::Ok;
    case Ui::Buttons::YesNo:
        return Ui::Answer::No;
    default:
        return Ui::Answer::Cancel;
    }
}

bool Fits(Ui::Answer a, Ui::Buttons buttons)
{
    switch (buttons) {
    case Ui::Buttons::Ok:
        return a == Ui::Answer::Ok;
    case Ui::Buttons::OkCancel:
        return a == Ui::Answer::Ok || a == Ui::Answer::Cancel;
    case Ui::Buttons::YesNo:
        return a == Ui::Answer::Yes || a == Ui::Answer::No;
    case Ui::Buttons::YesNoCancel:
        return a != Ui::Answer::Ok;
    }
    return false;
}

Ui::Answer ScriptedBox(const char16_t* title, const char16_t* text, Ui::Icon, Ui::Buttons buttons)
{
    const std::string t = Util::ToOs(title ? title : u""), m = Util::ToOs(text ? text : u"");
    std::printf("box: %s: %s\n", t.c_str(), m.c_str());
    std::fflush(stdout);
    if (g_messages.empty()) {
        // A box that only tells needs no answer.
        if (buttons != Ui::Buttons::Ok)
            Fail("no answer for the box \"" + t + ": " + m + "\"");
        return Careful(buttons);
    }
    const std::string word = g_messages.front();
    g_messages.pop_front();
    Ui::Answer a = word == "Yes"      ? Ui::Answer::Yes
                   : word == "No"     ? Ui::Answer::No
                   : word == "Cancel" ? Ui::Answer::Cancel
                                      : Ui::Answer::Ok;
    if (!Fits(a, buttons)) {
        Fail("the answer " + word + " does not fit the box \"" + t + "\"");
        return Careful(buttons);
    }
    return a;
}

} // namespace

bool Scripted() { return Ui::DialogsScripted(); }

void InstallMessageBoxes() { Ui::SetMessageBackend(ScriptedBox); }

void QueueMessageAnswer(const std::string& answer) { g_messages.push_back(answer); }

void QueueFile(const std::string& path) { g_files.push_back(path); }

void QueueDialog(const std::string& title, const std::vector<DialogStep>& steps)
{
    g_dialogs.push_back({title, steps});
}

bool TakeFile(std::string* path)
{
    if (g_files.empty()) {
        Fail("no file named for a file chooser");
        return false;
    }
    *path = g_files.front();
    g_files.pop_front();
    return !path->empty();
}

bool TakeDialog(const std::string& title, std::vector<DialogStep>* steps)
{
    if (g_dialogs.empty() || g_dialogs.front().title != title) {
        Fail("no steps for the dialog \"" + title + "\"" +
             (g_dialogs.empty() ? std::string() : " (the next are for \"" + g_dialogs.front().title + "\")"));
        return false;
    }
    *steps = g_dialogs.front().steps;
    g_dialogs.pop_front();
    return true;
}

void Fail(const std::string& why)
{
    std::fprintf(stderr, "script: %s\n", why.c_str());
    std::fflush(stderr);
    g_failed = true;
}

bool HasFailed() { return g_failed; }

bool AllTaken(std::string* left)
{
    if (!g_messages.empty())
        *left = "a box answer \"" + g_messages.front() + "\"";
    else if (!g_files.empty())
        *left = "a file \"" + g_files.front() + "\"";
    else if (!g_dialogs.empty())
        *left = "the dialog \"" + g_dialogs.front().title + "\"";
    else
        return true;
    return false;
}

} // namespace Answers
