#pragma once

#include "editor/script/Script.h"

#include <wx/event.h>
#include <wx/timer.h>

#include <string>
#include <vector>

class CMainFrame;
class SelectionPage;
class wxWindow;

// Plays a script against the running editor, one line per turn of the
// event loop so that the windows draw between them: menu commands, tool
// and palette picks, mouse and keys in the view, and the answers the next
// dialogs, boxes and file choosers take. Commands:
//   menu File/Open...        command 32804
//   pick Floors grass        rename Objects barrel "old barrel"
//   drop Objects barrel      clipboard Count 3 | clipboard "Angle jitter" 0
//   clipboard spin Count 1|-1   clipboard key barrel Delete|Return
//   move X Y  press X Y  release X Y  click X Y  rpress X Y  rrelease X Y
//   drag X0 Y0 X1 Y1 [steps]            minimap X Y [X1 Y1]
//   key NAME [in WINDOW]  keydown NAME  keyup NAME   (X key names: b, Delete, Control_L)
//   context Properties|Clone|Delete
//   dialog TITLE name=value... press=BUTTON shot=FILE
//   answer Yes|No|Cancel|Ok   file PATH (or "" to cancel)
//   wait-draw   shot FILE   where WINDOW (waits for it)   tab TITLE (a palette tab)   print TEXT
//   status N (prints the status bar's pane N)
//   expect tool N | modified 0|1 | title TEXT | checked|enabled MENU/ENTRY 0|1 | drawn
//   exit   stay
class ScriptRunner : public wxEvtHandler {
public:
    ScriptRunner(CMainFrame* frame, std::vector<ScriptLine> lines);
    ~ScriptRunner() override;

    void Start();

private:
    void OnTick(wxTimerEvent& e);
    // False: the line failed (the run ends).
    bool Run(const ScriptLine& line);
    // Each command's line, by its first word.
    struct Handler {
        const char* name;
        bool (ScriptRunner::*run)(const ScriptLine& line);
    };
    static const Handler kHandlers[];
    bool DoMenu(const ScriptLine& line);
    bool DoCommand(const ScriptLine& line);
    long PageItem(const ScriptLine& line, SelectionPage** page);
    bool DoPick(const ScriptLine& line);
    bool DoDrop(const ScriptLine& line);
    bool DoRename(const ScriptLine& line);
    bool DoClipboard(const ScriptLine& line);
    bool DoMouse(const ScriptLine& line);
    bool DoDrag(const ScriptLine& line);
    bool DoMinimap(const ScriptLine& line);
    bool DoKey(const ScriptLine& line);
    bool DoKeyDownOrUp(const ScriptLine& line);
    bool DoContext(const ScriptLine& line);
    bool DoDialog(const ScriptLine& line);
    bool DoAnswer(const ScriptLine& line);
    bool DoFile(const ScriptLine& line);
    bool DoWaitDraw(const ScriptLine& line);
    bool DoShot(const ScriptLine& line);
    bool DoWhere(const ScriptLine& line);
    bool DoItems(const ScriptLine& line);
    bool DoTab(const ScriptLine& line);
    bool DoStatus(const ScriptLine& line);
    bool DoPrint(const ScriptLine& line);
    bool DoExpect(const ScriptLine& line);
    bool ExpectMenuEntry(const ScriptLine& line);
    bool ExpectValue(const ScriptLine& line);
    bool DoExit(const ScriptLine& line);
    bool DoStay(const ScriptLine& line);
    bool Mouse(const std::string& what, int x, int y);
    bool Key(const std::string& name, bool down, bool up, wxWindow* focus);
    void Stop(bool failed);

    CMainFrame* frame_;
    std::vector<ScriptLine> lines_;
    size_t next_ = 0;
    wxTimer timer_;
    bool busy_ = false;
    long waitDraws_ = -1;
    // The line runs again at the next turn (it waits on the view).
    bool again_ = false;
    int settleTicks_ = 0;
    int absentTicks_ = 0;
    // The view's draws when the last line and the one before it began.
    long drawsAtLine_ = 0, drawsBefore_ = 0;
    bool ctrl_ = false, shift_ = false, alt_ = false;
    long keyTime_ = 0;
};
