#include "editor/CEditorView.h"

#include "editor/CMainFrame.h"
#include "editor/Commands.h"
#include "editor/EditorProgram.h"
#include "game/shell/editor/IEditorUI.h"
#include "platform/ui/wx/Dialogs.h"

#include <wx/dcclient.h>
#include <wx/menu.h>

#include <algorithm>
#include <cstdio>

namespace {

IEditorUI* EditUi() { return Program().ui; }

} // namespace

// The view as the editing interface drives it.
class CEditorView::Callbacks_ : public IEditorView {
public:
    explicit Callbacks_(CEditorView* view) : view_(view) {}

    unsigned long GetWindowHandle() override { return view_->GetWindowHandle(); }
    void CaptureMouse() override
    {
        if (!view_->HasCapture())
            view_->wxWindow::CaptureMouse();
    }
    void ReleaseMouse() override
    {
        if (view_->HasCapture())
            view_->wxWindow::ReleaseMouse();
    }
    void ShowCursor(bool show) override
    {
        view_->cursorHidden_ = !show;
        view_->SetCursor(show ? view_->cursor_ : wxCursor(wxCURSOR_BLANK));
    }
    void SetCursorPosition(int x, int y) override { view_->WarpPointer(x, y); }
    void SetCursorShape(int shape) override
    {
        if (shape != 0 && shape != 1)
            return;
        view_->cursor_ = wxCursor(shape == 1 ? wxCURSOR_HAND : wxCURSOR_ARROW);
        if (!view_->cursorHidden_)
            view_->SetCursor(view_->cursor_);
    }
    void ShowCoordinates(int tileX, int tileY) override
    {
        if (CMainFrame* frame = Program().frame)
            frame->SetStatusText(wxString::Format("X: %d, Y: %d", tileX, tileY), 4);
    }
    void ShowLightAreaMenu(int x, int y) override
    {
        if (EditUi() && EditUi()->GetLightBoxAtCursor())
            view_->PopupContextMenu(142, x, y);
    }
    void ShowObjectMenu(int x, int y) override { view_->PopupContextMenu(143, x, y); }

private:
    CEditorView* view_;
};

wxGLAttributes CEditorView::RendererAttributes()
{
    wxGLAttributes a;
    // The lighting passes blend with destination alpha.
    a.PlatformDefaults().RGBA().MinRGBA(8, 8, 8, 8).DoubleBuffer().Depth(16).EndList();
    return a;
}

CEditorView::CEditorView(wxWindow* parent)
    : wxGLCanvas(parent, RendererAttributes(), wxID_ANY, wxDefaultPosition, wxSize(640, 480), wxWANTS_CHARS),
      callbacks_(new Callbacks_(this)), timer_(this), cursor_(wxCURSOR_ARROW)
{
    SetName("LevelView");
    SetBackgroundStyle(wxBG_STYLE_PAINT);
    Bind(wxEVT_PAINT, &CEditorView::OnPaint, this);
    Bind(wxEVT_SIZE, &CEditorView::OnSize, this);
    Bind(wxEVT_TIMER, &CEditorView::OnTimer, this);
    Bind(wxEVT_MOTION, &CEditorView::OnMotion, this);
    Bind(wxEVT_LEFT_DOWN, &CEditorView::OnLeftDown, this);
    Bind(wxEVT_LEFT_DCLICK, &CEditorView::OnLeftDown, this);
    Bind(wxEVT_LEFT_UP, &CEditorView::OnLeftUp, this);
    Bind(wxEVT_RIGHT_DOWN, &CEditorView::OnRightDown, this);
    Bind(wxEVT_RIGHT_DCLICK, &CEditorView::OnRightDown, this);
    Bind(wxEVT_RIGHT_UP, &CEditorView::OnRightUp, this);
    Bind(wxEVT_MOUSE_CAPTURE_LOST, &CEditorView::OnCaptureLost, this);
    Program().view = this;
}

CEditorView::~CEditorView()
{
    timer_.Stop();
    if (HasCapture())
        wxWindow::ReleaseMouse();
    if (Program().view == this)
        Program().view = nullptr;
}

unsigned long CEditorView::GetWindowHandle() const { return GetXWindow(); }

