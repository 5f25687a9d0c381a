#include "platform/ui/wx/Dialogs.h"
#include "platform/ui/wx/PictureBox.h"
#include "platform/ui/wx/Scripted.h"
#include "platform/ui/wx/WxText.h"

#include <wx/button.h>
#include <wx/dialog.h>
#include <wx/sizer.h>
#include <wx/stattext.h>
#include <wx/textctrl.h>

namespace Ui {
namespace {

constexpr int kReleaseNotesId = 1006;

// The question, while it is up: the release notes open over it.
wxDialog* g_question = nullptr;

// 282 x 60 dialog units; the buttons sit at the right end of a row.
class QuestionWindow : public wxDialog {
public:
    QuestionWindow(const Picture& picture, UpdateQuestionHandler* handler)
        : wxDialog(nullptr, wxID_ANY, "Update Vornhal"), handler_(handler)
    {
        const wxSize area = PictureBox::AreaFor(picture, ConvertDialogToPixels(wxSize(282, 33)));
        PictureBox* box = new PictureBox(this, picture, area);
        // The picture asks the question; the words stand in only for a
        // picture that could not be loaded.
        wxStaticText* question =
            picture.pixels && picture.width > 0 && picture.height > 0
                ? nullptr
                : new wxStaticText(this, wxID_ANY, "There is update available. Would you like to update now?");
        wxButton* yes = new wxButton(this, wxID_YES, "Yes");
        wxButton* no = new wxButton(this, wxID_NO, "No");
        wxButton* notes = new wxButton(this, kReleaseNotesId, "Release Notes");

        const int margin = ConvertDialogToPixels(wxSize(7, 7)).x;
        wxBoxSizer* buttons = new wxBoxSizer(wxHORIZONTAL);
        buttons->AddStretchSpacer();
        buttons->Add(yes, 0, wxRIGHT, margin);
        buttons->Add(no, 0, wxRIGHT, margin);
        buttons->Add(notes, 0, wxRIGHT, margin);
        wxBoxSizer* top = new wxBoxSizer(wxVERTICAL);
        top->Add(box, 0, wxEXPAND);
        if (question)
            top->Add(question, 0, wxLEFT | wxRIGHT | wxTOP, margin);
        top->Add(buttons, 0, wxEXPAND | wxTOP | wxBOTTOM, margin);
        SetSizerAndFit(top);

        yes->SetDefault();
        yes->SetFocus();
        SetEscapeId(wxID_NO);
        Bind(
            wxEVT_BUTTON, [this](wxCommandEvent&) { EndModal(wxID_YES); }, wxID_YES);
        Bind(
            wxEVT_BUTTON, [this](wxCommandEvent&) { EndModal(wxID_NO); }, wxID_NO);
        Bind(
            wxEVT_BUTTON,
            [this](wxCommandEvent&) {
                if (handler_)
                    handler_->OnReleaseNotesPressed();
            },
            kReleaseNotesId);
        CentreOnScreen();
    }

private:
    UpdateQuestionHandler* handler_;
};

// 316 x 183 dialog units: the text 302 x 149, Close at the bottom right.
class NotesWindow : public wxDialog {
public:
    NotesWindow(wxWindow* owner, const std::u16string& notes) : wxDialog(owner, wxID_ANY, "Vornhal Release Notes")
    {
        wxTextCtrl* text =
            new wxTextCtrl(this, wxID_ANY, ToWx(notes), wxDefaultPosition, ConvertDialogToPixels(wxSize(302, 149)),
                           wxTE_MULTILINE | wxTE_READONLY | wxVSCROLL);
        wxButton* close = new wxButton(this, wxID_CANCEL, "Close");
        const int margin = ConvertDialogToPixels(wxSize(7, 7)).x;
        wxBoxSizer* top = new wxBoxSizer(wxVERTICAL);
        top->Add(text, 1, wxEXPAND | wxALL, margin);
        top->Add(close, 0, wxALIGN_RIGHT | wxRIGHT | wxBOTTOM, margin);
        SetSizerAndFit(top);
        close->SetDefault();
        close->SetFocus();
        CentreOnScreen();
    }
};

} // namespace

bool AskUpdate(const Picture& picture, UpdateQuestionHandler* handler)
{
    if (DialogsScripted())
        return Scripted::AskUpdate(handler);
    QuestionWindow window(picture, handler);
    wxDialog* outer = g_question;
    g_question = &window;
    const bool yes = window.ShowModal() == wxID_YES;
    g_question = outer;
    return yes;
}

void ShowReleaseNotes(const std::u16string& notes)
{
    if (DialogsScripted())
        return;
    NotesWindow window(g_question, notes);
    window.ShowModal();
}

} // namespace Ui
