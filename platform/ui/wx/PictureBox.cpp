#include "platform/ui/wx/PictureBox.h"

#include <wx/dcbuffer.h>
#include <wx/image.h>

namespace Ui {

wxSize PictureBox::AreaFor(const Picture& picture, const wxSize& fallback)
{
    if (!picture.pixels || picture.width <= 0 || picture.height <= 0)
        return fallback;
    return wxSize(picture.width, picture.height);
}

PictureBox::PictureBox(wxWindow* parent, const Picture& picture, const wxSize& area)
    : wxPanel(parent, wxID_ANY, wxDefaultPosition, area, wxTAB_TRAVERSAL | wxNO_BORDER)
{
    SetMinSize(area);
    const int rows = picture.height;
    if (picture.pixels && picture.width > 0 && rows > 0) {
        wxImage image(picture.width, rows, false);
        unsigned char* rgb = image.GetData();
        const size_t count = size_t(picture.width) * size_t(rows);
        for (size_t i = 0; i < count; ++i) {
            const uint32_t p = picture.pixels[i];
            rgb[i * 3] = (unsigned char)(p >> 16);
            rgb[i * 3 + 1] = (unsigned char)(p >> 8);
            rgb[i * 3 + 2] = (unsigned char)p;
        }
        bitmap_ = wxBitmap(image);
    }
    SetBackgroundStyle(wxBG_STYLE_PAINT);
    Bind(wxEVT_PAINT, &PictureBox::OnPaint, this);
}

void PictureBox::OnPaint(wxPaintEvent&)
{
    wxAutoBufferedPaintDC dc(this);
    dc.SetBackground(wxBrush(GetParent()->GetBackgroundColour()));
    dc.Clear();
    if (bitmap_.IsOk())
        dc.DrawBitmap(bitmap_, 0, 0, false);
}

} // namespace Ui
