#include "editor/panels/PaletteList.h"

#include "editor/panels/Thumbnail.h"

#include <wx/arrstr.h>
#include <wx/dcbuffer.h>
#include <wx/settings.h>
#include <wx/textctrl.h>

#include <algorithm>
#include <cstdlib>

namespace {

constexpr int kEdge = 4; // around the rows
constexpr int kPad = 4;  // around a picture and its label, inside its cell
constexpr int kScrollStep = 16;
// A cell is as wide as the widest word of the labels, within these: a
// label takes two lines rather than spreading every cell.
constexpr int kMinCell = kThumbnailSize + 4 * kPad;
constexpr int kMaxCell = 2 * kThumbnailSize;
constexpr int kLabelLines = 2;

} // namespace

PaletteList::PaletteList(wxWindow* parent)
    : wxScrolledCanvas(parent, wxID_ANY, wxDefaultPosition, wxDefaultSize, wxVSCROLL | wxBORDER_THEME | wxWANTS_CHARS),
      renameTimer_(this)
{
    SetBackgroundStyle(wxBG_STYLE_PAINT);
    SetBackgroundColour(wxSystemSettings::GetColour(wxSYS_COLOUR_LISTBOX));
    SetScrollRate(0, kScrollStep);
    ShowScrollbars(wxSHOW_SB_NEVER, wxSHOW_SB_ALWAYS);
    Bind(wxEVT_PAINT, &PaletteList::OnPaint, this);
    for (const auto& type : {wxEVT_LEFT_DOWN, wxEVT_LEFT_UP, wxEVT_LEFT_DCLICK, wxEVT_MOTION})
        Bind(type, &PaletteList::OnMouse, this);
    Bind(wxEVT_KEY_DOWN, &PaletteList::OnKey, this);
    Bind(wxEVT_SIZE, [this](wxSizeEvent& e) {
        Relayout();
        e.Skip();
    });
    Bind(wxEVT_TIMER, [this](wxTimerEvent&) { StartRename(selected_); });
}

void PaletteList::Append(const wxBitmap& picture, const wxString& label)
{
    items_.push_back({picture, label});
    Relayout();
}

wxString PaletteList::GetLabel(int item) const
{
    return item >= 0 && item < GetCount() ? items_[size_t(item)].label : wxString();
}

void PaletteList::SetLabel(int item, const wxString& label)
{
    if (item < 0 || item >= GetCount())
        return;
    items_[size_t(item)].label = label;
    Relayout();
}

void PaletteList::Select(int item)
{
    selected_ = item >= 0 && item < GetCount() ? item : -1;
    Refresh();
    if (selected_ < 0)
        return;
    // The choice is in sight, however it was made.
    const wxRect cell = CellRect(item);
    const int top = CalcUnscrolledPosition(wxPoint(0, 0)).y, height = GetClientSize().y;
    if (cell.y < top)
        Scroll(-1, cell.y / kScrollStep);
    else if (cell.GetBottom() >= top + height)
        Scroll(-1, (cell.GetBottom() - height) / kScrollStep + 1);
}

int PaletteList::Columns() const { return std::max(1, (GetClientSize().x - 2 * kEdge) / std::max(1, cellWidth_)); }

// The row's spare width shared out among its cells.
wxRect PaletteList::CellRect(int item) const
{
    const int height = kThumbnailSize + kLabelLines * GetCharHeight() + 3 * kPad;
    const int columns = Columns();
    const int width = std::max(cellWidth_, (GetClientSize().x - 2 * kEdge) / columns);
    return wxRect(kEdge + item % columns * width, kEdge + item / columns * height, width, height);
}

wxRect PaletteList::PictureRect(int item) const
{
    const wxRect cell = CellRect(item);
    const wxPoint at = CalcScrolledPosition(cell.GetPosition());
    return wxRect(at.x + (cell.width - kThumbnailSize) / 2, at.y + kPad, kThumbnailSize, kThumbnailSize);
}

