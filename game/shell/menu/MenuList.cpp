#include "game/shell/menu/MenuList.h"

#include "engine/render/IRenderer.h"
#include "engine/render/TextLayout.h"
#include "game/shell/menu/IMenuListData.h"
#include "game/shell/menu/MenuDraw.h"
#include "game/world/geometry/Quad.h"

#include <algorithm>

MenuList::MenuList(IMenuListData* data, int x, int y, int width, int height)
    : MenuControl(x, y, width, height), data(data)
{
}

MenuList::~MenuList()
{
    for (int i = 0; i < columns.GetCount(); ++i)
        delete columns.Get(i);
}

int MenuList::TotalWidth() const
{
    int total = 0;
    for (int i = 0; i < columns.GetCount(); ++i)
        total += columns.Get(i)->width;
    return total;
}

void MenuList::MeasureBars()
{
    // Each bar narrows the other's view, so measuring twice settles both.
    for (int pass = 0; pass < 2; ++pass) {
        hbar.Measure(TotalWidth(), ViewWidth(), 50);
        vbar.Measure(int(rowOrder.size()) * RowHeight(), ViewHeight(), 50);
    }
}

void MenuList::Fit(IRenderer* r)
{
    if (!r)
        return;
    bool changed = TextLayout::Extra(r) != textExtra_ || height != fittedHeight_;
    textExtra_ = TextLayout::Extra(r);
    fittedHeight_ = height;
    for (int i = 0; i < columns.GetCount(); ++i) {
        Column* c = columns.Get(i);
        const int least = r->GetTextWidth(c->title.c_str()) + 6;
        if (c->width < least) {
            c->width = least;
            changed = true;
        }
    }
    if (changed)
        MeasureBars();
}

void MenuList::AddColumn(const char16_t* title, int width)
{
    columns.Add(new Column{title ? title : u"", width, 0});
    columnOrder.clear();
    for (int i = 0; i < columns.GetCount(); ++i)
        columnOrder.push_back(i);
    MeasureBars();
}

int MenuList::GetDataRow(int displayRow) const
{
    return displayRow >= 0 && displayRow < int(rowOrder.size()) ? rowOrder[size_t(displayRow)] : -1;
}

void MenuList::Sort()
{
    const int count = std::max(0, data->GetRowCount());
    rowOrder.resize(size_t(count));
    for (int i = 0; i < count; ++i)
        rowOrder[size_t(i)] = i;
    // Rows equal in every sorted column keep their data order.
    std::stable_sort(rowOrder.begin(), rowOrder.end(), [this](int a, int b) {
        for (int column : columnOrder) {
            const Column* c = columns.Get(column);
            if (!c || c->sort == 0)
                continue;
            int answer = data->CompareRows(a, b, column);
            if (c->sort == 1)
                answer = -answer;
            if (answer != 0)
                return answer < 0;
        }
        return false;
    });
    // The row count may have changed: the bars and the selection follow it.
    MeasureBars();
    if (selectedRow >= count)
        selectedRow = count - 1;
}

bool MenuList::PassThumbs(int mx, int my, bool down)
{
    bool hovered = false;
    const int vw = ViewWidth(), vh = ViewHeight(), rowsTop = y + Header();
    if (hbar.needed && (hoverTarget == 0 || hoverTarget == 1)) {
        const int t0 = x + 1 + hbar.ThumbPosition(vw), ty = rowsTop + vh + 1;
        const bool on = mx >= t0 && mx <= t0 + hbar.thumbLength && my >= ty && my <= ty + 19;
        if (on || (down && hoverTarget == 1 && hoverFlag)) {
            hoverTarget = 1;
            hoverFlag = hovered = true;
            if (down)
                hbar.DragTo(vw, mx - x);
        }
    }
    if (vbar.needed && (hoverTarget == 0 || hoverTarget == 2)) {
        const int t0 = rowsTop + 1 + vbar.ThumbPosition(vh), tx = x + vw;
        const bool on = mx >= tx && mx <= tx + 19 && my >= t0 && my <= t0 + vbar.thumbLength;
        if (on || (down && hoverTarget == 2 && hoverFlag)) {
            hoverTarget = 2;
            hoverFlag = hovered = true;
            if (down)
                vbar.DragTo(vh, my - rowsTop);
        }
    }
    return hovered;
}

void MenuList::ClickColumn(int column)
{
    Column* c = columns.Get(column);
    c->sort = c->sort == 2 ? 1 : 2;
    auto at = std::find(columnOrder.begin(), columnOrder.end(), column);
    if (at != columnOrder.end())
        std::rotate(columnOrder.begin(), at, at + 1);
    Sort();
}

bool MenuList::PassHeaders(int mx, int my, bool down)
{
    if (hoverTarget != 0 && hoverTarget != 3)
        return false;
    const int vw = ViewWidth();
    int start = -hbar.scroll;
    for (int i = 0; i < columns.GetCount(); ++i) {
        const int w = columns.Get(i)->width, end = start + w;
        if (start > vw)
            break;
        if (end >= 0 && mx >= x + start && mx <= x + end && my >= y && my <= y + Header()) {
            hoveredColumn = i;
            hoverTarget = 3;
            if (down && !heldFlag) {
                heldFlag = true;
                ClickColumn(i);
            }
            return true;
        }
        start = end;
    }
    return false;
}

