#pragma once

class MediaWriter;

// Pictures of the level objects: start points, flags, doors, windows,
// trees, props, lamps, and the soldiers of both teams.
namespace ObjectArt {

void Write(MediaWriter& out);

} // namespace ObjectArt
