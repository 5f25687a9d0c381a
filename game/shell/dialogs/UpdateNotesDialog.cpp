#include "game/shell/dialogs/UpdateNotesDialog.h"

#include "platform/ui/wx/Dialogs.h"

void UpdateNotesDialog::Show()
{
    Ui::ShowReleaseNotes(notes_ ? notes_ : u"");
    EndDialog(kCancel);
}