void MenuList::PassRows(int mx, int my, bool down)
{
    if (!down) {
        clickLatch = false;
        return;
    }
    if (clickLatch)
        return;
    clickLatch = true;
    const int vw = ViewWidth(), vh = ViewHeight(), rowsTop = y + Header();
    if (mx < x || mx > x + vw || my < rowsTop || my > rowsTop + vh)
        return;
    for (int i = 0; i < int(rowOrder.size()); ++i) {
        const int band = rowsTop + 5 + RowHeight() * i - vbar.scroll;
        if (my >= band && my < band + RowHeight()) {
            if (i != selectedRow) {
                selectedRow = i;
                data->OnRowSelected(rowOrder[size_t(i)]);
            }
            return;
        }
    }
}

void MenuList::OnMouse(IRenderer* r, int mx, int my, bool down, float)
{
    Fit(r);
    if (!down) {
        heldFlag = false;
        hbar.dragging = vbar.dragging = false;
    }
    bool hovered = PassThumbs(mx, my, down);
    hovered = PassHeaders(mx, my, down) || hovered;
    PassRows(mx, my, down);
    if (!hovered) {
        hoverFlag = false;
        hoveredColumn = -1;
        hoverTarget = 0;
    }
}

void MenuList::Draw(IRenderer* r, ITexture* arrows)
{
    Fit(r);
    const int header = Header(), rowHeight = RowHeight();
    const int vw = ViewWidth(), vh = ViewHeight(), rowsTop = y + Header();
    FillScreenRect(r, float(x), float(y), float(x + width), float(y + header), 117, 98, 71, 0.5f);
    int start = -hbar.scroll;
    for (int i = 0; i < columns.GetCount(); ++i) {
        const Column* c = columns.Get(i);
        const int rawStart = start, rawEnd = start + c->width;
        start = rawEnd;
        if (rawEnd < 0)
            continue;
        if (rawStart > vw)
            break;
        const int s = std::max(rawStart, 0), e = std::min(rawEnd, vw);
        r->SetClipRect(x + s, y, x + e, y + header);
        if (i == hoveredColumn)
            FillScreenRect(r, float(x + s), float(y), float(x + e), float(y + header), 112, 71, 35, 1.0f);
        r->DrawTextAligned(x + rawStart + 3, y + 5, c->title.c_str(), false);
        if (!columnOrder.empty() && columnOrder[0] == i && c->sort != 0)
            MenuDraw::Arrow(r, arrows, c->sort == 2 ? 0 : 9, x + e - 12, y + 10 + textExtra_ / 2);
        r->ResetClipRect();
        r->DrawRect(x + s, y, x + e, y + header, 190, 139, 66);
        r->SetClipRect(x + s, rowsTop, x + e, rowsTop + vh);
        for (int row = 0; row < int(rowOrder.size()); ++row) {
            const int off = rowHeight * row - vbar.scroll + 5;
            if (off <= -rowHeight || off >= vh)
                continue;
            if (row == selectedRow)
                FillScreenRect(r, float(x), float(rowsTop + off - 4), float(x + vw),
                               float(rowsTop + off + 14 + textExtra_), 78, 56, 22, 0.5f);
            const char16_t* text = data->GetCellText(rowOrder[size_t(row)], i);
            r->DrawTextAligned(x + rawStart + 3, rowsTop + off, text ? text : u"", false);
        }
        r->ResetClipRect();
    }
    if (TotalWidth() < width)
        r->DrawRect(x + TotalWidth(), y, x + width, y + header, 190, 139, 66);
    DrawBars(r);
}

void MenuList::DrawBars(IRenderer* r)
{
    const int vw = ViewWidth(), vh = ViewHeight(), rowsTop = y + Header();
    auto thumb = [r](const ScrollBar& bar, bool hovered, float x0, float y0, float x1, float y1) {
        if (bar.dragging)
            FillScreenRect(r, x0, y0, x1, y1, 65, 46, 22, 1.0f);
        else if (hovered)
            FillScreenRect(r, x0, y0, x1, y1, 112, 71, 35, 1.0f);
        else
            FillScreenRect(r, x0, y0, x1, y1, 95, 83, 63, 1.0f);
    };
    if (hbar.needed) {
        const int ty = rowsTop + vh;
        r->DrawRect(x, ty, x + vw, ty + 20, 207, 169, 115);
        const float t0 = float(x + 1 + hbar.ThumbPosition(vw));
        thumb(hbar, hoverTarget == 1, t0, float(ty + 1), t0 + float(hbar.thumbLength), float(ty + 20));
    }
    if (vbar.needed) {
        r->DrawRect(x + vw, rowsTop, x + width, rowsTop + vh, 190, 139, 66);
        const float t0 = float(rowsTop + 1 + vbar.ThumbPosition(vh));
        thumb(vbar, hoverTarget == 2, float(x + vw + 1), t0, float(x + vw + 20), t0 + float(vbar.thumbLength));
    }
}
