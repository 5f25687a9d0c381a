#pragma once

#include <wx/bitmap.h>

class IResource;

// The 64 x 64 picture a palette shows for a resource (IResource's
// thumbnail over the list's background); a blank one when it has none.
constexpr int kThumbnailSize = 64;
wxBitmap MakeThumbnail(IResource* resource, const wxColour& background);
