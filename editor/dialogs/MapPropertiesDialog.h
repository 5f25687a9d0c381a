#pragma once

#include "editor/dialogs/DialogValues.h"
#include "editor/dialogs/EditorDialog.h"

class IEditorUI;
class wxCheckBox;
class wxChoice;
class wxTextCtrl;

// "Map Properties": the level's name, game mode, block compression and
// size, with the used area placed by the alignment. On OK the level takes
// the values; a size the blocks do not fit asks first.
class MapPropertiesDialog : public EditorDialog {
public:
    MapPropertiesDialog(wxWindow* parent, IEditorUI* ui);
    // Runs the dialog and, on OK, changes the level; true when it did.
    bool RunAndApply();

private:
    bool AcceptOk() override;
    void Realign();
    void CalculateSize();
    int Number(wxTextCtrl* field) const;

    IEditorUI* ui_;
    DialogValues::Area used_;
    wxTextCtrl* width_;
    wxTextCtrl* height_;
    wxTextCtrl* left_;
    wxTextCtrl* top_;
    wxChoice* alignment_;
    wxTextCtrl* name_;
    wxChoice* mode_;
    wxTextCtrl* validation_;
    wxCheckBox* compress_;
};
