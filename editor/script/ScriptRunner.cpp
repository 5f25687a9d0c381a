#include "editor/script/ScriptRunner.h"

#include "editor/CEditorView.h"
#include "editor/CMainFrame.h"
#include "editor/Commands.h"
#include "editor/EditorProgram.h"
#include "editor/panels/ClipboardWindow.h"
#include "editor/panels/EditorListener.h"
#include "editor/panels/EditorTab.h"
#include "editor/panels/MiniMapWindow.h"
#include "editor/panels/SelectionPage.h"
#include "editor/script/Answers.h"
#include "editor/script/Screenshot.h"
#include "engine/core/Random.h"
#include "game/shell/editor/IEditorUI.h"
#include "platform/os/OsText.h"
#include "platform/ui/wx/WxText.h"

#include <wx/app.h>
#include <wx/menu.h>
#include <wx/notebook.h>
#include <wx/statusbr.h>

#include <X11/Xlib.h>
#include <X11/keysym.h>

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstdlib>

namespace {

int Number(const std::string& word) { return std::atoi(word.c_str()); }

SelectionPage* PageNamed(const std::string& title)
{
    EditorSelectionPage* page = TheEditorListener().FindPage(Util::FromOs(title));
    return page ? page->GetPage() : nullptr;
}

wxWindow* WindowNamed(const std::string& name)
{
    for (wxWindow* top : wxTopLevelWindows)
        if (wxWindow* w = wxWindow::FindWindowByName(wxString::FromUTF8(name), top))
            return w;
    return nullptr;
}

} // namespace

ScriptRunner::ScriptRunner(CMainFrame* frame, std::vector<ScriptLine> lines)
    : frame_(frame), lines_(std::move(lines)), timer_(this)
{
    Bind(wxEVT_TIMER, &ScriptRunner::OnTick, this);
}

ScriptRunner::~ScriptRunner() { timer_.Stop(); }

void ScriptRunner::Start()
{
    // Painted floors take random variants: a script paints the same ones
    // every run.
    Util::SeedRandom(1);
    timer_.Start(5);
}

void ScriptRunner::Stop(bool failed)
{
    timer_.Stop();
    if (!failed)
        return;
    // A failed run ends without asking anything.
    if (CMainFrame* frame = Program().frame) {
        frame->GetDocument().SetModified(false);
        frame->Close(true);
    }
}

void ScriptRunner::OnTick(wxTimerEvent&)
{
    // A dialog that plays its steps turns the event loop itself.
    if (busy_ || !Program().frame)
        return;
    if (waitDraws_ >= 0) {
        if (!Program().view || Program().view->GetDrawCount() <= waitDraws_)
            return;
        waitDraws_ = -1;
    }
    if (next_ >= lines_.size()) {
        Answers::Fail("the script ended without exit or stay");
        Stop(true);
        return;
    }
    drawsBefore_ = drawsAtLine_;
    drawsAtLine_ = Program().view ? Program().view->GetDrawCount() : 0;
    const ScriptLine& line = lines_[next_++];
    std::printf("script: %s\n", line.text.c_str());
    std::fflush(stdout);
    busy_ = true;
    const bool ok = Run(line) && !Answers::HasFailed();
    busy_ = false;
    if (again_) {
        again_ = false;
        --next_;
    }
    if (!ok) {
        if (!Answers::HasFailed())
            Answers::Fail("line " + std::to_string(line.number) + " failed: " + line.text);
        Stop(true);
    }
}

namespace {

// The clipboard window's number fields by the names a script gives them.
bool ClipboardFieldNamed(const std::string& name, ClipboardModel::Field* field)
{
    const char* const fields[] = {"Scatter", "Count", "Range"};
    for (int f = 0; f < ClipboardModel::kFields; ++f)
        if (name == fields[f]) {
            *field = ClipboardModel::Field(f);
            return true;
        }
    return false;
}

void PrintNow(const std::string& text)
{
    std::printf("%s\n", text.c_str());
    std::fflush(stdout);
}

} // namespace

