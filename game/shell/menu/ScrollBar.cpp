#include "game/shell/menu/ScrollBar.h"

#include <algorithm>

void ScrollBar::Measure(int content, int view, int factor)
{
    needed = content > view;
    overflow = needed ? content - view : 0;
    if (overflow < 1)
        thumbLength = view - 10;
    else
        thumbLength = std::min(std::max(view * factor / overflow, 50), view - 10);
    // A track shorter than the clamps leaves a thumb of at least a pixel.
    thumbLength = std::max(thumbLength, 1);
    scroll = std::clamp(scroll, 0, overflow);
}

int ScrollBar::ThumbPosition(int view) const
{
    const int track = view - thumbLength - 1;
    if (overflow <= 0 || track <= 0)
        return 0;
    return int(float(scroll) / float(overflow) * float(track));
}

void ScrollBar::DragTo(int view, int mouse)
{
    if (!dragging) {
        dragging = true;
        dragAnchor = ThumbPosition(view) - mouse;
        return;
    }
    const int track = view - thumbLength - 1;
    if (track <= 0)
        return;
    scroll = std::clamp(int(float(dragAnchor + mouse) / float(track) * float(overflow)), 0, overflow);
}

void ScrollBar::ScrollBy(int delta) { scroll = std::clamp(scroll + delta, 0, overflow); }
