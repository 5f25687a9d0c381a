#pragma once

#include "platform/ui/wx/Dialogs.h"

#include <wx/bitmap.h>
#include <wx/panel.h>

namespace Ui {

// A picture painted 1:1 from the top left of its area, without
// stretching; controls may sit on it as children. An area larger than the
// picture shows the dialog's background around it.
class PictureBox : public wxPanel {
public:
    PictureBox(wxWindow* parent, const Picture& picture, const wxSize& area);
    // The picture's size, or the fallback when there is no picture.
    static wxSize AreaFor(const Picture& picture, const wxSize& fallback);

private:
    void OnPaint(wxPaintEvent& event);

    wxBitmap bitmap_;
};

} // namespace Ui
