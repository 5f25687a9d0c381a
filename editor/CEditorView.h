#pragma once

#include "game/shell/editor/IEditorView.h"

#include <wx/glcanvas.h>
#include <wx/timer.h>

#include <memory>

// The level view: a window the engine's renderer draws into (its X11 id is
// the window handle of the editing interface), forwarding the mouse to
// IEditorUI and drawing at the editor's 20 ms pace.
class CEditorView : public wxGLCanvas {
public:
    explicit CEditorView(wxWindow* parent);
    ~CEditorView() override;

    unsigned long GetWindowHandle() const;
    IEditorView* Callbacks() { return callbacks_.get(); }
    // Draws made by this view so far (a scripted run waits on them).
    long GetDrawCount() const { return draws_; }
    void Draw();

    // The mouse handlers as a person's input reaches them; scripted runs
    // call them with events they make.
    void OnMotion(wxMouseEvent& e);
    void OnLeftDown(wxMouseEvent& e);
    void OnLeftUp(wxMouseEvent& e);
    void OnRightDown(wxMouseEvent& e);
    void OnRightUp(wxMouseEvent& e);

    // The attributes a window needs for the engine's contexts.
    static wxGLAttributes RendererAttributes();

private:
    class Callbacks_;
    friend class Callbacks_;

    void OnPaint(wxPaintEvent& e);
    void OnSize(wxSizeEvent& e);
    void OnTimer(wxTimerEvent& e);
    void OnCaptureLost(wxMouseCaptureLostEvent& e);
    void StartTimerOnce();
    // After an input call: the level marked modified when it changed, the
    // view drawn when the call asked.
    void Answered(bool redraw);
    void PopupContextMenu(int which, int x, int y);

    std::unique_ptr<IEditorView> callbacks_;
    wxTimer timer_;
    wxCursor cursor_;
    bool cursorHidden_ = false;
    long draws_ = 0;
};
