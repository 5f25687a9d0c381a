#pragma once

#include "editor/CEditorDoc.h"

#include <wx/aui/framemanager.h>
#include <wx/filehistory.h>
#include <wx/frame.h>
#include <wx/timer.h>

#include <memory>
#include <string>

class SideBar;
class wxAuiToolBar;
class wxFileConfig;
class wxKeyEvent;

// The editor's main window: menus, toolbar, status bar, the docking side
// bar "Tools" and the level view, around the open level document.
class CMainFrame : public wxFrame {
public:
    explicit CMainFrame(wxFileConfig* config);
    ~CMainFrame() override;

    // Starts the engine, the game and the editing interface on the view and
    // makes the Clipboard window. False when any of it failed (said why).
    bool Start();

    CEditorDoc& GetDocument() { return document_; }
    // A command as the menus, the toolbar and the context menus send it.
    void RunCommand(int id);
    // A level file opened as File > Open does once the path is chosen.
    bool OpenLevel(const std::u16string& path);
    // The key filter of the whole program, for a key while focus has the
    // keyboard (-1: on to the toolkit as usual, 1: kept from it).
    int FilterKey(wxKeyEvent& e, wxWindow* focus);
    // Ctrl or Shift let go where the editor does not hear it (a system
    // message box) is let go in the level once an event shows it up.
    void ReleaseLostModifiers(bool ctrlDown, bool shiftDown);
    // The menu entry with this label path ("Tools/Block Brush"), wxID_NONE
    // when there is none.
    int FindCommand(const wxString& path) const;
    void UpdateTitle();
    unsigned long GetXWindowOfView() const;
    // The docked side bar made at least this wide; narrower by hand later.
    void WidenSideBar(int width);

private:
    void BuildMenus();
    void BuildToolbar();
    void BuildStatusBar();
    // False when the view is not shown and realised in good time.
    bool WaitForViewShown();
    void OnCommand(wxCommandEvent& e);
    void OnUpdateUi(wxUpdateUIEvent& e);
    void OnRecentFile(wxCommandEvent& e);
    void OnClose(wxCloseEvent& e);
    void OnLockTimer(wxTimerEvent& e);

    // The document commands.
    bool SaveModified();
    bool Save();
    bool SaveAs();
    void NewLevel();
    void Open();
    bool ShowMapProperties();
    void ShowLevelProperties();

    wxAuiManager aui_;
    wxAuiToolBar* toolbar_ = nullptr;
    SideBar* sideBar_ = nullptr;
    wxFileConfig* config_;
    wxFileHistory history_{4};
    wxMenu* recentMenu_ = nullptr;
    wxTimer lockTimer_;
    CEditorDoc document_;
    bool shutDown_ = false;
    int menusOpen_ = 0;
    bool levelCtrl_ = false, levelShift_ = false; // as last sent to the level
    struct LastKey {
        int type = 0;
        unsigned raw = 0;
        long time = -1;
    } lastKey_;
};
