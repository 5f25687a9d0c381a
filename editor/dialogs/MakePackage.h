#pragma once

#include "editor/dialogs/EditorDialog.h"

class IFileManager;
class wxTextCtrl;

// "Make Package": lists the game's data files it begins a package with and
// writes that package, with the typed version, where the level designer
// says.
class MakePackage : public EditorDialog {
public:
    MakePackage(wxWindow* parent, IFileManager* files);

private:
    bool AcceptOk() override;

    IFileManager* files_;
    wxTextCtrl* list_;
    wxTextCtrl* version_;
};
