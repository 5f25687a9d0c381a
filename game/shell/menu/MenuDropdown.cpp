#include "game/shell/menu/MenuDropdown.h"

#include "engine/render/IRenderer.h"
#include "engine/render/TextLayout.h"
#include "game/shell/menu/MenuDraw.h"
#include "game/world/geometry/Quad.h"

#include <algorithm>

MenuDropdown::~MenuDropdown()
{
    for (int i = 0; i < items.GetCount(); ++i)
        delete items.Get(i);
}

void MenuDropdown::AddItem(const char16_t* text, int64_t value)
{
    items.Add(new Item{text ? text : u"", value});
    Measure();
}

void MenuDropdown::Clear()
{
    for (int i = 0; i < items.GetCount(); ++i)
        delete items.Get(i);
    items.Clear();
    arrowHovered = arrowPressed = thumbHovered = open = false;
    bar = ScrollBar();
    mouseMode = 0;
    selected = hoveredItem = -1;
    edgeRemainder = 0.0f;
    Measure();
}

void MenuDropdown::Fit(IRenderer* r)
{
    const int extra = TextLayout::Extra(r);
    if (!r || extra == textExtra_)
        return;
    height += extra - textExtra_;
    textExtra_ = extra;
    Measure();
}

// Returns whether the arrow or the thumb is hovered.
bool MenuDropdown::PassArrowAndThumb(int mx, int my, bool down)
{
    bool hovered = false;
    if (!down && !bar.dragging)
        mouseMode = 0;
    if (down && !bar.dragging && mouseMode == 0) {
        const bool inArea = mx >= x && mx <= x + width && my >= y && my <= Top() + listHeight;
        if (!inArea)
            open = false;
    }
    if (mouseMode == 0 || mouseMode == 1) {
        const bool onArrow = mx >= x + width - 20 && mx <= x + width && my >= y && my <= y + height;
        if ((onArrow && !bar.dragging) || arrowPressed) {
            arrowHovered = hovered = true;
            if (down && onArrow) {
                arrowPressed = true;
                mouseMode = 1;
            }
            if (!onArrow)
                arrowPressed = false;
        }
    }
    if ((mouseMode == 0 || mouseMode == 2) && open && bar.needed) {
        const int thumbTop = Top() + 1 + bar.ThumbPosition(listHeight);
        const int barX = x + ItemWidth();
        const bool onThumb = mx >= barX && mx <= barX + 19 && my >= thumbTop && my <= thumbTop + bar.thumbLength;
        if (onThumb || (down && thumbHovered)) {
            thumbHovered = hovered = true;
            if (down) {
                mouseMode = 2;
                bar.DragTo(listHeight, my - Top());
            }
        }
    }
    return hovered;
}

void MenuDropdown::EdgeScroll(int my)
{
    const int bottom = Top() + listHeight;
    if (my >= Top() && my <= bottom)
        return;
    const int d = std::min(my < Top() ? Top() - my : my - bottom, 30);
    edgeRemainder += 2.0f * frameTime_ * float(d);
    const int whole = int(edgeRemainder);
    edgeRemainder -= float(whole);
    bar.ScrollBy(my < Top() ? -whole : whole);
}

void MenuDropdown::OnMouse(IRenderer* r, int mx, int my, bool down, float wheel)
{
    Fit(r);
    if (!down) {
        if (arrowPressed)
            open = !open;
        bar.dragging = false;
        arrowPressed = false;
    }
    bool hovered = false;
    bool chosen = false;
    if (hoveredItem < 0)
        hovered = PassArrowAndThumb(mx, my, down);
    const bool inItems = mx >= x && mx <= x + ItemWidth() && my > Top() && my < Top() + listHeight;
    if (down && open && inItems && !bar.dragging && mouseMode != 1) {
        const int i = (my - Top() + bar.scroll) / ItemHeight();
        if (i >= 0 && i < items.GetCount())
            hoveredItem = i;
    }
    if (open && hoveredItem >= 0) {
        if (!down) {
            if (inItems) {
                selected = hoveredItem;
                open = false;
                mouseMode = 0;
                chosen = true;
            }
            hoveredItem = -1;
            edgeRemainder = 0.0f;
        } else {
            EdgeScroll(my);
        }
    }
    if (open && bar.needed && wheel != 0.0f)
        bar.ScrollBy(int(-20.0f * wheel));
    if (!hovered || chosen)
        arrowHovered = thumbHovered = false;
}

void MenuDropdown::Draw(IRenderer* r, ITexture* arrows)
{
    Fit(r);
    const int ax = x + width - 20;
    if (arrowHovered && arrowPressed)
        FillScreenRect(r, float(ax), float(y), float(x + width), float(y + height), 65, 46, 22, 1.0f);
    else if (arrowHovered)
        FillScreenRect(r, float(ax), float(y), float(x + width), float(y + height), 112, 71, 35, 1.0f);
    else
        FillScreenRect(r, float(ax), float(y), float(x + width), float(y + height), 95, 83, 63, 1.0f);
    MenuDraw::Arrow(r, arrows, 0, x + width - 14, y + height - 14);
    if (const Item* item = items.Get(selected)) {
        r->SetClipRect(x, y, x + width - 20, y + height);
        r->DrawTextAligned(x + 5, y + 3, item->text.c_str(), false);
        r->ResetClipRect();
    }
    r->DrawRect(x, y, x + width, y + height, 65, 46, 22);
    r->DrawRect(ax, y, x + width, y + height, 65, 46, 22);
}

void MenuDropdown::DrawList(IRenderer* r)
{
    if (!open)
        return;
    Fit(r);
    const int top = Top(), iw = ItemWidth(), itemHeight = ItemHeight();
    FillScreenRect(r, float(x), float(top), float(x + iw), float(top + listHeight), 54, 48, 42, 1.0f);
    FillScreenRect(r, float(x + iw), float(top), float(x + iw + 20), float(top + listHeight), 10, 9, 8, 1.0f);
    r->SetClipRect(x, top, x + iw, top + listHeight);
    for (int i = 0; i < items.GetCount(); ++i) {
        const int offset = itemHeight * i - bar.scroll;
        if (offset <= -itemHeight || offset >= listHeight)
            continue;
        if (i == hoveredItem || (hoveredItem < 0 && i == selected))
            FillScreenRect(r, float(x), float(top + offset), float(x + iw), float(top + offset + itemHeight), 78, 56,
                           22, 0.5f);
        r->DrawTextAligned(x + 5, top + offset + 3, items.Get(i)->text.c_str(), false);
    }
    r->ResetClipRect();
    r->DrawRect(x, top, x + width, top + listHeight, 65, 46, 22);
    if (bar.needed) {
        r->DrawRect(x + iw, top, x + width, top + listHeight, 65, 46, 22);
        const int t0 = top + 1 + bar.ThumbPosition(listHeight);
        const float fx0 = float(x + iw + 1), fx1 = float(x + iw + 20), fy0 = float(t0),
                    fy1 = float(t0 + bar.thumbLength);
        if (bar.dragging)
            FillScreenRect(r, fx0, fy0, fx1, fy1, 65, 46, 22, 1.0f);
        else if (thumbHovered)
            FillScreenRect(r, fx0, fy0, fx1, fy1, 112, 71, 35, 1.0f);
        else
            FillScreenRect(r, fx0, fy0, fx1, fy1, 95, 83, 63, 1.0f);
    }
}
