#pragma once

#include "game/shell/dialogs/UpdateDialog.h"
#include "platform/ui/wx/Dialogs.h"

#include <cstdint>

class IEngine;

// "Update Vornhal": whether to update now, with the release notes at hand.
class NewVersionDialog : public UpdateDialog, public Ui::UpdateQuestionHandler {
public:
    explicit NewVersionDialog(const char16_t* notes) : notes_(notes) {}
    ~NewVersionDialog() override;

    // Loads "gfx/update1.png" and asks; kOk for Yes, kCancel for No.
    int Show(IEngine* engine);

    void OnCommand(int id) override;
    void OnReleaseNotesPressed() override { OnCommand(kReleaseNotes); }

private:
    const char16_t* notes_; // borrowed
    int width_ = 0;
    int height_ = 0;
    uint32_t* pixels_ = nullptr;
};
