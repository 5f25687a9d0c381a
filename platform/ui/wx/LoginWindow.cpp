#include "platform/ui/wx/Dialogs.h"
#include "platform/ui/wx/PictureBox.h"
#include "platform/ui/wx/Scripted.h"
#include "platform/ui/wx/WxText.h"

#include <wx/button.h>
#include <wx/dialog.h>
#include <wx/hyperlink.h>
#include <wx/sizer.h>
#include <wx/stattext.h>
#include <wx/textctrl.h>

#include <algorithm>

namespace Ui {
namespace {

// Fields hold 256 characters with the terminator.
constexpr int kMaxTyped = 255;

// The picture area is 227 x 105 dialog units; the fields sit on it at
// (87, 60) and (87, 78), 120 units wide.
class LoginWindow : public wxDialog {
public:
    LoginWindow(const LoginView& view, LoginHandler* handler)
        : wxDialog(nullptr, wxID_ANY, "Login To Vornhal"), handler_(handler)
    {
        const wxSize area = PictureBox::AreaFor(view.picture, ConvertDialogToPixels(wxSize(227, 105)));
        PictureBox* picture = new PictureBox(this, view.picture, area);
        user_ = new wxTextCtrl(picture, wxID_ANY);
        password_ = new wxTextCtrl(picture, wxID_ANY, wxString(), wxDefaultPosition, wxDefaultSize, wxTE_PASSWORD);
        // Each field's top at its row of the area; a field taller than the
        // gap between the rows pushes the next one down rather than over it.
        wxBoxSizer* fields = new wxBoxSizer(wxVERTICAL);
        int y = 0;
        const int rows[] = {area.y * 60 / 105, area.y * 78 / 105};
        wxTextCtrl* const order[] = {user_, password_};
        for (int i = 0; i < 2; ++i) {
            wxTextCtrl* field = order[i];
            field->SetMaxLength(kMaxTyped);
            field->SetMinSize(wxSize(area.x * 120 / 227, -1));
            if (rows[i] > y)
                fields->AddSpacer(rows[i] - y);
            y = std::max(y, rows[i]);
            fields->Add(field, 0, wxLEFT, area.x * 87 / 227);
            y += field->GetBestSize().y;
        }
        picture->SetSizer(fields);

        wxButton* ok = new wxButton(this, wxID_OK, "OK");
        wxButton* cancel = new wxButton(this, wxID_CANCEL, "Cancel");
        wxHyperlinkCtrl* link = new wxHyperlinkCtrl(this, wxID_ANY, "Create an account", ToWx(view.link));
        wxStaticText* footer = new wxStaticText(this, wxID_ANY, ToWx(view.footer));
        footer->Disable();

        const int margin = ConvertDialogToPixels(wxSize(7, 7)).x;
        wxBoxSizer* buttons = new wxBoxSizer(wxHORIZONTAL);
        buttons->Add(ok, 0, wxLEFT, margin);
        buttons->Add(cancel, 0, wxLEFT, margin / 2);
        buttons->Add(link, 0, wxLEFT | wxALIGN_CENTER_VERTICAL, margin * 2);
        buttons->AddSpacer(margin);
        wxBoxSizer* top = new wxBoxSizer(wxVERTICAL);
        top->Add(picture, 0, wxEXPAND);
        top->Add(buttons, 0, wxTOP, margin);
        top->Add(footer, 0, wxALL, margin);
        SetSizerAndFit(top);

        ok->SetDefault();
        user_->SetFocus();
        Bind(wxEVT_BUTTON, &LoginWindow::OnOk, this, wxID_OK);
        link->Bind(wxEVT_HYPERLINK, [page = view.link](wxHyperlinkEvent&) { OpenPage(page); });
        CentreOnScreen();
    }

private:
    void OnOk(wxCommandEvent&)
    {
        bool selectPassword = false;
        if (handler_ &&
            handler_->OnOkPressed(FromWx(user_->GetValue()), FromWx(password_->GetValue()), &selectPassword)) {
            EndModal(wxID_OK);
            return;
        }
        if (selectPassword) {
            password_->SetFocus();
            password_->SelectAll();
        }
    }

    LoginHandler* handler_;
    wxTextCtrl* user_ = nullptr;
    wxTextCtrl* password_ = nullptr;
};

} // namespace

bool RunLogin(const LoginView& view, LoginHandler* handler)
{
    if (DialogsScripted())
        return Scripted::RunLogin(handler);
    LoginWindow window(view, handler);
    return window.ShowModal() == wxID_OK;
}

} // namespace Ui
