#pragma once

class MediaWriter;

// Floor and wall sheets (128 pixels wide, one 32-pixel row per block, the
// four columns being variants; for walls intact, damaged, more damaged and
// the ground left under a wall) and the wall-alpha masks.
namespace TileArt {

void Write(MediaWriter& out);

} // namespace TileArt
