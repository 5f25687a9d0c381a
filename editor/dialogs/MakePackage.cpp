#include "editor/dialogs/MakePackage.h"

#include "editor/FileChooser.h"
#include "editor/SystemText.h"
#include "editor/package/PackageBuilder.h"
#include "engine/files/IFileManager.h"
#include "platform/ui/Ui.h"

#include <wx/button.h>
#include <wx/sizer.h>
#include <wx/stattext.h>
#include <wx/textctrl.h>
#include <wx/valtext.h>

namespace {

const char* const kFilter = "Vornhal Packages (*.data)|*.data|All Files (*.*)|*.*";

} // namespace

MakePackage::MakePackage(wxWindow* parent, IFileManager* files) : EditorDialog(parent, "Make Package"), files_(files)
{
    const std::u16string text = PackageBuilder::BeginWith(files_, PackageBuilder::CollectNames(files_->GetGameDir()));
    wxString shown = Ui::ToWx(text);
    shown.Replace("\r\n", "\n");
    list_ = new wxTextCtrl(this, wxID_ANY, shown, wxDefaultPosition, wxSize(420, 300),
                           wxTE_MULTILINE | wxTE_READONLY | wxHSCROLL);
    list_->SetName("Following files will be packed:");
    version_ =
        new wxTextCtrl(this, wxID_ANY, "0", wxDefaultPosition, wxSize(100, -1), 0, wxTextValidator(wxFILTER_DIGITS));
    version_->SetName("Version");
    auto* versionRow = new wxBoxSizer(wxHORIZONTAL);
    versionRow->Add(new wxStaticText(this, wxID_ANY, "Version:"), 0, wxALIGN_CENTER_VERTICAL | wxRIGHT, 6);
    versionRow->Add(version_);
    auto* buttons = new wxBoxSizer(wxHORIZONTAL);
    buttons->Add(new wxButton(this, wxID_OK, "OK"), 0, wxRIGHT, 4);
    buttons->Add(new wxButton(this, wxID_CANCEL, "Cancel"));
    auto* top = new wxBoxSizer(wxVERTICAL);
    top->Add(new wxStaticText(this, wxID_ANY, "Following files will be packed:"), 0, wxLEFT | wxTOP | wxRIGHT, 8);
    top->Add(list_, 1, wxALL | wxEXPAND, 8);
    top->Add(versionRow, 0, wxLEFT | wxRIGHT, 8);
    top->Add(buttons, 0, wxALL | wxALIGN_RIGHT, 8);
    SetSizerAndFit(top);
    CentreOnParent();
}

bool MakePackage::AcceptOk()
{
    // The version is checked before anything is written.
    int version = 0;
    if (!PackageBuilder::ParseVersion(SystemText(version_->GetValue()), &version)) {
        Ui::ShowMessage(u"Error!", u"Enter a version between 0 and 1000000.", Ui::Icon::Error);
        return false;
    }
    std::u16string path;
    if (!FileChooser::AskSave(this, kFilter, ".data", u"", &path))
        return false;
    if (PackageBuilder::IsOpenDataPackage(files_, path)) {
        Ui::ShowMessage(u"Error!", u"The editor reads its data from this game.data: choose another file.",
                        Ui::Icon::Error);
        return false;
    }
    if (!PackageBuilder::Write(files_, version, path))
        Ui::ShowMessage(u"Error!", u"Writing package failed", Ui::Icon::Error);
    return true;
}
