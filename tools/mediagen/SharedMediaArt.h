#pragma once

class MediaWriter;

// The client's shared media: menu and HUD pictures, effect sheets, the
// player extras, the vehicle and the sounds every level uses.
namespace SharedMediaArt {

void Write(MediaWriter& out);

} // namespace SharedMediaArt