const ScriptRunner::Handler ScriptRunner::kHandlers[] = {
    {"menu", &ScriptRunner::DoMenu},         {"command", &ScriptRunner::DoCommand},
    {"pick", &ScriptRunner::DoPick},         {"drop", &ScriptRunner::DoDrop},
    {"rename", &ScriptRunner::DoRename},     {"clipboard", &ScriptRunner::DoClipboard},
    {"move", &ScriptRunner::DoMouse},        {"press", &ScriptRunner::DoMouse},
    {"release", &ScriptRunner::DoMouse},     {"click", &ScriptRunner::DoMouse},
    {"rpress", &ScriptRunner::DoMouse},      {"rrelease", &ScriptRunner::DoMouse},
    {"drag", &ScriptRunner::DoDrag},         {"minimap", &ScriptRunner::DoMinimap},
    {"key", &ScriptRunner::DoKey},           {"keydown", &ScriptRunner::DoKeyDownOrUp},
    {"keyup", &ScriptRunner::DoKeyDownOrUp}, {"context", &ScriptRunner::DoContext},
    {"dialog", &ScriptRunner::DoDialog},     {"answer", &ScriptRunner::DoAnswer},
    {"file", &ScriptRunner::DoFile},         {"wait-draw", &ScriptRunner::DoWaitDraw},
    {"shot", &ScriptRunner::DoShot},         {"where", &ScriptRunner::DoWhere},
    {"tab", &ScriptRunner::DoTab},           {"status", &ScriptRunner::DoStatus},
    {"items", &ScriptRunner::DoItems},       {"print", &ScriptRunner::DoPrint},
    {"expect", &ScriptRunner::DoExpect},     {"exit", &ScriptRunner::DoExit},
    {"stay", &ScriptRunner::DoStay},
};

bool ScriptRunner::Run(const ScriptLine& line)
{
    for (const Handler& h : kHandlers)
        if (line.words[0] == h.name)
            return (this->*h.run)(line);
    return false;
}

bool ScriptRunner::DoMenu(const ScriptLine& line)
{
    const std::vector<std::string>& w = line.words;
    if (w.size() != 2)
        return false;
    const int id = frame_->FindCommand(wxString::FromUTF8(w[1]));
    if (id == wxID_NONE)
        return false;
    wxCommandEvent e(wxEVT_MENU, id);
    e.SetEventObject(frame_);
    frame_->GetEventHandler()->ProcessEvent(e);
    return true;
}

bool ScriptRunner::DoCommand(const ScriptLine& line)
{
    if (line.words.size() != 2)
        return false;
    wxCommandEvent e(wxEVT_MENU, Number(line.words[1]) - Command::kBase);
    frame_->GetEventHandler()->ProcessEvent(e);
    return true;
}

// The palette page and item a pick, drop or rename names (item -1 for none).
long ScriptRunner::PageItem(const ScriptLine& line, SelectionPage** page)
{
    const std::vector<std::string>& w = line.words;
    *page = w.size() >= 3 ? PageNamed(w[1]) : nullptr;
    return *page ? (*page)->FindItem(wxString::FromUTF8(w[2])) : -1;
}

bool ScriptRunner::DoPick(const ScriptLine& line)
{
    SelectionPage* page = nullptr;
    const long item = PageItem(line, &page);
    return item >= 0 && page->PickItem(item);
}

bool ScriptRunner::DoDrop(const ScriptLine& line)
{
    SelectionPage* page = nullptr;
    const long item = PageItem(line, &page);
    if (item < 0 || !Program().clipboard)
        return false;
    Program().clipboard->AddResource(page->GetResource(item));
    return true;
}

bool ScriptRunner::DoRename(const ScriptLine& line)
{
    SelectionPage* page = nullptr;
    const long item = PageItem(line, &page);
    if (item < 0 || line.words.size() != 4)
        return false;
    const bool taken = page->Rename(item, wxString::FromUTF8(line.words[3]));
    std::printf("rename: %s\n", taken ? "taken" : "refused");
    return true;
}

bool ScriptRunner::DoClipboard(const ScriptLine& line)
{
    const std::vector<std::string>& w = line.words;
    ClipboardWindow* clipboard = Program().clipboard;
    ClipboardModel::Field field;
    if (!clipboard)
        return false;
    if (w.size() == 4 && w[1] == "key") {
        const int code = w[3] == "Delete" ? WXK_DELETE : w[3] == "Return" ? WXK_RETURN : 0;
        return code && clipboard->KeyOnItem(wxString::FromUTF8(w[2]), code);
    }
    if (w.size() == 4 && w[1] == "spin") {
        if (!ClipboardFieldNamed(w[2], &field))
            return false;
        clipboard->PressSpin(field, Number(w[3]) > 0 ? 1 : -1);
        return true;
    }
    if (w.size() != 3)
        return false;
    if (w[1] == "Angle jitter") {
        clipboard->SetAngleJitter(w[2] == "1");
        return true;
    }
    if (!ClipboardFieldNamed(w[1], &field))
        return false;
    clipboard->TypeField(field, wxString::FromUTF8(w[2]));
    return true;
}

