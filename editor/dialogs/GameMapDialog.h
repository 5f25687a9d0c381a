#pragma once

#include "editor/dialogs/EditorDialog.h"

class IEditorUI;
class wxGLCanvas;

// The game-map picture every level stores: shown, rendered anew from the
// level, exported to and imported from a PNG file.
class GameMapDialog : public EditorDialog {
public:
    GameMapDialog(wxWindow* parent, IEditorUI* ui);

private:
    void OnEnding() override;
    void Export();
    void Import();

    IEditorUI* ui_;
    wxGLCanvas* picture_;
    bool released_ = false;
};
