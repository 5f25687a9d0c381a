#include "game/shell/menu/MenuEdit.h"

#include "engine/render/IRenderer.h"
#include "engine/render/TextLayout.h"
#include "game/world/geometry/Quad.h"
#include "platform/ui/Clipboard.h"

#include <algorithm>

void MenuEdit::ClampCaret()
{
    const int len = GetLength();
    cursor = std::clamp(cursor, 0, len);
    if (anchor > len)
        anchor = len;
}

void MenuEdit::SetText(const char16_t* text)
{
    text_ = text ? text : u"";
    cursor = GetLength();
    scroll = 0.0f;
    submitted = false;
    anchor = -1;
}

void MenuEdit::DeleteSelection()
{
    if (anchor == cursor) {
        anchor = -1;
        return;
    }
    if (!HasSelection())
        return;
    ClampCaret();
    const int from = std::min(cursor, anchor), to = std::max(cursor, anchor);
    text_.erase(size_t(from), size_t(to - from));
    cursor = from;
    anchor = -1;
}

void MenuEdit::Insert(int at, const std::u16string& s)
{
    text_.insert(size_t(at), s);
    cursor = at + int(s.size());
}

void MenuEdit::Copy() const
{
    if (!HasSelection())
        return;
    const int from = std::min(cursor, anchor), to = std::min(std::max(cursor, anchor), GetLength());
    std::string bytes;
    for (int i = from; i < to; ++i)
        bytes += char(text_[size_t(i)] & 0xFF);
    Ui::SetClipboardBytes(bytes);
}

void MenuEdit::Paste()
{
    DeleteSelection();
    std::string bytes;
    if (!Ui::GetClipboardBytes(&bytes))
        return;
    // A text set longer than the typing limit leaves no room, never a
    // negative one.
    const size_t room = size_t(std::max(0, kTypingLimit - GetLength()));
    std::u16string in;
    for (size_t i = 0; i < bytes.size() && in.size() < room; ++i)
        in += char16_t(static_cast<unsigned char>(bytes[i]));
    Insert(cursor, in);
    caretMoved = true;
}

void MenuEdit::OnChar(int code)
{
    if (!focused || !enabled)
        return;
    ClampCaret();
    switch (code) {
    case kMenuBackspace:
        if (HasSelection()) {
            DeleteSelection();
        } else if (cursor > 0) {
            text_.erase(size_t(cursor - 1), 1);
            --cursor;
        }
        caretMoved = true;
        break;
    case kMenuDelete:
        if (HasSelection())
            DeleteSelection();
        else if (cursor < GetLength())
            text_.erase(size_t(cursor), 1);
        caretMoved = true;
        break;
    case kMenuCopy:
        Copy();
        break;
    case kMenuPaste:
        Paste();
        break;
    case kMenuLeft:
        cursor = std::max(0, cursor - 1);
        anchor = -1;
        caretMoved = true;
        break;
    case kMenuRight:
        cursor = std::min(GetLength(), cursor + 1);
        anchor = -1;
        caretMoved = true;
        break;
    case kMenuEnd:
        cursor = GetLength();
        anchor = -1;
        caretMoved = true;
        break;
    case kMenuEnter:
        submitted = true;
        break;
    default:
        if (GetLength() < kTypingLimit) {
            DeleteSelection();
            Insert(cursor, std::u16string(1, char16_t(code)));
            caretMoved = true;
        }
        break;
    }
}

int MenuEdit::PrefixWidth(IRenderer* r, int count) const
{
    count = std::clamp(count, 0, GetLength());
    const std::u16string prefix = text_.substr(0, size_t(count));
    return r->GetTextWidth(prefix.c_str());
}

void MenuEdit::Fit(IRenderer* r)
{
    const int extra = TextLayout::Extra(r);
    height += extra - textExtra_;
    textExtra_ = extra;
}

void MenuEdit::PlaceCaret(IRenderer* r, int mx)
{
    if (!dragging)
        anchor = -1;
    int& target = dragging ? anchor : cursor;
    for (int i = 0; i <= GetLength(); ++i)
        if (float(x + PrefixWidth(r, i) + 2) < float(mx) + scroll)
            target = i;
    ClampCaret();
    if (mx >= x && mx <= x + width)
        dragging = true;
}

void MenuEdit::OnMouse(IRenderer* r, int mx, int my, bool down, float)
{
    Fit(r);
    const bool inRows = my >= y && my <= y + height;
    const bool inside = inRows && mx >= x && mx <= x + width;
    if (!inside && !dragging) {
        if (down)
            focused = false;
        hovered = false;
        if (down && inRows)
            PlaceCaret(r, mx);
    } else {
        hovered = true;
        if (down)
            focused = true;
        if ((down && inRows) || dragging)
            PlaceCaret(r, mx);
        if (dragging) {
            const float step = 50.0f * frameTime_;
            if (mx < x) {
                scroll = std::max(0.0f, scroll - step);
            } else if (mx > x + width) {
                const float most = float(r->GetTextWidth(text_.c_str()) - width + 9);
                scroll = std::max(scroll, std::min(scroll + step, most));
            }
        }
    }
    if (!down)
        dragging = false;
}

void MenuEdit::Update(float dt)
{
    frameTime_ = dt;
    blink += dt;
    if (blink > 1.0f)
        blink = 0.0f;
}

void MenuEdit::Draw(IRenderer* r)
{
    Fit(r);
    r->SetClipRect(x, y, x + width, y + height);
    const int wc = PrefixWidth(r, cursor);
    if (caretMoved) {
        caretMoved = false;
        if (float(wc + 9) - scroll > float(width))
            scroll = float(wc + 9 - width);
        if (float(wc + 4) - scroll < 0.0f)
            scroll = float(wc + 4);
    }
    if (HasSelection()) {
        const int a = PrefixWidth(r, anchor);
        const float lo = float(std::min(wc, a)), hi = float(std::max(wc, a));
        FillScreenRect(r, x + 5 + lo - scroll, float(y + 2), x + 5 + hi - scroll, float(y + height - 2), 0, 49, 230,
                       0.5f);
    }
    const int tx = int(float(x + 5) - scroll), ty = y + height - 15 - textExtra_;
    if (enabled)
        r->DrawTextAligned(tx, ty, text_.c_str(), false);
    else
        r->DrawText(tx, ty, text_.c_str(), 120, 120, 120);
    if (blink < 0.5f && focused && enabled)
        r->DrawLine(x + wc + 7 - scroll, float(y + 3), x + wc + 6 - scroll, float(y + height - 4), 207, 169, 115);
    r->ResetClipRect();
    r->DrawRect(x, y, x + width, y + height, 65, 46, 22);
}