void CEditorView::Draw()
{
    if (!EditUi())
        return;
    EditUi()->Draw(GetWindowHandle());
    ++draws_;
}

void CEditorView::StartTimerOnce()
{
    if (!timer_.IsRunning() && EditUi())
        timer_.Start(20);
}

void CEditorView::OnPaint(wxPaintEvent&)
{
    wxPaintDC dc(this);
    StartTimerOnce();
    Draw();
}

void CEditorView::OnSize(wxSizeEvent& e)
{
    const wxSize size = GetClientSize();
    if (EditUi())
        EditUi()->SetViewSize(size.x, size.y);
    e.Skip();
}

void CEditorView::OnTimer(wxTimerEvent&)
{
    IEditorUI* ui = EditUi();
    if (!ui)
        return;
    const bool update = ui->Update();
    if (update || ui->NeedsRedraw())
        Draw();
}

void CEditorView::OnCaptureLost(wxMouseCaptureLostEvent&) {}

void CEditorView::OnMotion(wxMouseEvent& e)
{
    IEditorUI* ui = EditUi();
    if (!ui)
        return;
    int x = e.GetX(), y = e.GetY();
    if (ui->IsInputAttached()) {
        // The engine reads the mouse itself: keep the pointer in the view.
        callbacks_->CaptureMouse();
        callbacks_->ShowCursor(false);
        const wxSize size = GetClientSize();
        const int cx = std::clamp(x, 0, std::max(0, size.x - 1)), cy = std::clamp(y, 0, std::max(0, size.y - 1));
        if (cx != x || cy != y) {
            callbacks_->SetCursorPosition(cx, cy);
            x = cx;
            y = cy;
        }
        ui->MouseMove(callbacks_.get(), float(x), float(y));
        return;
    }
    Answered(ui->MouseMove(callbacks_.get(), float(x), float(y)));
}

void CEditorView::Answered(bool redraw)
{
    NoteLevelEdits();
    if (redraw)
        Draw();
}

void CEditorView::OnLeftDown(wxMouseEvent& e)
{
    SetFocus();
    if (CMainFrame* frame = Program().frame)
        frame->ReleaseLostModifiers(e.ControlDown(), e.ShiftDown());
    IEditorUI* ui = EditUi();
    if (ui && !ui->IsInputAttached())
        Answered(ui->LeftButtonDown(callbacks_.get(), float(e.GetX()), float(e.GetY())));
}

void CEditorView::OnLeftUp(wxMouseEvent& e)
{
    IEditorUI* ui = EditUi();
    if (ui && !ui->IsInputAttached())
        Answered(ui->LeftButtonUp(callbacks_.get(), float(e.GetX()), float(e.GetY())));
}

void CEditorView::OnRightDown(wxMouseEvent& e)
{
    SetFocus();
    if (CMainFrame* frame = Program().frame)
        frame->ReleaseLostModifiers(e.ControlDown(), e.ShiftDown());
    IEditorUI* ui = EditUi();
    if (ui && !ui->IsInputAttached())
        Answered(ui->RightButtonDown(callbacks_.get(), float(e.GetX()), float(e.GetY())));
}

void CEditorView::OnRightUp(wxMouseEvent& e)
{
    IEditorUI* ui = EditUi();
    if (ui && !ui->IsInputAttached())
        Answered(ui->RightButtonUp(callbacks_.get(), float(e.GetX()), float(e.GetY())));
}

void CEditorView::PopupContextMenu(int which, int x, int y)
{
    // A run without a person to pick an entry only says that it came; the
    // script picks the entry as a command of its own.
    if (Ui::DialogsScripted()) {
        std::printf("view: %s menu at %d %d\n", which == 142 ? "light area" : "object", x, y);
        std::fflush(stdout);
        return;
    }
    // Shown once the editing interface has returned: the entries call it again.
    CallAfter([this, which, x, y] {
        wxMenu menu;
        menu.Append(Command::Properties, "&Properties");
        if (which == 143)
            menu.Append(Command::Clone, "&Clone");
        menu.Append(Command::Delete, "&Delete");
        PopupMenu(&menu, x, y);
    });
}
