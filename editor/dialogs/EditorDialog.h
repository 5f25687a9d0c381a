#pragma once

#include <wx/dialog.h>

#include <string>

// A modal dialog of the editor. In a scripted run it is shown without
// blocking and the script's steps for it are played through the same
// handlers a person's input reaches: values set into the controls named
// by their labels, buttons pressed.
class EditorDialog : public wxDialog {
public:
    EditorDialog(wxWindow* parent, const wxString& title);

    // The code the dialog ended with: wxID_OK or wxID_CANCEL.
    int Run();

protected:
    // OK pressed: true closes the dialog with wxID_OK.
    virtual bool AcceptOk() { return true; }
    // The dialog ends, whichever way.
    virtual void OnEnding() {}
    void Finish(int code);

private:
    void OnOk(wxCommandEvent& e);
    void OnCancel(wxCommandEvent& e);
    void OnClose(wxCloseEvent& e);
    int RunScripted();
    bool PlayStep(const std::string& name, const std::string& value);

    bool ended_ = false;
    bool modal_ = false;
    int code_ = wxID_CANCEL;
};

// Pumps the toolkit until nothing is pending (a scripted run lets windows
// draw between its steps).
void PumpEvents();
