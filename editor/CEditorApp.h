#pragma once

#include <wx/app.h>

#include <memory>
#include <string>

class ScriptRunner;
class wxFileConfig;

// The editor program: its command line ("Editor [--script FILE] [LEVEL]"),
// the user's settings (the recent files), the main frame and the key
// filter in front of every window.
class CEditorApp : public wxApp {
public:
    CEditorApp();
    ~CEditorApp() override;

    bool OnInit() override;
    int OnRun() override;
    int OnExit() override;
    void OnInitCmdLine(wxCmdLineParser& parser) override;
    bool OnCmdLineParsed(wxCmdLineParser& parser) override;
    int FilterEvent(wxEvent& event) override;

private:
    std::string scriptPath_;
    wxString levelPath_;
    std::unique_ptr<wxFileConfig> config_;
    std::unique_ptr<ScriptRunner> script_;
};
