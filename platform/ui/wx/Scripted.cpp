#include "platform/ui/wx/Scripted.h"

#include "platform/os/OsText.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace Ui {
namespace Scripted {
namespace {

std::string Env(const char* name)
{
    const char* v = std::getenv(name);
    return v ? v : "";
}

std::vector<std::string> Split(const std::string& text, char separator)
{
    std::vector<std::string> parts;
    size_t at = 0;
    while (at <= text.size()) {
        size_t end = text.find(separator, at);
        if (end == std::string::npos)
            end = text.size();
        parts.push_back(text.substr(at, end - at));
        at = end + 1;
    }
    return parts;
}

class ScriptedDownload : public DownloadWindow {
public:
    ScriptedDownload(DownloadHandler* handler, long cancelAfter) : handler_(handler), cancelAfter_(cancelAfter) {}

    // What the window would show goes to stderr, as a box's text does.
    void SetStatus(const std::u16string& text) override
    {
        if (text == status_)
            return;
        status_ = text;
        std::fprintf(stderr, "%s\n", Util::ToOs(text).c_str());
        std::fflush(stderr);
    }
    void SetProgress(int) override {}
    void Pump() override
    {
        if (cancelAfter_ > 0 && ++pumps_ == cancelAfter_ && handler_)
            handler_->OnCancelPressed();
    }
    void Hide() override {}

private:
    DownloadHandler* handler_;
    long cancelAfter_;
    long pumps_ = 0;
    std::u16string status_;
};

} // namespace

bool HeadlessRequested()
{
    const char* display = std::getenv("DISPLAY");
    return Env("VORNHAL_UI") == "headless" || !display || !*display;
}

bool RunLogin(LoginHandler* handler)
{
    std::string script = Env("VORNHAL_UI_LOGIN");
    if (script.empty() || script == "cancel" || !handler)
        return false;
    for (const std::string& attempt : Split(script, ';')) {
        size_t colon = attempt.find(':');
        if (colon == std::string::npos)
            continue;
        bool selectPassword = false;
        if (handler->OnOkPressed(attempt.substr(0, colon), attempt.substr(colon + 1), &selectPassword))
            return true;
    }
    return false;
}

bool AskUpdate(UpdateQuestionHandler* handler)
{
    for (const std::string& press : Split(Env("VORNHAL_UI_UPDATE"), ',')) {
        if (press == "notes" && handler)
            handler->OnReleaseNotesPressed();
        else if (press == "yes")
            return true;
        else if (press == "no")
            return false;
    }
    return false;
}

std::unique_ptr<DownloadWindow> OpenDownloadWindow(DownloadHandler* handler)
{
    std::string script = Env("VORNHAL_UI_DOWNLOAD");
    long cancelAfter = 0;
    const char* kCancel = "cancel-after:";
    if (script.compare(0, std::strlen(kCancel), kCancel) == 0) {
        char* end = nullptr;
        cancelAfter = std::strtol(script.c_str() + std::strlen(kCancel), &end, 10);
        if (*end || cancelAfter < 1) {
            std::fprintf(stderr, "VORNHAL_UI_DOWNLOAD: \"%s\" is no count of pumps\n", script.c_str());
            cancelAfter = 0;
        }
    }
    return std::unique_ptr<DownloadWindow>(new ScriptedDownload(handler, cancelAfter));
}

} // namespace Scripted
} // namespace Ui
