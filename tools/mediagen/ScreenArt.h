#pragma once

class MediaWriter;

// Whole-screen and dialog pictures: the loading screen, the login picture
// and the two pictures of the update dialogs.
namespace ScreenArt {

void Write(MediaWriter& out);

} // namespace ScreenArt
