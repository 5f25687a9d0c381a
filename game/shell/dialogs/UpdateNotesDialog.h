#pragma once

#include "game/shell/dialogs/UpdateDialog.h"

// "Vornhal Release Notes": the notes of the newer versions, read-only.
class UpdateNotesDialog : public UpdateDialog {
public:
    explicit UpdateNotesDialog(const char16_t* notes) : notes_(notes) {}
    // Modal, over the update question.
    void Show();

private:
    const char16_t* notes_; // borrowed
};
