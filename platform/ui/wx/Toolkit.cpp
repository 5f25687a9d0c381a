#include "platform/ui/Ui.h"
#include "platform/ui/wx/Dialogs.h"
#include "platform/ui/wx/Scripted.h"
#include "platform/ui/wx/WxText.h"

#include <wx/app.h>
#include <wx/init.h>
#include <wx/msgdlg.h>
#include <wx/thread.h>
#include <wx/toplevel.h>
#include <wx/utils.h>

#include <cstdio>

namespace Ui {
namespace {

class DialogApp : public wxApp {
public:
    bool OnInit() override { return true; }
};

// The toolkit's own state (its application object, its windows) lives in
// its shared libraries, once per process whichever library links this
// layer; this copy only remembers whether it started the toolkit itself.
bool g_startedHere = false;

bool ToolkitUp() { return wxTheApp && wxTheApp->IsGUI(); }

Answer WxMessage(const char16_t* title, const char16_t* text, Icon icon, Buttons buttons)
{
    // Windows belong to the main thread; other threads' boxes go to the
    // console.
    if (!ToolkitUp() || !wxIsMainThread())
        return ConsoleMessage(title, text, icon, buttons);
    long style = wxCENTRE;
    switch (buttons) {
    case Buttons::Ok:
        style |= wxOK;
        break;
    case Buttons::OkCancel:
        style |= wxOK | wxCANCEL;
        break;
    case Buttons::YesNo:
        style |= wxYES_NO;
        break;
    case Buttons::YesNoCancel:
        style |= wxYES_NO | wxCANCEL;
        break;
    }
    switch (icon) {
    case Icon::None:
        break;
    case Icon::Information:
        style |= wxICON_INFORMATION;
        break;
    case Icon::Warning:
        style |= wxICON_WARNING;
        break;
    case Icon::Error:
        style |= wxICON_ERROR;
        break;
    case Icon::Question:
        style |= wxICON_QUESTION;
        break;
    }
    wxMessageDialog box(nullptr, ToWx(text), ToWx(title), style);
    box.CentreOnScreen();
    switch (box.ShowModal()) {
    case wxID_YES:
        return Answer::Yes;
    case wxID_NO:
        return Answer::No;
    case wxID_CANCEL:
        return buttons == Buttons::YesNo ? Answer::No : Answer::Cancel;
    default:
        return Answer::Ok;
    }
}

} // namespace

bool StartDialogs()
{
    if (Scripted::HeadlessRequested())
        return false;
    if (!wxTheApp) {
        wxApp::SetInstance(new DialogApp());
        static char name[] = "vornhal";
        static char* argv[] = {name, nullptr};
        int argc = 1;
        if (!wxEntryStart(argc, argv)) {
            std::fprintf(stderr, "Dialogs: the window toolkit did not start; dialogs take scripted answers\n");
            return false;
        }
        if (!wxTheApp->CallOnInit()) {
            wxEntryCleanup();
            return false;
        }
        g_startedHere = true;
    }
    if (!ToolkitUp())
        return false;
    SetMessageBackend(WxMessage);
    return true;
}

void StopDialogs()
{
    if (ToolkitUp() && wxIsMainThread())
        SetMessageBackend(nullptr);
    if (!g_startedHere)
        return;
    g_startedHere = false;
    // Windows left open go with the toolkit.
    while (!wxTopLevelWindows.empty())
        delete wxTopLevelWindows.GetFirst()->GetData();
    wxTheApp->OnExit();
    wxEntryCleanup();
}

bool DialogsScripted() { return Scripted::HeadlessRequested() || !ToolkitUp(); }

void OpenPage(const std::u16string& url)
{
    if (DialogsScripted()) {
        std::fprintf(stderr, "open page: %s\n", ToWx(url).utf8_str().data());
        return;
    }
    wxLaunchDefaultBrowser(ToWx(url));
}

} // namespace Ui