wxRect PaletteList::LabelRect(int item) const
{
    const wxRect cell = CellRect(item);
    const wxPoint at = CalcScrolledPosition(cell.GetPosition());
    int width = 0;
    const std::vector<wxString> lines = LabelLines(item);
    for (const wxString& line : lines)
        width = std::max(width, GetTextExtent(line).x);
    return wxRect(at.x + (cell.width - width) / 2, at.y + 2 * kPad + kThumbnailSize, width,
                  int(lines.size()) * GetCharHeight());
}

wxString PaletteList::CutToFit(wxString text, int width) const
{
    if (GetTextExtent(text).x <= width)
        return text;
    while (!text.empty() && GetTextExtent(text + "...").x > width)
        text.RemoveLast();
    return text + "...";
}

// Broken at the last space that leaves a line within the cell; the rest is
// cut short.
std::vector<wxString> PaletteList::LabelLines(int item) const
{
    const wxString label = GetLabel(item);
    const int width = CellRect(item).width - 2 * kPad;
    size_t cut = label.rfind(' ');
    if (GetTextExtent(label).x <= width || cut == wxString::npos)
        return {CutToFit(label, width)};
    while (cut > 0 && GetTextExtent(label.Left(cut)).x > width)
        cut = label.rfind(' ', cut - 1);
    if (cut == 0 || cut == wxString::npos)
        return {CutToFit(label, width)};
    return {label.Left(cut), CutToFit(label.Mid(cut + 1), width)};
}

int PaletteList::HitTest(const wxPoint& client) const
{
    for (int i = 0; i < GetCount(); ++i)
        if (PictureRect(i).Contains(client) || LabelRect(i).Contains(client))
            return i;
    return -1;
}

void PaletteList::Relayout()
{
    int widest = 0;
    for (const Item& item : items_)
        for (const wxString& word : wxSplit(item.label, ' ', 0))
            widest = std::max(widest, GetTextExtent(word).x);
    cellWidth_ = std::clamp(widest + 2 * kPad, kMinCell, kMaxCell);
    const int rows = (GetCount() + Columns() - 1) / Columns();
    SetVirtualSize(0, 2 * kEdge + rows * CellRect(0).height);
    Refresh();
}

void PaletteList::ChooseAndPick(int item)
{
    if (item < 0 || item >= GetCount() || item == selected_)
        return;
    Select(item);
    if (onPick)
        onPick(item);
}

void PaletteList::OnPaint(wxPaintEvent&)
{
    wxAutoBufferedPaintDC dc(this);
    dc.SetBackground(wxBrush(GetBackgroundColour()));
    dc.Clear();
    dc.SetFont(GetFont());
    const wxRect shown(wxPoint(0, 0), GetClientSize());
    for (int i = 0; i < GetCount(); ++i) {
        const wxRect picture = PictureRect(i), label = LabelRect(i);
        if (!shown.Intersects(picture.Union(label)))
            continue;
        dc.DrawBitmap(items_[size_t(i)].picture, picture.GetPosition());
        const bool chosen = i == selected_;
        if (chosen) {
            dc.SetPen(*wxTRANSPARENT_PEN);
            dc.SetBrush(wxBrush(wxSystemSettings::GetColour(wxSYS_COLOUR_HIGHLIGHT)));
            dc.DrawRectangle(label.Inflate(2, 0));
        }
        dc.SetTextForeground(chosen ? wxSystemSettings::GetColour(wxSYS_COLOUR_HIGHLIGHTTEXT) : GetForegroundColour());
        int y = label.y;
        for (const wxString& line : LabelLines(i)) {
            dc.DrawText(line, label.x + (label.width - dc.GetTextExtent(line).x) / 2, y);
            y += GetCharHeight();
        }
    }
}

