#include "editor/dialogs/MapPropertiesDialog.h"

#include "editor/SystemText.h"
#include "game/shell/editor/IEditorUI.h"
#include "platform/ui/Ui.h"

#include <wx/button.h>
#include <wx/checkbox.h>
#include <wx/choice.h>
#include <wx/sizer.h>
#include <wx/statbox.h>
#include <wx/stattext.h>
#include <wx/textctrl.h>

#include <algorithm>

namespace {

wxTextCtrl* AddField(wxWindow* parent, wxSizer* grid, const char* label, int value, bool editable = true)
{
    grid->Add(new wxStaticText(parent, wxID_ANY, label), 0, wxALIGN_CENTER_VERTICAL);
    auto* field = new wxTextCtrl(parent, wxID_ANY, wxString::Format("%d", value), wxDefaultPosition, wxSize(70, -1),
                                 editable ? 0 : wxTE_READONLY);
    field->SetName(wxString(label).BeforeLast(':'));
    grid->Add(field);
    return field;
}

} // namespace

MapPropertiesDialog::MapPropertiesDialog(wxWindow* parent, IEditorUI* ui)
    : EditorDialog(parent, "Map Properties"), ui_(ui)
{
    int width = 0, height = 0;
    ui_->GetUsedArea(&used_.left, &used_.top, &used_.right, &used_.bottom);
    ui_->GetLevelSize(&width, &height);

    auto* sizeBox = new wxStaticBoxSizer(wxVERTICAL, this, "Size");
    auto* sizeGrid = new wxFlexGridSizer(2, 4, 4);
    width_ = AddField(sizeBox->GetStaticBox(), sizeGrid, "Width:", width);
    height_ = AddField(sizeBox->GetStaticBox(), sizeGrid, "Height:", height);
    left_ = AddField(sizeBox->GetStaticBox(), sizeGrid, "Left:", 0);
    top_ = AddField(sizeBox->GetStaticBox(), sizeGrid, "Top:", 0);
    sizeBox->Add(sizeGrid, 0, wxALL, 4);

    // The used area, shown as it is.
    auto* borderBox = new wxStaticBoxSizer(wxVERTICAL, this, "Borders");
    auto* borderGrid = new wxFlexGridSizer(2, 4, 4);
    const int borders[] = {used_.left, used_.top, used_.right, used_.bottom};
    const char* const labels[] = {"Left:", "Top:", "Right:", "Bottom:"};
    for (int i = 0; i < 4; ++i)
        AddField(borderBox->GetStaticBox(), borderGrid, labels[i], borders[i], false)
            ->SetName(wxString("Border ") + wxString(labels[i]).BeforeLast(':'));
    borderBox->Add(borderGrid, 0, wxALL, 4);

    const wxString alignments[] = {"Free", "Center", "Left", "Right", "Top", "Bottom"};
    alignment_ = new wxChoice(this, wxID_ANY, wxDefaultPosition, wxDefaultSize, 6, alignments);
    alignment_->SetName("Alignment");
    alignment_->SetSelection(0);
    name_ = new wxTextCtrl(this, wxID_ANY, Ui::ToWx(ui_->GetLevelName()), wxDefaultPosition, wxSize(220, -1));
    name_->SetName("Name");
    name_->SetMaxLength(DialogValues::kMaxNameLength);
    const wxString modes[] = {"Team Deathmatch", "Capture the Flag", "King of the Hill"};
    mode_ = new wxChoice(this, wxID_ANY, wxDefaultPosition, wxDefaultSize, 3, modes);
    mode_->SetName("Game mode");
    const int mode = ui_->GetGameMode();
    mode_->SetSelection(mode >= 0 && mode < 3 ? mode : wxNOT_FOUND);
    validation_ = new wxTextCtrl(this, wxID_ANY, "Not Validated", wxDefaultPosition, wxSize(220, -1), wxTE_READONLY);
    validation_->SetName("Validation");
    compress_ = new wxCheckBox(this, wxID_ANY, "Compress block data");
    compress_->SetName("Compress block data");
    compress_->SetValue(ui_->GetCompressBlocks());

    auto* fields = new wxFlexGridSizer(2, 4, 6);
    fields->Add(new wxStaticText(this, wxID_ANY, "Alignment:"), 0, wxALIGN_CENTER_VERTICAL);
    fields->Add(alignment_);
    fields->Add(new wxStaticText(this, wxID_ANY, "Name:"), 0, wxALIGN_CENTER_VERTICAL);
    fields->Add(name_);
    fields->Add(new wxStaticText(this, wxID_ANY, "Game mode:"), 0, wxALIGN_CENTER_VERTICAL);
    fields->Add(mode_);
    fields->Add(new wxStaticText(this, wxID_ANY, "Validation:"), 0, wxALIGN_CENTER_VERTICAL);
    fields->Add(validation_);

    auto* boxes = new wxBoxSizer(wxHORIZONTAL);
    boxes->Add(sizeBox, 0, wxRIGHT, 8);
    boxes->Add(borderBox);
    auto* buttons = new wxBoxSizer(wxHORIZONTAL);
    auto* calculate = new wxButton(this, wxID_ANY, "Calculate Size");
    auto* validate = new wxButton(this, wxID_ANY, "Validate");
    buttons->Add(calculate, 0, wxRIGHT, 4);
    buttons->Add(validate, 0, wxRIGHT, 16);
    buttons->Add(new wxButton(this, wxID_OK, "OK"), 0, wxRIGHT, 4);
    buttons->Add(new wxButton(this, wxID_CANCEL, "Cancel"));

    auto* top = new wxBoxSizer(wxVERTICAL);
    top->Add(boxes, 0, wxALL, 8);
    top->Add(fields, 0, wxLEFT | wxRIGHT, 8);
    top->Add(compress_, 0, wxALL, 8);
    top->Add(buttons, 0, wxALL | wxALIGN_RIGHT, 8);
    SetSizerAndFit(top);
    CentreOnParent();

    alignment_->Bind(wxEVT_CHOICE, [this](wxCommandEvent&) { Realign(); });
    width_->Bind(wxEVT_TEXT, [this](wxCommandEvent&) { Realign(); });
    height_->Bind(wxEVT_TEXT, [this](wxCommandEvent&) { Realign(); });
    calculate->Bind(wxEVT_BUTTON, [this](wxCommandEvent&) { CalculateSize(); });
    // Validation is not done by this editor; the button stays for its place.
    validate->Bind(wxEVT_BUTTON, [](wxCommandEvent&) {});
}