bool ScriptRunner::DoMouse(const ScriptLine& line)
{
    const std::vector<std::string>& w = line.words;
    return w.size() == 3 && Mouse(w[0], Number(w[1]), Number(w[2]));
}

bool ScriptRunner::DoDrag(const ScriptLine& line)
{
    const std::vector<std::string>& w = line.words;
    const size_t n = w.size();
    if (n != 5 && n != 6)
        return false;
    const int x0 = Number(w[1]), y0 = Number(w[2]), x1 = Number(w[3]), y1 = Number(w[4]);
    const int steps = n == 6 ? std::max(1, Number(w[5])) : 8;
    Mouse("move", x0, y0);
    Mouse("press", x0, y0);
    for (int i = 1; i <= steps; ++i)
        Mouse("move", x0 + (x1 - x0) * i / steps, y0 + (y1 - y0) * i / steps);
    return Mouse("release", x1, y1);
}

bool ScriptRunner::DoMinimap(const ScriptLine& line)
{
    const std::vector<std::string>& w = line.words;
    const size_t n = w.size();
    EditorTab* tab = Program().tab;
    if ((n != 3 && n != 5) || !tab)
        return false;
    // A click, or a drag to the second point.
    wxMouseEvent press(wxEVT_LEFT_DOWN), motion(wxEVT_MOTION), release(wxEVT_LEFT_UP);
    press.m_x = Number(w[1]);
    press.m_y = Number(w[2]);
    motion.m_x = release.m_x = Number(w[n - 2]);
    motion.m_y = release.m_y = Number(w[n - 1]);
    tab->GetMiniMap()->OnLeftDown(press);
    tab->GetMiniMap()->OnMotion(motion);
    tab->GetMiniMap()->OnLeftUp(release);
    tab->GetMiniMap()->OnMotion(press);
    return true;
}

bool ScriptRunner::DoKey(const ScriptLine& line)
{
    const std::vector<std::string>& w = line.words;
    const size_t n = w.size();
    if (n != 2 && !(n == 4 && w[2] == "in"))
        return false;
    wxWindow* focus = n == 4 ? WindowNamed(w[3]) : Program().view;
    return focus && Key(w[1], true, true, focus);
}

bool ScriptRunner::DoKeyDownOrUp(const ScriptLine& line)
{
    const std::vector<std::string>& w = line.words;
    return w.size() == 2 && Key(w[1], w[0] == "keydown", w[0] == "keyup", Program().view);
}

bool ScriptRunner::DoContext(const ScriptLine& line)
{
    const std::vector<std::string>& w = line.words;
    if (w.size() != 2)
        return false;
    const int id = w[1] == "Properties" ? Command::Properties
                   : w[1] == "Clone"    ? Command::Clone
                   : w[1] == "Delete"   ? Command::Delete
                                        : 0;
    if (!id)
        return false;
    frame_->RunCommand(id);
    return true;
}

bool ScriptRunner::DoDialog(const ScriptLine& line)
{
    const std::vector<std::string>& w = line.words;
    if (w.size() < 2)
        return false;
    std::vector<Answers::DialogStep> steps;
    for (size_t i = 2; i < w.size(); ++i) {
        const size_t eq = w[i].find('=');
        if (eq == std::string::npos)
            return false;
        steps.push_back({w[i].substr(0, eq), w[i].substr(eq + 1)});
    }
    Answers::QueueDialog(w[1], steps);
    return true;
}

bool ScriptRunner::DoAnswer(const ScriptLine& line)
{
    if (line.words.size() != 2)
        return false;
    Answers::QueueMessageAnswer(line.words[1]);
    return true;
}

bool ScriptRunner::DoFile(const ScriptLine& line)
{
    if (line.words.size() != 2)
        return false;
    Answers::QueueFile(line.words[1]);
    return true;
}

bool ScriptRunner::DoWaitDraw(const ScriptLine& line)
{
    CEditorView* view = Program().view;
    if (line.words.size() != 1 || !view)
        return false;
    waitDraws_ = view->GetDrawCount();
    view->Refresh(false);
    return true;
}

