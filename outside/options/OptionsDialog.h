#pragma once

#include "outside/options/OptionSettings.h"

#include <wx/dialog.h>

#include <string>
#include <vector>

class IGame;
class wxKeyEvent;
class wxMouseEvent;
class wxCommandEvent;

// The settings on four pages, and the three answers: "Start game" ends the
// dialog with wxID_OK, "Save and quit" with kSaveAndQuit, "Cancel" and
// Escape with wxID_CANCEL.
class OptionsDialog : public wxDialog {
public:
    static constexpr int kSaveAndQuit = wxID_HIGHEST + 1;

    explicit OptionsDialog(IGame* game);
    // Writes what the player changed; untouched settings keep their exact
    // values.
    void Apply();

private:
    struct Field {
        const Options::Setting* setting;
        wxWindow* control;
        std::u16string initial;
        int key; // Key fields: the code shown
    };

    wxWindow* MakeControl(wxWindow* parent, const Options::Setting& setting, const std::u16string& value);
    std::u16string ValueOf(const Field& field) const;
    void ShowKey(Field& field, int code);
    void OnKeyButton(wxCommandEvent& event);
    void OnKeyMouse(wxMouseEvent& event);
    void OnCharHook(wxKeyEvent& event);
    Field* FieldOf(wxObject* control);

    IGame* game_;
    std::vector<Field> fields_;
    Field* capturing_ = nullptr;
};
