#include "editor/dialogs/EnvironmentDialog.h"

#include "editor/SystemText.h"
#include "editor/dialogs/DialogValues.h"
#include "engine/audio/IAudio.h"
#include "engine/audio/IAudioBuffer.h"
#include "engine/audio/IAudioSource.h"

#include <wx/button.h>
#include <wx/choice.h>
#include <wx/sizer.h>
#include <wx/slider.h>
#include <wx/stattext.h>
#include <wx/textctrl.h>

#include <cstdint>

EnvironmentDialog::EnvironmentDialog(wxWindow* parent, IAudio* audio)
    : EditorDialog(parent, "Environment Properties"), audio_(audio), environment_(audio->CreateEnvironment()),
      parameters_(DialogValues::DefaultEnvironment())
{
    presets_ = new wxChoice(this, wxID_ANY, wxDefaultPosition, wxSize(200, -1));
    presets_->SetName("Environment");
    for (int i = 0;; ++i) {
        const char16_t* name = audio_->GetEnvironmentPresetName(i);
        if (!name || !*name)
            break;
        presets_->Append(Ui::ToWx(name), reinterpret_cast<void*>(intptr_t(i)));
    }
    sizeSlider_ = new wxSlider(this, wxID_ANY, 75, 10, 1000, wxDefaultPosition, wxSize(200, -1));
    sizeSlider_->SetName("Environment size");
    sizeEdit_ = new wxTextCtrl(this, wxID_ANY, "", wxDefaultPosition, wxSize(70, -1));
    sizeEdit_->SetName("Size");
    auto* grid = new wxFlexGridSizer(2, 4, 6);
    grid->Add(new wxStaticText(this, wxID_ANY, "Environment:"), 0, wxALIGN_CENTER_VERTICAL);
    grid->Add(presets_);
    grid->Add(new wxStaticText(this, wxID_ANY, "Environment size:"), 0, wxALIGN_CENTER_VERTICAL);
    auto* sizeRow = new wxBoxSizer(wxHORIZONTAL);
    sizeRow->Add(sizeEdit_, 0, wxRIGHT, 4);
    sizeRow->Add(sizeSlider_);
    grid->Add(sizeRow);
    auto* buttons = new wxBoxSizer(wxHORIZONTAL);
    auto* test = new wxButton(this, wxID_ANY, "Test");
    auto* defaults = new wxButton(this, wxID_ANY, "Defaults");
    buttons->Add(test, 0, wxRIGHT, 4);
    buttons->Add(defaults, 0, wxRIGHT, 16);
    buttons->Add(new wxButton(this, wxID_OK, "OK"), 0, wxRIGHT, 4);
    buttons->Add(new wxButton(this, wxID_CANCEL, "Cancel"));
    auto* top = new wxBoxSizer(wxVERTICAL);
    top->Add(grid, 0, wxALL, 8);
    top->Add(buttons, 0, wxALL | wxALIGN_RIGHT, 8);
    SetSizerAndFit(top);
    CentreOnParent();

    presets_->Bind(wxEVT_CHOICE, [this](wxCommandEvent&) {
        const int sel = presets_->GetSelection();
        if (sel == wxNOT_FOUND)
            return;
        parameters_.environment = int(reinterpret_cast<intptr_t>(presets_->GetClientData(unsigned(sel))));
        Apply();
    });
    sizeSlider_->Bind(wxEVT_SLIDER, [this](wxCommandEvent&) {
        parameters_.environmentSize = float(sizeSlider_->GetValue()) / 10.0f;
        Apply();
    });
    // Typed sizes wait for the next change to be applied.
    sizeEdit_->Bind(wxEVT_KILL_FOCUS, [this](wxFocusEvent& e) {
        parameters_.environmentSize = DialogValues::EnvironmentSizeOf(SystemText(sizeEdit_->GetValue()));
        e.Skip();
    });
    test->Bind(wxEVT_BUTTON, [this](wxCommandEvent&) { Test(); });
    defaults->Bind(wxEVT_BUTTON, [this](wxCommandEvent&) { Defaults(); });
    Defaults();
}

EnvironmentDialog::~EnvironmentDialog() { Release(); }

void EnvironmentDialog::Defaults()
{
    parameters_ = DialogValues::DefaultEnvironment();
    if (presets_->GetCount() > 0)
        presets_->SetSelection(0);
    Apply();
}

void EnvironmentDialog::Apply()
{
    parameters_.environmentSize = DialogValues::ClampEnvironmentSize(parameters_.environmentSize);
    sizeEdit_->ChangeValue(wxString::FromCDouble(parameters_.environmentSize, 2));
    sizeSlider_->SetValue(int(parameters_.environmentSize * 10.0f));
    if (!environment_)
        return;
    environment_->SetParameters(&parameters_);
    audio_->SetEnvironment(nullptr);
    audio_->SetEnvironment(environment_.get());
}

void EnvironmentDialog::Test()
{
    if (!testSound_) {
        testSound_ = audio_->LoadSound(u"sfx/weapons/explosive1.ogg");
        if (testSound_) {
            testSource_.reset(testSound_->CreateSource());
            if (testSource_)
                testSource_->SetPosition(0.0f, 0.0f);
        }
    }
    if (!testSource_)
        return;
    audio_->SetEnvironment(nullptr);
    audio_->SetEnvironment(environment_.get());
    audio_->SetListenerPosition(0.0f, 0.0f);
    testSource_->SetVolume(10.0f);
    testSource_->Play(true, true);
}

void EnvironmentDialog::OnEnding() { Release(); }

void EnvironmentDialog::Release()
{
    if (testSource_)
        testSource_->Stop();
    testSource_.reset();
    // The audio must not hold the environment past the dialog.
    if (environment_)
        audio_->SetEnvironment(nullptr);
    environment_.reset();
}
