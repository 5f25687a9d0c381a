#pragma once

#include "editor/dialogs/EditorDialog.h"
#include "engine/audio/IAudioEnvironment.h"

#include <memory>

class IAudio;
class IAudioBuffer;
class IAudioSource;
class wxChoice;
class wxSlider;
class wxTextCtrl;

// "Environment Properties": the reverb preset and size of the sound
// environment, with a test sound. The audio holds the dialog's environment
// only while the dialog is open.
class EnvironmentDialog : public EditorDialog {
public:
    EnvironmentDialog(wxWindow* parent, IAudio* audio);
    ~EnvironmentDialog() override;

private:
    void OnEnding() override;
    void Defaults();
    void Apply();
    void Test();
    void Release();

    IAudio* audio_;
    std::unique_ptr<IAudioEnvironment> environment_;
    AudioEnvironmentParameters parameters_;
    IAudioBuffer* testSound_ = nullptr;
    std::unique_ptr<IAudioSource> testSource_;
    wxChoice* presets_;
    wxSlider* sizeSlider_;
    wxTextCtrl* sizeEdit_;
};
