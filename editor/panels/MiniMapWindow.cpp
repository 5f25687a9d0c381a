#include "editor/panels/MiniMapWindow.h"

#include "editor/CEditorView.h"
#include "editor/EditorProgram.h"
#include "game/shell/editor/IEditorUI.h"

#include <wx/dcclient.h>

#include <algorithm>

namespace {

constexpr int kSide = 200;

} // namespace

MiniMapWindow::MiniMapWindow(wxWindow* parent)
    : wxGLCanvas(parent, CEditorView::RendererAttributes(), wxID_ANY, wxDefaultPosition, wxSize(kSide, kSide)),
      timer_(this)
{
    SetName("MiniMap");
    SetBackgroundStyle(wxBG_STYLE_PAINT);
    Bind(wxEVT_PAINT, &MiniMapWindow::OnPaint, this);
    Bind(wxEVT_TIMER, &MiniMapWindow::OnTimer, this);
    Bind(wxEVT_LEFT_DOWN, &MiniMapWindow::OnLeftDown, this);
    Bind(wxEVT_MOTION, &MiniMapWindow::OnMotion, this);
    Bind(wxEVT_LEFT_UP, &MiniMapWindow::OnLeftUp, this);
    timer_.Start(100);
}

MiniMapWindow::~MiniMapWindow() { timer_.Stop(); }

void MiniMapWindow::OnPaint(wxPaintEvent&)
{
    wxPaintDC dc(this);
    IEditorUI* ui = Program().ui;
    if (!ui)
        return;
    const wxSize size = GetClientSize();
    ui->DrawMiniMap(GetWindowHandle(), std::min(size.x, kSide), std::min(size.y, kSide));
}

void MiniMapWindow::OnTimer(wxTimerEvent&) { Tick(); }

void MiniMapWindow::Tick()
{
    IEditorUI* ui = Program().ui;
    if (ui && IsShownOnScreen() && ui->MiniMapTick(GetWindowHandle()))
        Refresh(false);
}

void MiniMapWindow::MoveViewTo(int x, int y, bool press)
{
    IEditorUI* ui = Program().ui;
    if (!ui)
        return;
    ui->CenterViewOnMiniMap(x, y);
    if (press && ui->MiniMapChanged())
        ui->RenderMiniMap(GetWindowHandle());
    Refresh(false);
    DrawView();
}

void MiniMapWindow::OnLeftDown(wxMouseEvent& e)
{
    dragging_ = true;
    MoveViewTo(e.GetX(), e.GetY(), true);
}

void MiniMapWindow::OnMotion(wxMouseEvent& e)
{
    if (dragging_)
        MoveViewTo(e.GetX(), e.GetY(), false);
}

void MiniMapWindow::OnLeftUp(wxMouseEvent&) { dragging_ = false; }
