#include "editor/CMainFrame.h"

#include "editor/CEditorView.h"
#include "editor/Commands.h"
#include "editor/EditorProgram.h"
#include "editor/FileChooser.h"
#include "editor/KeyRouting.h"
#include "editor/ToolbarArt.h"
#include "editor/panels/ClipboardWindow.h"
#include "editor/panels/EditorTab.h"
#include "engine/core/IEngine.h"
#include "engine/render/IRenderer.h"
#include "game/shell/client/IGame.h"
#include "game/shell/editor/EditorKeys.h"
#include "game/shell/editor/IEditorUI.h"
#include "platform/ui/Ui.h"
#include "platform/ui/wx/WxText.h"

#include <wx/app.h>
#include <wx/aui/auibar.h>
#include <wx/aui/floatpane.h>
#include <wx/fileconf.h>
#include <wx/menu.h>
#include <wx/statusbr.h>
#include <wx/textentry.h>
#include <wx/utils.h>

#include <algorithm>
#include <chrono>

namespace {

struct Tool {
    int id;
    const char* label;
    const char* tip; // status text, then the tooltip
    int image;       // in the toolbar strip
};

// The Tools menu in its order; the toolbar shows them in the strip's.
const Tool kTools[] = {
    {Command::BlockBrush, "&Block Brush\tB", "Draw blocks to map\nBlock Brush (B)", 3},
    {Command::FillTool, "&Fill Tool\tF", "Flood fill blocks\nFill Tool (F)", 4},
    {Command::LightTool, "&Light Tool\tL", "Add lights to level\nLight Tool (L)", 5},
    {Command::LightAreaTool, "Light &Area Tool\tA", "Add lighted rectangle\nLight Area Tool (A)", 6},
    {Command::ObjectTool, "&Object Tool\tO", "Add objects to level\nObject Tool (O)", 7},
    {Command::ScatterBrush, "Object &Scatter Brush\tS", "Add random objects to level\nObject Scatter Brush (S)", 9},
    {Command::MoveTool, "&Move Tool\tV", "Move objects\nMove Tool (V)", 8},
    {Command::PanTool, "&Pan Tool\tP", "Pan view\nPan Tool (P)", 10},
};

// Letters the Tools menu shows without being accelerators: the editing
// interface reads them as keys of the level.
bool IsShownShortcut(unsigned key, bool ctrl, bool alt)
{
    if (alt)
        return false;
    if (ctrl)
        return key == EditorKeys::Letter('B');
    for (char c : {'B', 'F', 'L', 'A', 'O', 'S', 'V', 'P'})
        if (key == EditorKeys::Letter(c))
            return true;
    return false;
}

KeyRouting::Focus FocusOf(wxWindow* focus, wxFrame* frame)
{
    using KeyRouting::Focus;
    if (!focus)
        return Focus::OtherWindow;
    if (dynamic_cast<wxTextEntry*>(focus))
        return Focus::TextField;
    for (wxWindow* w = focus; w; w = w->GetParent())
        if (w == Program().clipboard)
            return Focus::Clipboard;
    if (focus == Program().view)
        return Focus::View;
    // The side bar floated off the frame is still the frame's.
    wxWindow* top = wxGetTopLevelParent(focus);
    return top == frame || dynamic_cast<wxAuiFloatingFrame*>(top) ? Focus::FrameControl : Focus::OtherWindow;
}

constexpr int kSideBarWidth = 232;
constexpr int kSideBarMin = 32;

} // namespace

void CMainFrame::WidenSideBar(int width)
{
    wxAuiPaneInfo& pane = aui_.GetPane(sideBar_);
    if (!pane.IsOk() || sideBar_->GetSize().x >= width)
        return;
    // The dock takes the width its pane's least size asks; the dock keeps
    // it once the least size is given back.
    pane.BestSize(width, pane.best_size.y).MinSize(width, kSideBarMin);
    aui_.Update();
    pane.MinSize(kSideBarMin, kSideBarMin);
    aui_.Update();
}

