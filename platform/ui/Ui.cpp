#include "platform/ui/Ui.h"

#include "platform/os/OsText.h"

#include <atomic>
#include <cstdio>

namespace Ui {

static std::atomic<MessageBackend> g_backend{nullptr};

Answer ConsoleMessage(const char16_t* title, const char16_t* text, Icon, Buttons buttons)
{
    std::string t = Util::ToOs(title ? title : u"");
    std::string m = Util::ToOs(text ? text : u"");
    std::fprintf(stderr, "%s: %s\n", t.c_str(), m.c_str());
    std::fflush(stderr);
    // Nobody can answer: a question that may discard work is cancelled.
    if (buttons == Buttons::YesNoCancel)
        return Answer::Cancel;
    return buttons == Buttons::YesNo ? Answer::Yes : Answer::Ok;
}

Answer ShowMessage(const char16_t* title, const char16_t* text, Icon icon, Buttons buttons)
{
    MessageBackend b = g_backend.load();
    return b ? b(title, text, icon, buttons) : ConsoleMessage(title, text, icon, buttons);
}

void SetMessageBackend(MessageBackend backend) { g_backend.store(backend); }

} // namespace Ui
