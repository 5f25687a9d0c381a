#pragma once

class MediaWriter;

// The sounds of the data set: shots, clip changes, shells, explosions and
// impacts, synthesised from noise and tones.
namespace SoundArt {

void Write(MediaWriter& out);

} // namespace SoundArt