CMainFrame::CMainFrame(wxFileConfig* config)
    : wxFrame(nullptr, wxID_ANY, "Untitled - Editor", wxDefaultPosition, wxSize(1024, 768)), config_(config),
      lockTimer_(this)
{
    Program().frame = this;
    aui_.SetManagedWindow(this);
    BuildMenus();
    BuildToolbar();
    BuildStatusBar();
    sideBar_ = new SideBar(this);
    aui_.AddPane(sideBar_, wxAuiPaneInfo()
                               .Name("Tools")
                               .Caption("Tools")
                               .Left()
                               .LeftDockable()
                               .RightDockable()
                               .TopDockable(false)
                               .BottomDockable(false)
                               .Floatable()
                               .CloseButton(false)
                               .BestSize(kSideBarWidth, 600)
                               .MinSize(kSideBarMin, kSideBarMin));
    auto* view = new CEditorView(this);
    aui_.AddPane(view, wxAuiPaneInfo().Name("View").CenterPane());
    aui_.Update();
    Bind(wxEVT_MENU, &CMainFrame::OnCommand, this);
    Bind(wxEVT_UPDATE_UI, &CMainFrame::OnUpdateUi, this);
    Bind(wxEVT_MENU, &CMainFrame::OnRecentFile, this, wxID_FILE1, wxID_FILE9);
    Bind(wxEVT_CLOSE_WINDOW, &CMainFrame::OnClose, this);
    // A level file dropped on the window is opened.
    DragAcceptFiles(true);
    Bind(wxEVT_DROP_FILES, [this](wxDropFilesEvent& e) {
        if (e.GetNumberOfFiles() > 0 && Program().ui && SaveModified())
            OpenLevel(FileChooser::FromWxPath(e.GetFiles()[0]));
    });
    Bind(wxEVT_TIMER, &CMainFrame::OnLockTimer, this);
    Bind(wxEVT_MENU_OPEN, [this](wxMenuEvent& e) {
        ++menusOpen_;
        e.Skip();
    });
    Bind(wxEVT_MENU_CLOSE, [this](wxMenuEvent& e) {
        menusOpen_ = std::max(0, menusOpen_ - 1);
        e.Skip();
    });
    lockTimer_.Start(250);
}

CMainFrame::~CMainFrame()
{
    lockTimer_.Stop();
    history_.Save(*config_);
    aui_.UnInit();
    if (Program().frame == this)
        Program().frame = nullptr;
}

void CMainFrame::BuildMenus()
{
    auto* file = new wxMenu;
    file->Append(wxID_NEW, "&New\tCtrl+N");
    file->Append(wxID_OPEN, "&Open...\tCtrl+O");
    file->Append(wxID_SAVE, "&Save\tCtrl+S");
    file->Append(wxID_SAVEAS, "Save &As...");
    file->AppendSeparator();
    recentMenu_ = new wxMenu;
    file->AppendSubMenu(recentMenu_, "Recent File");
    file->AppendSeparator();
    file->Append(wxID_EXIT, "E&xit");
    history_.UseMenu(recentMenu_);
    history_.Load(*config_);

    auto* view = new wxMenu;
    view->AppendCheckItem(Command::ToggleToolbar, "&Toolbar");
    view->AppendCheckItem(Command::ToggleStatusBar, "&Status Bar");
    view->AppendCheckItem(Command::ToggleClipboard, "&Clipboard\tCtrl+B");
    auto* lighting = new wxMenu;
    lighting->AppendCheckItem(Command::LightingNoon, "Noon");
    lighting->AppendCheckItem(Command::LightingEvening, "Evening");
    lighting->AppendCheckItem(Command::LightingNight, "Night");
    view->AppendSubMenu(lighting, "Lighting");

    auto* tools = new wxMenu;
    for (const Tool& t : kTools)
        tools->AppendCheckItem(t.id, t.label, wxString(t.tip).BeforeFirst('\n'));

    auto* map = new wxMenu;
    map->Append(Command::MapProperties, "&Properties\tCtrl+P");
    map->Append(Command::GameMap, "Game Map");
    map->AppendSeparator();
    map->Append(Command::PlayOnServer, "Play on &server");
    map->Append(Command::PlayOnClient, "Play on &client");
    map->Append(Command::PlayStandalone, "Play Stand&alone");
    map->Append(Command::Release, "&Release");
    map->AppendSeparator();
    map->Append(Command::MakePackage, "&Make Package");

    auto* help = new wxMenu;
    help->Append(wxID_ABOUT, "&About Editor...");
    help->Append(Command::Manual, "Manual\tF1");

    auto* bar = new wxMenuBar;
    bar->Append(file, "&File");
    bar->Append(view, "&View");
    bar->Append(tools, "&Tools");
    bar->Append(map, "&Map");
    bar->Append(help, "&Help");
    SetMenuBar(bar);
}