bool ScriptRunner::DoShot(const ScriptLine& line)
{
    const std::vector<std::string>& w = line.words;
    const size_t n = w.size();
    EditorProgram& p = Program();
    if (n != 2 && n != 3)
        return false;
    // A draw the 20 ms pace put off is made first: the picture shows
    // what the last line did to the view.
    if (p.view && p.ui) {
        p.view->Draw();
        if (p.ui->Update()) {
            again_ = true;
            return true;
        }
    }
    // The main window, or the top-level window of that title.
    wxWindow* window = frame_;
    if (n == 3) {
        window = nullptr;
        for (wxWindow* top : wxTopLevelWindows)
            if (top->GetLabel() == wxString::FromUTF8(w[2]))
                window = top;
    }
    return window && SaveWindowPicture(window, w[1]);
}

bool ScriptRunner::DoWhere(const ScriptLine& line)
{
    const std::vector<std::string>& w = line.words;
    if (w.size() != 2)
        return false;
    // Where the window is once the toolkit laid the windows out: not
    // while its events, layout among them, wait.
    if (wxTheApp && wxTheApp->Pending() && settleTicks_++ < 400) {
        again_ = true;
        return true;
    }
    settleTicks_ = 0;
    wxWindow* window = WindowNamed(w[1]);
    // A window that a person's input is still to open (a dialog picked
    // from a context menu) is waited for.
    if (!window || !window->IsShownOnScreen()) {
        again_ = absentTicks_++ < 4000;
        return again_;
    }
    absentTicks_ = 0;
    const wxRect r = window->GetScreenRect();
    std::printf("where %s %d %d %d %d\n", w[1].c_str(), r.x, r.y, r.width, r.height);
    std::fflush(stdout);
    return true;
}

// Where each item of a palette page is on the screen: its picture as
// "<page>/<item>", its label as "<page>/<item>/label".
bool ScriptRunner::DoItems(const ScriptLine& line)
{
    SelectionPage* page = line.words.size() == 2 ? PageNamed(line.words[1]) : nullptr;
    if (!page)
        return false;
    const std::string& title = line.words[1];
    PaletteList* list = page->GetList();
    for (int i = 0; i < list->GetCount(); ++i) {
        const wxRect p = list->PictureRect(i), l = list->LabelRect(i);
        const wxPoint pa = list->ClientToScreen(p.GetPosition()), la = list->ClientToScreen(l.GetPosition());
        std::printf("where %s/%d %d %d %d %d\n", title.c_str(), i, pa.x, pa.y, p.width, p.height);
        std::printf("where %s/%d/label %d %d %d %d\n", title.c_str(), i, la.x, la.y, l.width, l.height);
    }
    std::fflush(stdout);
    return true;
}

bool ScriptRunner::DoTab(const ScriptLine& line)
{
    const std::vector<std::string>& w = line.words;
    if (w.size() != 2 || !Program().tab)
        return false;
    // Where the toolkit finds the tab of that title along the middle of
    // the tab row: a tab scrolled out of sight is found nowhere.
    wxNotebook* book = Program().tab->GetNotebook();
    int page = 0;
    while (page < int(book->GetPageCount()) && book->GetPageText(size_t(page)) != wxString::FromUTF8(w[1]))
        ++page;
    const int rowHeight = page < int(book->GetPageCount())
                              ? book->GetPage(size_t(page))->GetScreenPosition().y - book->GetScreenPosition().y
                              : 0;
    int from = -1, to = -1;
    for (int x = 0; x < book->GetClientSize().x; ++x)
        if (rowHeight > 0 && book->HitTest(wxPoint(x, rowHeight / 2)) == page)
            to = x, from = from < 0 ? x : from;
    if (from < 0)
        return false;
    const wxPoint at = book->ClientToScreen(wxPoint(from, 0));
    std::printf("where %s tab %d %d %d %d\n", w[1].c_str(), at.x, at.y, to - from + 1, rowHeight);
    std::fflush(stdout);
    return true;
}

bool ScriptRunner::DoStatus(const ScriptLine& line)
{
    wxStatusBar* bar = frame_->GetStatusBar();
    if (line.words.size() != 2 || !bar)
        return false;
    const int pane = Number(line.words[1]);
    if (pane < 0 || pane >= bar->GetFieldsCount())
        return false;
    std::printf("status %d: %s\n", pane, bar->GetStatusText(pane).utf8_string().c_str());
    std::fflush(stdout);
    return true;
}

bool ScriptRunner::DoPrint(const ScriptLine& line)
{
    PrintNow(line.text.substr(line.text.find("print") + 6));
    return true;
}

