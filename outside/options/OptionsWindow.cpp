#include "outside/options/Backends.h"
#include "outside/options/OptionsDialog.h"

#include "platform/os/OsText.h"

#include <wx/app.h>
#include <wx/init.h>

#include <clocale>
#include <cstdlib>
#include <string>

namespace {

class OptionsApp : public wxApp {
public:
    bool OnInit() override { return true; }
};

// Starts wxWidgets for the dialog when the host has not, and afterwards
// leaves the process as it was: no wx, the same C locale.
class WxSession {
public:
    WxSession()
    {
        if (wxTheApp) {
            ready_ = true;
            return;
        }
        const char* locale = std::setlocale(LC_ALL, nullptr);
        locale_ = locale ? locale : "C";
        wxApp::SetInstance(new OptionsApp);
        static char name[] = "game";
        static char* argv[] = {name, nullptr};
        int argc = 1;
        started_ = wxEntryStart(argc, argv);
        ready_ = started_ && wxTheApp->CallOnInit();
    }

    ~WxSession()
    {
        if (started_)
            wxEntryCleanup();
        if (!locale_.empty())
            std::setlocale(LC_ALL, locale_.c_str());
    }

    bool Ready() const { return ready_; }

private:
    bool started_ = false;
    bool ready_ = false;
    std::string locale_;
};

} // namespace

namespace Options {

bool RunWindow(IGame* game, Answer* out, std::u16string* error)
{
    WxSession session;
    if (!session.Ready()) {
        const char* display = std::getenv("DISPLAY");
        *error = u"the options window cannot open on the display \"" + Util::FromOs(display ? display : "") + u"\"";
        return false;
    }
    // The dialog goes before wx does.
    OptionsDialog dialog(game);
    const int result = dialog.ShowModal();
    if (result == wxID_OK || result == OptionsDialog::kSaveAndQuit)
        dialog.Apply();
    *out = result == wxID_OK ? Answer::Start : result == OptionsDialog::kSaveAndQuit ? Answer::Save : Answer::Cancel;
    return true;
}

} // namespace Options
