#include "editor/ToolbarArt.h"

#include "engine/files/IFile.h"
#include "engine/files/IFileManager.h"

#include <wx/image.h>
#include <wx/mstream.h>

#include <memory>

std::vector<wxBitmap> LoadToolbarStrip(IFileManager* files, const char16_t* path)
{
    std::vector<wxBitmap> images;
    std::unique_ptr<IFile> file(files ? files->Open(path, kOpenRead, 0) : nullptr);
    if (!file)
        return images;
    const int size = file->GetSize();
    if (size <= 0)
        return images;
    std::vector<unsigned char> bytes(static_cast<size_t>(size));
    if (file->Read(bytes.data(), size) != size)
        return images;
    wxMemoryInputStream stream(bytes.data(), bytes.size());
    wxImage strip;
    if (!strip.LoadFile(stream, wxBITMAP_TYPE_PNG) || strip.GetHeight() < 16 || strip.GetWidth() < 16 * kToolbarImages)
        return images;
    for (int i = 0; i < kToolbarImages; ++i) {
        wxImage one = strip.GetSubImage(wxRect(16 * i, 0, 16, 16));
        if (!one.HasAlpha())
            one.SetMaskColour(255, 0, 255);
        images.emplace_back(one);
    }
    return images;
}