void PaletteList::OnMouse(wxMouseEvent& e)
{
    e.Skip();
    const int item = e.Moving() || e.Dragging() ? -1 : HitTest(e.GetPosition());
    if (e.LeftDown()) {
        SetFocus();
        renameTimer_.Stop();
        // A second, slow click on the chosen label edits it.
        renameOnRelease_ = item >= 0 && item == selected_ && LabelRect(item).Contains(e.GetPosition());
        pressed_ = item;
        pressAt_ = e.GetPosition();
        ChooseAndPick(item);
    } else if (e.LeftDClick()) {
        renameTimer_.Stop();
        renameOnRelease_ = false;
        if (item >= 0 && onPick)
            onPick(item);
    } else if (e.LeftUp()) {
        const int wait = wxSystemSettings::GetMetric(wxSYS_DCLICK_MSEC, this);
        if (renameOnRelease_ && item == pressed_)
            renameTimer_.StartOnce(wait > 0 ? wait : 500);
        pressed_ = -1;
        renameOnRelease_ = false;
    } else if (e.Dragging() && pressed_ >= 0) {
        const int dx = wxSystemSettings::GetMetric(wxSYS_DRAG_X, this);
        const int dy = wxSystemSettings::GetMetric(wxSYS_DRAG_Y, this);
        const wxPoint moved = e.GetPosition() - pressAt_;
        if (std::abs(moved.x) > std::max(dx, 3) || std::abs(moved.y) > std::max(dy, 3)) {
            const int dragged = pressed_;
            pressed_ = -1;
            renameOnRelease_ = false;
            if (onDrag)
                onDrag(dragged);
        }
    }
}

void PaletteList::OnKey(wxKeyEvent& e)
{
    const int key = e.GetKeyCode(), columns = Columns();
    if (key == WXK_F2) {
        StartRename(selected_);
    } else if ((key == WXK_RETURN || key == WXK_NUMPAD_ENTER) && selected_ >= 0) {
        if (onPick)
            onPick(selected_);
    } else if (key == WXK_LEFT || key == WXK_RIGHT || key == WXK_UP || key == WXK_DOWN) {
        const int to = selected_ + (key == WXK_LEFT ? -1 : key == WXK_RIGHT ? 1 : key == WXK_UP ? -columns : columns);
        ChooseAndPick(selected_ < 0 ? 0 : to >= 0 && to < GetCount() ? to : selected_);
    } else {
        e.Skip();
    }
}

void PaletteList::StartRename(int item)
{
    if (item < 0 || item >= GetCount() || editor_)
        return;
    editing_ = item;
    const wxRect cell = CellRect(item), label = LabelRect(item);
    editor_ = new wxTextCtrl(this, wxID_ANY, GetLabel(item), wxDefaultPosition, wxDefaultSize, wxTE_PROCESS_ENTER);
    const int height = editor_->GetBestSize().y;
    editor_->SetSize(CalcScrolledPosition(cell.GetPosition()).x, label.y + (label.height - height) / 2, cell.width,
                     height);
    editor_->Bind(wxEVT_TEXT_ENTER, [this](wxCommandEvent&) { EndRename(true); });
    editor_->Bind(wxEVT_KILL_FOCUS, [this](wxFocusEvent& e) {
        e.Skip();
        EndRename(true);
    });
    editor_->Bind(wxEVT_KEY_DOWN, [this](wxKeyEvent& e) {
        if (e.GetKeyCode() == WXK_ESCAPE)
            EndRename(false);
        else
            e.Skip();
    });
    editor_->SetFocus();
    editor_->SelectAll();
}

void PaletteList::EndRename(bool commit)
{
    if (!editor_)
        return;
    // Hiding the box takes its focus away, which would end it once more.
    wxTextCtrl* box = editor_;
    editor_ = nullptr;
    const wxString typed = box->GetValue();
    box->Hide();
    CallAfter([box] { box->Destroy(); });
    SetFocus();
    if (commit && typed != GetLabel(editing_) && onRename)
        onRename(editing_, typed);
    editing_ = -1;
}
