#pragma once

#include <wx/glcanvas.h>
#include <wx/timer.h>

// The minimap: the editing interface draws the level's picture and the
// view's frame into it; a press or a drag moves the view there.
class MiniMapWindow : public wxGLCanvas {
public:
    explicit MiniMapWindow(wxWindow* parent);
    ~MiniMapWindow() override;

    unsigned long GetWindowHandle() const { return GetXWindow(); }
    // The timer's tick, also run at once when the level was replaced.
    void Tick();
    void OnLeftDown(wxMouseEvent& e);
    void OnMotion(wxMouseEvent& e);
    void OnLeftUp(wxMouseEvent& e);

private:
    void OnPaint(wxPaintEvent& e);
    void OnTimer(wxTimerEvent& e);
    void MoveViewTo(int x, int y, bool press);

    wxTimer timer_;
    bool dragging_ = false;
};
