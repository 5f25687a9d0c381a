#pragma once

#ifndef VORNHAL_DEDICATED

namespace Gl {

// The inside size of a host's X11 window in pixels; false when the id is
// no window or there is no display.
bool GetWindowSize(unsigned long window, int* width, int* height);

} // namespace Gl

#endif