bool ScriptRunner::DoExpect(const ScriptLine& line)
{
    const std::vector<std::string>& w = line.words;
    if (w.size() == 4 && (w[1] == "checked" || w[1] == "enabled"))
        return ExpectMenuEntry(line);
    if (w.size() == 2 && w[1] == "drawn") {
        // The line before drew the view (or asked the 20 ms pace for it).
        if (drawsAtLine_ > drawsBefore_)
            return true;
        Answers::Fail("line " + std::to_string(line.number) + ": the view was not drawn");
        return false;
    }
    return w.size() == 3 && ExpectValue(line);
}

bool ScriptRunner::ExpectMenuEntry(const ScriptLine& line)
{
    const std::vector<std::string>& w = line.words;
    // As the menu shows the entry when it opens.
    wxMenuItem* item = frame_->GetMenuBar()->FindItem(frame_->FindCommand(wxString::FromUTF8(w[2])));
    if (!item || !item->GetMenu())
        return false;
    item->GetMenu()->UpdateUI(frame_);
    const bool on = w[1] == "checked" ? item->IsChecked() : item->IsEnabled();
    if (on != (w[3] == "1"))
        Answers::Fail("line " + std::to_string(line.number) + ": " + w[2] + " is not " + w[1] + " " + w[3]);
    return on == (w[3] == "1");
}

bool ScriptRunner::ExpectValue(const ScriptLine& line)
{
    const std::vector<std::string>& w = line.words;
    const EditorProgram& p = Program();
    std::string actual;
    if (w[1] == "tool")
        actual = std::to_string(p.ui ? p.ui->GetTool() : -1);
    else if (w[1] == "modified")
        actual = frame_->GetDocument().IsModified() ? "1" : "0";
    else if (w[1] == "title")
        actual = frame_->GetTitle().utf8_string();
    else
        return false;
    if (actual != w[2])
        Answers::Fail("line " + std::to_string(line.number) + ": " + w[1] + " is " + actual + ", not " + w[2]);
    return actual == w[2];
}

bool ScriptRunner::DoExit(const ScriptLine& line)
{
    if (line.words.size() != 1)
        return false;
    Stop(false);
    // A close the answers kept open ends the run here.
    if (!frame_->Close()) {
        Answers::Fail("the editor did not close");
        return false;
    }
    return true;
}

bool ScriptRunner::DoStay(const ScriptLine& line)
{
    if (line.words.size() != 1)
        return false;
    Stop(false);
    PrintNow("script: staying");
    return true;
}

bool ScriptRunner::Mouse(const std::string& what, int x, int y)
{
    CEditorView* view = Program().view;
    if (!view)
        return false;
    const bool click = what == "click";
    wxEventType type = wxEVT_LEFT_UP;
    if (what == "move")
        type = wxEVT_MOTION;
    else if (what == "press" || click)
        type = wxEVT_LEFT_DOWN;
    else if (what == "rpress")
        type = wxEVT_RIGHT_DOWN;
    else if (what == "rrelease")
        type = wxEVT_RIGHT_UP;
    for (int pass = 0; pass < (click ? 2 : 1); ++pass) {
        wxMouseEvent e(pass == 1 ? wxEventType(wxEVT_LEFT_UP) : type);
        e.m_x = x;
        e.m_y = y;
        // The keys the script holds, as a pointer event carries them.
        e.SetControlDown(ctrl_);
        e.SetShiftDown(shift_);
        e.SetAltDown(alt_);
        e.SetEventObject(view);
        view->GetEventHandler()->ProcessEvent(e);
    }
    return true;
}

bool ScriptRunner::Key(const std::string& name, bool down, bool up, wxWindow* focus)
{
    const KeySym sym = XStringToKeysym(name.c_str());
    if (sym == NoSymbol || !Program().frame)
        return false;
    for (int pass = 0; pass < 2; ++pass) {
        const bool isDown = pass == 0;
        if ((isDown && !down) || (!isDown && !up))
            continue;
        wxKeyEvent e(isDown ? wxEVT_KEY_DOWN : wxEVT_KEY_UP);
        e.m_rawCode = wxUint32(sym);
        e.m_keyCode = sym < 0x80 ? long(std::toupper(int(sym))) : 0;
        e.SetControlDown(ctrl_);
        e.SetShiftDown(shift_);
        e.SetAltDown(alt_);
        e.SetEventObject(focus);
        e.SetTimestamp(++keyTime_);
        frame_->FilterKey(e, focus);
        const bool on = isDown;
        if (sym == XK_Control_L || sym == XK_Control_R)
            ctrl_ = on;
        else if (sym == XK_Shift_L || sym == XK_Shift_R)
            shift_ = on;
        else if (sym == XK_Alt_L || sym == XK_Alt_R)
            alt_ = on;
    }
    return true;
}