int MapPropertiesDialog::Number(wxTextCtrl* field) const
{
    return DialogValues::FieldNumber(SystemText(field->GetValue()));
}

void MapPropertiesDialog::Realign()
{
    int left = Number(left_), top = Number(top_);
    const auto alignment = DialogValues::Alignment(std::max(0, alignment_->GetSelection()));
    DialogValues::AlignOffsets(alignment, Number(width_), Number(height_), used_, &left, &top);
    left_->ChangeValue(wxString::Format("%d", left));
    top_->ChangeValue(wxString::Format("%d", top));
}

void MapPropertiesDialog::CalculateSize()
{
    width_->SetValue(wxString::Format("%d", used_.right - used_.left + 1));
    height_->SetValue(wxString::Format("%d", used_.bottom - used_.top + 1));
}

bool MapPropertiesDialog::AcceptOk()
{
    const int width = Number(width_), height = Number(height_);
    if (!DialogValues::ValidSide(width) || !DialogValues::ValidSide(height)) {
        Ui::ShowMessage(u"Error!", u"Width and height must be between 1 and 4096.", Ui::Icon::Error);
        return false;
    }
    if (ui_->HasBlocks() && DialogValues::CutsBlocks(width, height, Number(left_), Number(top_), used_) &&
        Ui::ShowMessage(u"Warning", u"Blocks will be cutted. Do you want to continue?", Ui::Icon::Warning,
                        Ui::Buttons::YesNo) != Ui::Answer::Yes)
        return false;
    return true;
}

bool MapPropertiesDialog::RunAndApply()
{
    if (Run() != wxID_OK)
        return false;
    ui_->SetLevelName(SystemText(name_->GetValue()).substr(0, DialogValues::kMaxNameLength).c_str());
    ui_->SetGameMode(std::max(0, mode_->GetSelection()));
    ui_->SetCompressBlocks(compress_->GetValue());
    ui_->ResizeLevel(Number(width_), Number(height_), Number(left_), Number(top_));
    return true;
}