void CMainFrame::BuildToolbar()
{
    IFileManager* files = GetEngine() ? GetEngine()->GetFileManager() : nullptr;
    const std::vector<wxBitmap> normal = LoadToolbarStrip(files, u"gfx/editor/toolbar.png");
    const std::vector<wxBitmap> hot = LoadToolbarStrip(files, u"gfx/editor/toolbar_hot.png");
    auto image = [&](const std::vector<wxBitmap>& strip, int i) {
        return strip.empty() ? wxBitmap(16, 16) : strip[size_t(i)];
    };
    toolbar_ =
        new wxAuiToolBar(this, wxID_ANY, wxDefaultPosition, wxDefaultSize, wxAUI_TB_DEFAULT_STYLE | wxAUI_TB_GRIPPER);
    toolbar_->SetName("Toolbar");
    struct Button {
        int id;
        int image;
        const char* tip;
    };
    const Button documents[] = {{wxID_NEW, 0, "Create a new document\nNew"},
                                {wxID_OPEN, 1, "Open an existing document\nOpen"},
                                {wxID_SAVE, 2, "Save the active document\nSave"}};
    auto add = [&](int id, int i, const char* tip, wxItemKind kind) {
        const wxString text(tip);
        wxAuiToolBarItem* item = toolbar_->AddTool(id, wxEmptyString, image(normal, i), wxNullBitmap, kind,
                                                   text.AfterFirst('\n'), text.BeforeFirst('\n'), nullptr);
        if (item && !hot.empty())
            item->SetHoverBitmap(image(hot, i));
    };
    for (const Button& b : documents)
        add(b.id, b.image, b.tip, wxITEM_NORMAL);
    // The strip's order after the document buttons, in groups.
    const int order[] = {
        Command::BlockBrush, Command::FillTool,     0, Command::LightTool, Command::LightAreaTool, Command::ObjectTool,
        Command::MoveTool,   Command::ScatterBrush, 0, Command::PanTool};
    toolbar_->AddSeparator();
    for (int id : order) {
        if (!id) {
            toolbar_->AddSeparator();
            continue;
        }
        for (const Tool& t : kTools)
            if (t.id == id)
                add(t.id, t.image, t.tip, wxITEM_CHECK);
    }
    toolbar_->Realize();
    aui_.AddPane(toolbar_, wxAuiPaneInfo().Name("Toolbar").ToolbarPane().Top().Gripper().CloseButton(false));
}

void CMainFrame::BuildStatusBar()
{
    CreateStatusBar(5)->SetName("StatusBar");
    const int widths[] = {-1, 40, 40, 40, 120};
    GetStatusBar()->SetStatusWidths(5, widths);
}

bool CMainFrame::Start()
{
    Show();
    const bool viewShown = WaitForViewShown();
    if (!StartEditorInterfaces())
        return false;
    EditorProgram& p = Program();
    const unsigned long window = p.view->GetWindowHandle();
    if (!viewShown || !p.renderer->InitForWindow(1024, 768, window)) {
        Ui::ShowMessage(u"Error!", u"Failed to initialize renderer", Ui::Icon::Error);
        return false;
    }
    p.game->Init(p.engine);
    p.game->SetRenderer(p.renderer);
    p.ui->Start(window);
    const wxSize size = p.view->GetClientSize();
    p.ui->SetViewSize(size.x, size.y);
    auto* clipboard = new ClipboardWindow(this);
    clipboard->Move(GetPosition().x + 250, GetPosition().y);
    clipboard->Hide();
    p.view->Refresh(false);
    return true;
}

bool CMainFrame::WaitForViewShown()
{
    // A context is made on the view's window once it is on the display; a
    // window manager maps the frame only when it has taken it, which may be
    // long after Show() returned.
    using Clock = std::chrono::steady_clock;
    const Clock::time_point until = Clock::now() + std::chrono::seconds(30);
    auto shown = [this] { return GetXWindowOfView() && Program().view->IsShownOnScreen(); };
    while (!shown()) {
        if (Clock::now() > until)
            return false;
        wxTheApp->Yield(true);
        wxMilliSleep(5);
    }
    return true;
}

unsigned long CMainFrame::GetXWindowOfView() const { return Program().view ? Program().view->GetWindowHandle() : 0; }

void CMainFrame::UpdateTitle() { SetTitle(Ui::ToWx(document_.GetTitle()) + " - Editor"); }

