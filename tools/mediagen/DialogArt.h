#pragma once

class MediaWriter;

// The pictures of the log-in and update dialogs.
namespace DialogArt {

void Write(MediaWriter& out);

} // namespace DialogArt
