#include "editor/dialogs/EditorDialog.h"

#include "editor/script/Answers.h"
#include "editor/script/Screenshot.h"

#include <wx/app.h>
#include <wx/button.h>
#include <wx/checkbox.h>
#include <wx/choice.h>
#include <wx/slider.h>
#include <wx/textctrl.h>
#include <wx/utils.h>

namespace {

template <typename Event> void Send(wxWindow* control, Event& e)
{
    e.SetEventObject(control);
    control->GetEventHandler()->ProcessEvent(e);
}

wxButton* FindButton(wxWindow* parent, const wxString& label)
{
    for (wxWindow* child : parent->GetChildren()) {
        auto* button = dynamic_cast<wxButton*>(child);
        if (button && wxStripMenuCodes(button->GetLabel()) == label)
            return button;
        if (wxButton* inner = FindButton(child, label))
            return inner;
    }
    return nullptr;
}

// What a control shows, as a script names a value for it.
wxString Shown(wxWindow* control)
{
    if (auto* text = dynamic_cast<wxTextCtrl*>(control))
        return text->GetValue();
    if (auto* choice = dynamic_cast<wxChoice*>(control))
        return choice->GetStringSelection();
    if (auto* check = dynamic_cast<wxCheckBox*>(control))
        return check->GetValue() ? "1" : "0";
    if (auto* slider = dynamic_cast<wxSlider*>(control))
        return wxString::Format("%d", slider->GetValue());
    return "(no such control)";
}

} // namespace

void PumpEvents()
{
    for (int i = 0; i < 10 && wxTheApp; ++i)
        wxTheApp->Yield(true);
}

EditorDialog::EditorDialog(wxWindow* parent, const wxString& title)
    : wxDialog(parent, wxID_ANY, title, wxDefaultPosition, wxDefaultSize, wxDEFAULT_DIALOG_STYLE)
{
    Bind(wxEVT_BUTTON, &EditorDialog::OnOk, this, wxID_OK);
    Bind(wxEVT_BUTTON, &EditorDialog::OnCancel, this, wxID_CANCEL);
    Bind(wxEVT_CLOSE_WINDOW, &EditorDialog::OnClose, this);
}

int EditorDialog::Run()
{
    ended_ = false;
    code_ = wxID_CANCEL;
    if (Answers::Scripted())
        return RunScripted();
    // Return in a field presses OK, as in any dialog.
    if (auto* ok = dynamic_cast<wxButton*>(FindWindow(wxID_OK)))
        ok->SetDefault();
    modal_ = true;
    ShowModal();
    modal_ = false;
    return code_;
}

void EditorDialog::Finish(int code)
{
    if (ended_)
        return;
    ended_ = true;
    code_ = code;
    OnEnding();
    if (modal_ && IsModal())
        EndModal(code);
    else
        Hide();
}

void EditorDialog::OnOk(wxCommandEvent&)
{
    if (AcceptOk())
        Finish(wxID_OK);
}

void EditorDialog::OnCancel(wxCommandEvent&) { Finish(wxID_CANCEL); }

void EditorDialog::OnClose(wxCloseEvent&) { Finish(wxID_CANCEL); }

int EditorDialog::RunScripted()
{
    const std::string title = GetTitle().utf8_string();
    std::vector<Answers::DialogStep> steps;
    if (!Answers::TakeDialog(title, &steps)) {
        Finish(wxID_CANCEL);
        return code_;
    }
    Show();
    PumpEvents();
    for (const Answers::DialogStep& step : steps) {
        if (ended_) {
            Answers::Fail("the dialog \"" + title + "\" closed before its step " + step.name + "=" + step.value);
            break;
        }
        if (!PlayStep(step.name, step.value))
            Answers::Fail("the dialog \"" + title + "\" has no " + step.name + " to take " + step.value);
        PumpEvents();
    }
    if (!ended_) {
        Answers::Fail("the dialog \"" + title + "\" is still open after its steps");
        Finish(wxID_CANCEL);
    }
    return code_;
}

bool EditorDialog::PlayStep(const std::string& name, const std::string& value)
{
    const wxString v = wxString::FromUTF8(value);
    if (name == "shot")
        return SaveWindowPicture(this, value);
    if (name == "press") {
        wxButton* button = FindButton(this, v);
        if (!button)
            return false;
        wxCommandEvent e(wxEVT_BUTTON, button->GetId());
        Send(button, e);
        return true;
    }
    if (!name.empty() && name[0] == '?') {
        // A look at what the control shows: the run fails when it differs.
        const wxString shown = Shown(FindWindowByName(wxString::FromUTF8(name.substr(1)), this));
        if (shown != v)
            Answers::Fail("the dialog \"" + GetTitle().utf8_string() + "\" shows " + name.substr(1) + "=" +
                          shown.utf8_string() + ", not " + value);
        return true;
    }
    wxWindow* control = FindWindowByName(wxString::FromUTF8(name), this);
    if (auto* text = dynamic_cast<wxTextCtrl*>(control)) {
        text->SetFocus();
        text->SetValue(v);
        wxFocusEvent leave(wxEVT_KILL_FOCUS, text->GetId());
        Send(text, leave);
        return true;
    }
    if (auto* choice = dynamic_cast<wxChoice*>(control)) {
        if (!choice->SetStringSelection(v))
            return false;
        wxCommandEvent e(wxEVT_CHOICE, choice->GetId());
        e.SetInt(choice->GetSelection());
        e.SetString(v);
        Send(choice, e);
        return true;
    }
    if (auto* check = dynamic_cast<wxCheckBox*>(control)) {
        check->SetValue(value == "1");
        wxCommandEvent e(wxEVT_CHECKBOX, check->GetId());
        e.SetInt(check->GetValue());
        Send(check, e);
        return true;
    }
    if (auto* slider = dynamic_cast<wxSlider*>(control)) {
        long n = 0;
        if (!v.ToLong(&n))
            return false;
        slider->SetValue(int(n));
        wxCommandEvent e(wxEVT_SLIDER, slider->GetId());
        e.SetInt(slider->GetValue());
        Send(slider, e);
        return true;
    }
    return false;
}
