#pragma once

#include <vector>

// X windows of a double-buffered RGBA visual with alpha, as a toolkit's GL
// canvas makes them, for the renderer to draw into; gone with the object.
class GlWindows {
public:
    GlWindows();
    ~GlWindows();
    GlWindows(const GlWindows&) = delete;
    GlWindows& operator=(const GlWindows&) = delete;
    // 0 when no such window can be made.
    unsigned long Make(int width, int height);

private:
    void* display_;
    std::vector<unsigned long> windows_;
};
