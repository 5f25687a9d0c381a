#pragma once

// One axis of a scroll bar of the menu controls: whether it is needed, how
// far the content can scroll and how long its thumb is.
struct ScrollBar {
    bool needed = false;
    int scroll = 0;
    int overflow = 0;
    int thumbLength = 150;
    int dragAnchor = 0;
    bool dragging = false;

    // factor is 20 for drop-downs and 50 for lists.
    void Measure(int content, int view, int factor);
    // The thumb's offset along its track.
    int ThumbPosition(int view) const;
    // The first frame of a drag sets the anchor; later frames move the
    // scroll with the mouse coordinate along the track.
    void DragTo(int view, int mouse);
    void ScrollBy(int delta);
};
