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
    auto* slider =
        new wxSlider(parent, wxID_ANY, std::clamp(value, low, high), low, high, wxDefaultPosition, wxSize(220, -1));
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

// A colour edit that lost the focus: its text clamped to a channel value
// and shown so, which becomes the channel of target (a light or a light
// area) with the other two kept. The edit shows the channel truncated:
// leaving it unchanged keeps target's own value.
template <typename Target> void ApplyColourEdit(wxTextCtrl* edit, int channel, Target* target)
{
    const int value = DialogValues::ColourChannel(SystemText(edit->GetValue()));
    const wxString shown = wxString::Format("%ld", long(value));
    if (edit->GetValue() != shown)
        edit->ChangeValue(shown);
    float rgb[3] = {0, 0, 0};
    target->GetColor(&rgb[0], &rgb[1], &rgb[2]);
    if (long(rgb[channel] * 255.0f) == value)
        return;
    rgb[channel] = float(value) / 255.0f;
    target->SetColor(rgb[0], rgb[1], rgb[2]);
    MarkLevelModified();
    DrawView();
}

// The R, G and B edits of target's colour, each applied as it is left.
template <typename Target> wxSizer* AddColourEdits(wxWindow* parent, Target* target, wxTextCtrl* edits[3])
{
    auto* row = new wxBoxSizer(wxHORIZONTAL);
    float rgb[3] = {0, 0, 0};
    target->GetColor(&rgb[0], &rgb[1], &rgb[2]);
    for (int c = 0; c < 3; ++c) {
        wxTextCtrl* edit = AddColourEdit(parent, row, c, long(rgb[c] * 255.0f));
        edits[c] = edit;
        edit->Bind(wxEVT_KILL_FOCUS, [edit, c, target](wxFocusEvent& e) {
            ApplyColourEdit(edit, c, target);
            e.Skip();
        });
    }
    return row;
}

// OK takes what the edits show, also from an edit that still has the
// keyboard (Return) or whose leaving the toolkit never reported.
template <typename Target> void ApplyColourEdits(wxTextCtrl* const edits[3], Target* target)
{
    for (int c = 0; c < 3; ++c)
        ApplyColourEdit(edits[c], c, target);
}

} // namespace

LightAreaDialog::LightAreaDialog(wxWindow* parent, ILightBox* box)
    : EditorDialog(parent, "Light Area Properties"), box_(box)
{
    auto* grid = new wxFlexGridSizer(2, 4, 6);
    grid->AddGrowableCol(1);
    light_ = AddSlider(this, grid, "Light:", int(box_->GetBrightness() * 300.0f), 0, 300);
    wxSizer* colours = AddColourEdits(this, box_, colour_);
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

bool LightAreaDialog::AcceptOk()
{
    ApplyColourEdits(colour_, box_);
    return true;
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
    wxSizer* colours = AddColourEdits(this, light_, colour_);
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

bool LightDialog::AcceptOk()
{
    ApplyColourEdits(colour_, light_);
    return true;
}
