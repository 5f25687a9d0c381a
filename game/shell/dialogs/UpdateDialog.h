#pragma once

// What the update dialogs share: the buttons every one of them has and
// the result of its work.
class UpdateDialog {
public:
    // Control ids of the buttons.
    enum : int { kOk = 1, kCancel = 2, kReleaseNotes = 1006 };

    UpdateDialog() = default;
    virtual ~UpdateDialog() {}
    UpdateDialog(const UpdateDialog&) = delete;
    UpdateDialog& operator=(const UpdateDialog&) = delete;

    // The dialog's work once it is up; the base has none.
    virtual void Run() {}
    virtual void OnInitDialog() {}
    // OK and Cancel; the others are the dialog's own.
    virtual void OnCommand(int id);
    virtual void OnOK() { EndDialog(kOk); }
    virtual void OnCancel() { EndDialog(kCancel); }

    void EndDialog(int code) { endCode = code; }

    // True only once the dialog's work is done: a failure never looks like
    // a success.
    bool result = false;
    // How the dialog ended, 0 while it is open.
    int endCode = 0;
};
