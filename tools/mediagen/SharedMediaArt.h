#pragma once

class MediaWriter;

// The client's shared media: effect sheets, the player extras, the vehicle
// and the sounds every level uses.
namespace SharedMediaArt {

void Write(MediaWriter& out);

} // namespace SharedMediaArt
