#pragma once

class MediaWriter;

// The menus' pictures: the background, the buttons and tabs with a row per
// state, the label strips and the arrows of the drop-downs and lists.
namespace MenuArt {

void Write(MediaWriter& out);

} // namespace MenuArt
