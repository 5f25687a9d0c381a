#pragma once

class MediaWriter;

// Pictures of weapons (pick-up, HUD slot, held in hand, projectile and
// explosive icon) and of ammunition, health and armour pick-ups.
namespace ItemArt {

void Write(MediaWriter& out);

} // namespace ItemArt
