#include "editor/CEditorApp.h"

#include "editor/CMainFrame.h"
#include "editor/EditorProgram.h"
#include "editor/FileChooser.h"
#include "editor/script/Answers.h"
#include "editor/script/ScriptRunner.h"
#include "platform/ui/wx/Dialogs.h"

#include <wx/cmdline.h>
#include <wx/fileconf.h>
#include <wx/filename.h>
#include <wx/image.h>

#include <cstdio>
#include <cstdlib>

namespace {

// The user's configuration folder (XDG), where the recent files are kept.
wxString ConfigPath()
{
    wxString base;
    if (const char* xdg = std::getenv("XDG_CONFIG_HOME"); xdg && *xdg)
        base = wxString::FromUTF8(xdg);
    else if (const char* home = std::getenv("HOME"); home && *home)
        base = wxString::FromUTF8(home) + "/.config";
    else
        base = ".";
    return base + "/vornhal/editor.ini";
}

} // namespace

CEditorApp::CEditorApp() { SetAppName("Editor"); }

CEditorApp::~CEditorApp() = default;

void CEditorApp::OnInitCmdLine(wxCmdLineParser& parser)
{
    parser.AddOption("", "script", "play the commands of FILE", wxCMD_LINE_VAL_STRING);
    parser.AddParam("level file", wxCMD_LINE_VAL_STRING, wxCMD_LINE_PARAM_OPTIONAL);
    parser.AddSwitch("h", "help", "show this help", wxCMD_LINE_OPTION_HELP);
}

bool CEditorApp::OnCmdLineParsed(wxCmdLineParser& parser)
{
    wxString script;
    if (parser.Found("script", &script))
        scriptPath_ = script.utf8_string();
    if (parser.GetParamCount() > 0)
        levelPath_ = parser.GetParam(0);
    return true;
}

bool CEditorApp::OnInit()
{
    // A scripted run has nobody to answer the toolkit's own checks.
    if (Answers::Scripted())
        wxSetAssertHandler(
            [](const wxString& file, int line, const wxString& func, const wxString& cond, const wxString& msg) {
                std::fprintf(stderr, "toolkit check failed: %s:%d %s: %s %s\n", file.utf8_str().data(), line,
                             func.utf8_str().data(), cond.utf8_str().data(), msg.utf8_str().data());
            });
    if (!wxApp::OnInit())
        return false;
    wxInitAllImageHandlers();
    // Message boxes are windows, or in a scripted run the script's answers.
    if (!Ui::StartDialogs())
        Answers::InstallMessageBoxes();
    std::vector<ScriptLine> lines;
    if (!scriptPath_.empty()) {
        std::string why;
        if (!ReadScript(scriptPath_, &lines, &why)) {
            std::fprintf(stderr, "Editor: %s\n", why.c_str());
            return false;
        }
    }
    const wxString configPath = ConfigPath();
    wxFileName::Mkdir(wxFileName(configPath).GetPath(), wxS_DIR_DEFAULT, wxPATH_MKDIR_FULL);
    config_ = std::make_unique<wxFileConfig>("Editor", "", configPath, "", wxCONFIG_USE_LOCAL_FILE);

    auto* frame = new CMainFrame(config_.get());
    SetTopWindow(frame);
    if (!frame->Start()) {
        frame->GetDocument().SetModified(false);
        frame->Destroy();
        std::fprintf(stderr, "Editor: the editor could not start\n");
        return false;
    }
    // A level named on the command line that does not open ends the program.
    if (!levelPath_.empty() && !frame->OpenLevel(FileChooser::FromWxPath(levelPath_))) {
        frame->Close(true);
        return false;
    }
    frame->UpdateTitle();
    if (!scriptPath_.empty()) {
        script_ = std::make_unique<ScriptRunner>(frame, std::move(lines));
        script_->Start();
    }
    return true;
}

int CEditorApp::OnRun()
{
    const int code = wxApp::OnRun();
    std::string left;
    if (!scriptPath_.empty() && !Answers::AllTaken(&left))
        Answers::Fail("the script's " + left + " was never asked for");
    return Answers::HasFailed() ? 1 : code;
}

int CEditorApp::OnExit()
{
    script_.reset();
    Ui::StopDialogs();
    config_.reset();
    return wxApp::OnExit();
}

int CEditorApp::FilterEvent(wxEvent& event)
{
    const wxEventType type = event.GetEventType();
    if ((type != wxEVT_KEY_DOWN && type != wxEVT_KEY_UP) || !Program().frame)
        return -1;
    // The window the key is addressed to is the one with the keyboard.
    wxWindow* target = wxDynamicCast(event.GetEventObject(), wxWindow);
    return Program().frame->FilterKey(static_cast<wxKeyEvent&>(event), target ? target : wxWindow::FindFocus());
}
