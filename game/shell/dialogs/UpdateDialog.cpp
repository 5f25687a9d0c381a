#include "game/shell/dialogs/UpdateDialog.h"

void UpdateDialog::OnCommand(int id)
{
    if (id == kOk)
        OnOK();
    else if (id == kCancel)
        OnCancel();
}
