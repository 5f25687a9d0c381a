#include "editor/dialogs/LightDialogs.h"

#include "editor/EditorProgram.h"
#include "editor/SystemText.h"
#include "editor/dialogs/DialogValues.h"
#include "game/world/map/ILight.h"
#include "game/world/map/ILightBox.h"

#include <wx/button.h>
#include <wx/choice.h>
#include <wx/sizer.h>
#include <wx/slider.h>
#include <wx/stattext.h>
#include <wx/textctrl.h>

#include <algorithm>

namespace {

const char* const kChannels[3] = {"R", "G", "B"};

wxSizer* OkCancel(wxWindow* parent)
{
    auto* buttons = new wxBoxSizer(wxHORIZONTAL);
    buttons->Add(new wxButton(parent, wxID_OK, "OK"), 0, wxRIGHT, 4);
    buttons->Add(new wxButton(parent, wxID_CANCEL, "Cancel"));
    return buttons;
}

wxSlider* AddSlider(wxWindow* parent, wxFlexGridSizer* grid, const char* label, int value, int low, int high)
{
    grid->Add(new wxStaticText(parent, wxID_ANY, label), 0, wxALIGN_CENTER_VERTICAL);
    auto* slider = new wxSlider(parent, wxID_ANY, std::clamp(value, low, high), low, high, wxDefaultPosition,
                                wxSize(220, -1));
    slider->SetName(wxString(label).BeforeLast(':'));
    grid->Add(slider, 1, wxEXPAND);
    return slider;
}

wxTextCtrl* AddColourEdit(wxWindow* parent, wxSizer* row, int channel, long value)
{
    row->Add(new wxStaticText(parent, wxID_ANY, wxString(kChannels[channel]) + ":"), 0,
             wxALIGN_CENTER_VERTICAL | wxRIGHT, 3);
    auto* edit = new wxTextCtrl(parent, wxID_ANY, wxString::Format("%ld", value), wxDefaultPosition, wxSize(48, -1));
    edit->SetName(kChannels[channel]);
    row->Add(edit, 0, wxRIGHT, 8);
    return edit;
}

} // namespace

LightAreaDialog::LightAreaDialog(wxWindow* parent, ILightBox* box) : EditorDialog(parent, "Light Area Properties"), box_(box)
{
    auto* grid = new wxFlexGridSizer(2, 4, 6);
    grid->AddGrowableCol(1);
    light_ = AddSlider(this, grid, "Light:", int(box_->GetBrightness() * 300.0f), 0, 300);
    auto* colours = new wxBoxSizer(wxHORIZONTAL);
    // The colour edits are not tied to the light area.
    for (int c = 0; c < 3; ++c)
        AddColourEdit(this, colours, c, 255);
    auto* top = new wxBoxSizer(wxVERTICAL);
    top->Add(grid, 0, wxALL | wxEXPAND, 8);
    top->Add(colours, 0, wxLEFT | wxRIGHT, 8);
    top->Add(OkCancel(this), 0, wxALL | wxALIGN_RIGHT, 8);
    SetSizerAndFit(top);
    CentreOnParent();
    light_->Bind(wxEVT_SLIDER, [this](wxCommandEvent&) {
        box_->SetBrightness(float(light_->GetValue()) / 300.0f);
        MarkLevelModified();
        DrawView();
    });
}

LightDialog::LightDialog(wxWindow* parent, ILight* light) : EditorDialog(parent, "Light Properties"), light_(light)
{
    const wxString types[] = {"Point", "Spot", "Tube", "Sign", "Blinking sign"};
    type_ = new wxChoice(this, wxID_ANY, wxDefaultPosition, wxDefaultSize, 5, types);
    type_->SetName("Type");
    const int type = light_->GetType();
    type_->SetSelection(type >= 0 && type < 5 ? type : wxNOT_FOUND);
    auto* grid = new wxFlexGridSizer(2, 4, 6);
    grid->AddGrowableCol(1);
    grid->Add(new wxStaticText(this, wxID_ANY, "Type:"), 0, wxALIGN_CENTER_VERTICAL);
    grid->Add(type_);
    size_ = AddSlider(this, grid, "Size:", int(light_->GetSize()), 32, 1024);
    angle_ = AddSlider(this, grid, "Angle:", int(light_->GetAngle()), 0, 360);
    power_ = AddSlider(this, grid, "Power:", int(light_->GetPower() * 10.0f), 0, 200);
    float rgb[3] = {0, 0, 0};
    light_->GetColor(&rgb[0], &rgb[1], &rgb[2]);
    auto* colours = new wxBoxSizer(wxHORIZONTAL);
    for (int c = 0; c < 3; ++c) {
        colour_[c] = AddColourEdit(this, colours, c, long(rgb[c] * 255.0f));
        colour_[c]->Bind(wxEVT_KILL_FOCUS, [this, c](wxFocusEvent& e) {
            OnColourLeft(c);
            e.Skip();
        });
    }
    auto* top = new wxBoxSizer(wxVERTICAL);
    top->Add(grid, 0, wxALL | wxEXPAND, 8);
    top->Add(colours, 0, wxLEFT | wxRIGHT, 8);
    top->Add(OkCancel(this), 0, wxALL | wxALIGN_RIGHT, 8);
    SetSizerAndFit(top);
    CentreOnParent();

    // Only what a person changes is applied: the sliders' own ranges would
    // otherwise round a light just by showing it.
    auto changed = [] {
        MarkLevelModified();
        DrawView();
    };
    type_->Bind(wxEVT_CHOICE, [this, changed](wxCommandEvent&) {
        light_->SetType(type_->GetSelection());
        changed();
    });
    size_->Bind(wxEVT_SLIDER, [this, changed](wxCommandEvent&) {
        light_->SetSize(float(size_->GetValue()));
        changed();
    });
    angle_->Bind(wxEVT_SLIDER, [this, changed](wxCommandEvent&) {
        light_->SetAngle(float(angle_->GetValue()));
        changed();
    });
    power_->Bind(wxEVT_SLIDER, [this, changed](wxCommandEvent&) {
        light_->SetPower(float(power_->GetValue()) / 10.0f);
        changed();
    });
}

void LightDialog::OnColourLeft(int channel)
{
    const int value = DialogValues::ColourChannel(SystemText(colour_[channel]->GetValue()));
    const wxString shown = wxString::Format("%ld", long(value));
    if (colour_[channel]->GetValue() != shown)
        colour_[channel]->ChangeValue(shown);
    float rgb[3] = {0, 0, 0};
    light_->GetColor(&rgb[0], &rgb[1], &rgb[2]);
    // The edit shows the channel truncated: leaving it unchanged keeps the
    // light's own value.
    if (long(rgb[channel] * 255.0f) == value)
        return;
    rgb[channel] = float(value) / 255.0f;
    light_->SetColor(rgb[0], rgb[1], rgb[2]);
    MarkLevelModified();
    DrawView();
}
