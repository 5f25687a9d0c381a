#pragma once

#include <wx/bitmap.h>
#include <wx/scrolwin.h>
#include <wx/timer.h>

#include <functional>
#include <vector>

class wxTextCtrl;

// Thumbnails in rows that wrap at the window's width, each label centred
// under its picture; it scrolls up and down only. A click selects, a
// double click or Enter activates, F2 or a slow second click on the
// selected label edits it, and a press moved past the drag threshold
// drags the item.
class PaletteList : public wxScrolledCanvas {
public:
    explicit PaletteList(wxWindow* parent);

    void Append(const wxBitmap& picture, const wxString& label);
    int GetCount() const { return int(items_.size()); }
    wxString GetLabel(int item) const;
    void SetLabel(int item, const wxString& label);
    int GetSelection() const { return selected_; }
    void Select(int item);
    // In the window's own (scrolled) coordinates.
    wxRect PictureRect(int item) const;
    wxRect LabelRect(int item) const;
    void StartRename(int item);

    // A newly selected or activated item.
    std::function<void(int)> onPick;
    // The typed label; false keeps the old one.
    std::function<bool(int, const wxString&)> onRename;
    std::function<void(int)> onDrag;

private:
    struct Item {
        wxBitmap picture;
        wxString label;
    };

    wxRect CellRect(int item) const;
    std::vector<wxString> LabelLines(int item) const;
    wxString CutToFit(wxString text, int width) const;
    int Columns() const;
    int HitTest(const wxPoint& client) const;
    void Relayout();
    void ChooseAndPick(int item);
    void EndRename(bool commit);
    void OnPaint(wxPaintEvent& e);
    void OnMouse(wxMouseEvent& e);
    void OnKey(wxKeyEvent& e);

    std::vector<Item> items_;
    int selected_ = -1;
    int cellWidth_ = 0;
    int pressed_ = -1;
    bool renameOnRelease_ = false;
    wxPoint pressAt_;
    wxTimer renameTimer_;
    wxTextCtrl* editor_ = nullptr;
    int editing_ = -1;
};
