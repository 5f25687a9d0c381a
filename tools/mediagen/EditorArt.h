#pragma once

class MediaWriter;

// The level editor's toolbar: one strip of 16 x 16 images in the toolbar's
// order, a normal one and a brighter one for the button under the mouse.
namespace EditorArt {

void Write(MediaWriter& out);

} // namespace EditorArt
