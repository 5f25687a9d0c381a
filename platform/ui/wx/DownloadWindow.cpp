#include "platform/ui/wx/Dialogs.h"
#include "platform/ui/wx/PictureBox.h"
#include "platform/ui/wx/Scripted.h"
#include "platform/ui/wx/WxText.h"

#include <wx/app.h>
#include <wx/button.h>
#include <wx/dialog.h>
#include <wx/gauge.h>
#include <wx/sizer.h>
#include <wx/stattext.h>

namespace Ui {
namespace {

// 278 x 105 dialog units: the picture 277 x 43, two lines of status text
// 259 wide, the bar 259 x 11, Cancel and the footer below.
class DownloadDialog : public wxDialog {
public:
    DownloadDialog(const Picture& picture, const std::u16string& footerText, DownloadHandler* handler)
        : wxDialog(nullptr, wxID_ANY, "Update Vornhal"), handler_(handler)
    {
        const wxSize area = PictureBox::AreaFor(picture, ConvertDialogToPixels(wxSize(277, 43)));
        PictureBox* box = new PictureBox(this, picture, area);
        // As wide as the picture allows, in the dialog's proportions.
        const int inner = area.x * 259 / 277;
        status_ = new wxStaticText(this, wxID_ANY, wxString(), wxDefaultPosition,
                                   wxSize(inner, ConvertDialogToPixels(wxSize(259, 20)).y), wxST_NO_AUTORESIZE);
        bar_ = new wxGauge(this, wxID_ANY, kProgressRange, wxDefaultPosition,
                           wxSize(inner, ConvertDialogToPixels(wxSize(259, 11)).y));
        wxButton* cancel = new wxButton(this, wxID_CANCEL, "Cancel");
        wxStaticText* footer = new wxStaticText(this, wxID_ANY, ToWx(footerText));
        footer->Disable();

        const int margin = (area.x - inner) / 2;
        wxBoxSizer* top = new wxBoxSizer(wxVERTICAL);
        top->Add(box, 0, wxEXPAND);
        top->Add(status_, 0, wxEXPAND | wxLEFT | wxRIGHT | wxTOP, margin);
        top->Add(bar_, 0, wxEXPAND | wxLEFT | wxRIGHT | wxTOP, margin);
        top->Add(cancel, 0, wxLEFT | wxTOP, margin);
        top->Add(footer, 0, wxALL, margin / 2);
        SetSizerAndFit(top);
        cancel->SetFocus();

        Bind(
            wxEVT_BUTTON, [this](wxCommandEvent&) { Cancel(); }, wxID_CANCEL);
        Bind(wxEVT_CLOSE_WINDOW, [this](wxCloseEvent&) { Cancel(); });
        CentreOnScreen();
    }

    // Drawn at once: the download pumps only between its chunks.
    void SetStatus(const wxString& text)
    {
        status_->SetLabel(text);
        status_->Update();
    }
    void SetProgress(int position)
    {
        bar_->SetValue(position < 0 ? 0 : position > kProgressRange ? kProgressRange : position);
        bar_->Update();
    }

private:
    void Cancel()
    {
        if (handler_)
            handler_->OnCancelPressed();
    }

    DownloadHandler* handler_;
    wxStaticText* status_ = nullptr;
    wxGauge* bar_ = nullptr;
};

class WxDownloadWindow : public DownloadWindow {
public:
    WxDownloadWindow(const Picture& picture, const std::u16string& footer, DownloadHandler* handler)
        : dialog_(new DownloadDialog(picture, footer, handler))
    {
        dialog_->Show();
        Pump();
    }
    ~WxDownloadWindow() override
    {
        dialog_->Destroy();
        Pump();
    }

    void SetStatus(const std::u16string& text) override { dialog_->SetStatus(ToWx(text)); }
    void SetProgress(int position) override { dialog_->SetProgress(position); }
    void Pump() override { wxTheApp->Yield(true); }
    void Hide() override { dialog_->Hide(); }

private:
    DownloadDialog* dialog_; // the toolkit's; Destroy deletes it
};

} // namespace

std::unique_ptr<DownloadWindow> OpenDownloadWindow(const Picture& picture, const std::u16string& footer,
                                                   DownloadHandler* handler)
{
    if (DialogsScripted())
        return Scripted::OpenDownloadWindow(handler);
    return std::unique_ptr<DownloadWindow>(new WxDownloadWindow(picture, footer, handler));
}

} // namespace Ui
