#pragma once

#ifndef VORNHAL_DEDICATED

namespace Gl {

// Starts SDL's video subsystem unless it runs already. Windows are X11
// windows; with no display SDL's dummy driver is used, so SDL never falls
// back to drawing into the terminal.
bool StartVideo();

} // namespace Gl

#endif
