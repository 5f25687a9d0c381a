#pragma once

#include "editor/panels/ClipboardModel.h"

#include <wx/dialog.h>
#include <wx/imaglist.h>

class IResource;
class wxCheckBox;
class wxListCtrl;
class wxListEvent;
class wxSpinButton;
class wxSpinEvent;
class wxTextCtrl;

// The floating "Clipboard": the resources the scatter brush places, dropped
// here from the palettes, and its settings. Cancel and Escape hide it.
class ClipboardWindow : public wxDialog {
public:
    explicit ClipboardWindow(wxWindow* parent);
    ~ClipboardWindow() override;

    void ToggleShown();
    // A drop: nothing when the resource is held already.
    void AddResource(IResource* resource);
    // The Delete key on the selected item.
    void RemoveSelected();
    // Sets the edit of that field as typing does.
    void TypeField(ClipboardModel::Field field, const wxString& text);
    void SetAngleJitter(bool on);
    // As a person's input reaches the controls: the field's spin button
    // pressed up (1) or down (-1); the item of that label selected and
    // given the key (false when there is no such item).
    void PressSpin(ClipboardModel::Field field, int direction);
    bool KeyOnItem(const wxString& label, int keyCode);
    // Sends the settings to the scatter brush.
    void SendSettings();
    wxListCtrl* GetList() { return list_; }
    // The window or one of its controls has the focus.
    bool HasFocusInside() const;

private:
    void OnSize(wxSizeEvent& e);
    void OnSpin(wxSpinEvent& e);
    void OnText(wxCommandEvent& e);
    void OnFieldLeft(wxFocusEvent& e);
    void OnListKey(wxListEvent& e);
    void OnSelected(wxListEvent& e);
    void OnActivated(wxListEvent& e);
    void OnCancel(wxCommandEvent& e);
    void OnClose(wxCloseEvent& e);
    IResource* ResourceAt(long item) const;
    ClipboardModel::Field FieldOf(wxObject* control) const;

    ClipboardModel model_;
    wxListCtrl* list_;
    wxImageList images_;
    wxTextCtrl* edits_[ClipboardModel::kFields];
    wxSpinButton* spins_[ClipboardModel::kFields];
    wxCheckBox* jitter_;
    int fieldsHeight_ = 0;
    bool enterPressed_ = false;
    bool initialised_ = false;
};