int CMainFrame::FindCommand(const wxString& path) const
{
    const wxString menu = path.BeforeFirst('/'), entry = path.AfterFirst('/');
    const wxMenuBar* bar = GetMenuBar();
    for (size_t m = 0; bar && m < bar->GetMenuCount(); ++m) {
        if (wxStripMenuCodes(bar->GetMenuLabel(m)) != menu)
            continue;
        wxString rest = entry;
        wxMenu* current = bar->GetMenu(m);
        while (current) {
            const wxString head = rest.BeforeFirst('/');
            rest = rest.AfterFirst('/');
            wxMenu* next = nullptr;
            for (wxMenuItem* item : current->GetMenuItems()) {
                if (item->IsSeparator() || wxStripMenuCodes(item->GetItemLabelText()) != head)
                    continue;
                if (rest.empty())
                    return item->GetId();
                next = item->GetSubMenu();
                break;
            }
            current = next;
        }
    }
    return wxID_NONE;
}

int CMainFrame::FilterKey(wxKeyEvent& e, wxWindow* focus)
{
    EditorProgram& p = Program();
    if (!p.ui || !p.view || shutDown_)
        return -1;
    // A list passes its keys on to its own parent window: one key, one
    // route.
    const LastKey now{e.GetEventType(), e.GetRawKeyCode(), e.GetTimestamp()};
    if (now.type == lastKey_.type && now.raw == lastKey_.raw && now.time == lastKey_.time)
        return -1;
    lastKey_ = now;
    const bool down = e.GetEventType() == wxEVT_KEY_DOWN;
    const unsigned key = EditorKeyFromKeysym(e.GetRawKeyCode());
    KeyRouting::Key k;
    k.down = down;
    k.code = key;
    k.ctrlHeld = e.ControlDown();
    k.forMenu = menusOpen_ > 0 || (e.AltDown() && key != EditorKeys::Alt && key != EditorKeys::Shift);
    k.shownShortcut = IsShownShortcut(key, e.ControlDown(), e.AltDown());
    const KeyRouting::Route route = KeyRouting::Decide(k, p.ui->IsInputAttached(), FocusOf(focus, this));
    ReleaseLostModifiers(e.ControlDown() || key == EditorKeys::Ctrl, e.ShiftDown() || key == EditorKeys::Shift);
    if (route.toggleClipboard && p.clipboard)
        p.clipboard->ToggleShown();
    if (route.toLevel) {
        IEditorView* view = p.view->Callbacks();
        if (key == EditorKeys::Ctrl)
            levelCtrl_ = down;
        else if (key == EditorKeys::Shift)
            levelShift_ = down;
        const bool redraw = down ? p.ui->KeyDown(view, key) : p.ui->KeyUp(view, key);
        NoteLevelEdits();
        if (redraw)
            DrawView();
    }
    return route.swallow ? 1 : -1;
}

void CMainFrame::ReleaseLostModifiers(bool ctrlDown, bool shiftDown)
{
    EditorProgram& p = Program();
    if (!p.ui || !p.view || shutDown_ || p.ui->IsInputAttached())
        return;
    bool redraw = false;
    if (levelCtrl_ && !ctrlDown) {
        levelCtrl_ = false;
        redraw = p.ui->KeyUp(p.view->Callbacks(), EditorKeys::Ctrl);
    }
    if (levelShift_ && !shiftDown) {
        levelShift_ = false;
        redraw = p.ui->KeyUp(p.view->Callbacks(), EditorKeys::Shift) || redraw;
    }
    NoteLevelEdits();
    if (redraw)
        DrawView();
}

void CMainFrame::OnClose(wxCloseEvent& e)
{
    if (e.CanVeto() && !SaveModified()) {
        e.Veto();
        return;
    }
    // The editing interface, and with it the game and the engine, goes
    // before the windows it draws into.
    if (!shutDown_) {
        shutDown_ = true;
        EditorProgram& p = Program();
        if (p.ui)
            p.ui->Shutdown();
        p.ui = nullptr;
        p.renderer = nullptr;
    }
    Destroy();
}

void CMainFrame::OnLockTimer(wxTimerEvent&)
{
    if (!GetStatusBar())
        return;
    const std::pair<wxKeyCode, const char*> locks[] = {
        {WXK_CAPITAL, "CAP"}, {WXK_NUMLOCK, "NUM"}, {WXK_SCROLL, "SCRL"}};
    for (int i = 0; i < 3; ++i) {
        const wxString text = wxGetKeyState(locks[i].first) ? locks[i].second : "";
        if (GetStatusBar()->GetStatusText(i + 1) != text)
            SetStatusText(text, i + 1);
    }
}
