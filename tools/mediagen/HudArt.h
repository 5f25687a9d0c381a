#pragma once

class MediaWriter;

// The pictures of the play screen: status bar, digits, crosshair, breath
// and capture gauges, map icons, the scoreboard's flags and the banners of
// wins and scores.
namespace HudArt {

void Write(MediaWriter& out);

} // namespace HudArt
