#pragma once

#include "editor/dialogs/EditorDialog.h"

// "About Editor".
class AboutDialog : public EditorDialog {
public:
    explicit AboutDialog(wxWindow* parent);
};
