#include "editor/dialogs/AboutDialog.h"

#include <wx/button.h>
#include <wx/sizer.h>
#include <wx/stattext.h>

AboutDialog::AboutDialog(wxWindow* parent) : EditorDialog(parent, "About Editor")
{
    auto* top = new wxBoxSizer(wxVERTICAL);
    top->Add(new wxStaticText(this, wxID_ANY, "Vornhal Editor Version 1.0"), 0, wxALL, 12);
    top->Add(new wxButton(this, wxID_OK, "OK"), 0, wxALL | wxALIGN_RIGHT, 8);
    SetSizerAndFit(top);
    CentreOnParent();
}
