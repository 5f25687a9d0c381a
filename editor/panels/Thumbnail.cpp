#include "editor/panels/Thumbnail.h"

#include "game/world/resources/IResource.h"

#include <wx/image.h>

#include <cstdint>

wxBitmap MakeThumbnail(IResource* resource, const wxColour& background)
{
    wxImage image(kThumbnailSize, kThumbnailSize);
    image.SetRGB(wxRect(0, 0, kThumbnailSize, kThumbnailSize), background.Red(), background.Green(), background.Blue());
    // 0xAARRGGBB, rows top to bottom; valid until FreeThumbnail.
    const uint32_t* pixels = resource ? resource->CreateThumbnail() : nullptr;
    if (pixels) {
        unsigned char* rgb = image.GetData();
        for (int i = 0; i < kThumbnailSize * kThumbnailSize; ++i) {
            const uint32_t p = pixels[i];
            const unsigned a = p >> 24;
            const unsigned channel[3] = {(p >> 16) & 0xFF, (p >> 8) & 0xFF, p & 0xFF};
            for (int c = 0; c < 3; ++c)
                rgb[i * 3 + c] = (unsigned char)((channel[c] * a + rgb[i * 3 + c] * (255 - a)) / 255);
        }
    }
    if (resource)
        resource->FreeThumbnail();
    return wxBitmap(image, 24);
}
