#include "game/shell/dialogs/NewVersionDialog.h"

#include "engine/core/IEngine.h"
#include "game/shell/dialogs/UpdateNotesDialog.h"

NewVersionDialog::~NewVersionDialog() { delete[] pixels_; }

int NewVersionDialog::Show(IEngine* engine)
{
    if (engine && !pixels_ && !engine->LoadImagePixels(u"gfx/update1.png", &width_, &height_, &pixels_))
        width_ = height_ = 0;
    Ui::Picture picture;
    picture.width = width_;
    picture.height = height_;
    picture.pixels = pixels_;
    EndDialog(Ui::AskUpdate(picture, this) ? kOk : kCancel);
    return endCode;
}

void NewVersionDialog::OnCommand(int id)
{
    if (id == kReleaseNotes) {
        UpdateNotesDialog notes(notes_);
        notes.Show();
        return;
    }
    UpdateDialog::OnCommand(id);
}
