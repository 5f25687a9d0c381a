#pragma once

#include "editor/panels/PaletteList.h"

#include <wx/panel.h>

#include <vector>

class IResource;

// The data format of a palette item dragged out of its list: "page item",
// the indexes of the page and of the item in it.
extern const char* const kPaletteItemFormat;

// The resource becomes the game's selected one and its tool is chosen: the
// block brush for floors and walls, the object tool for the rest.
void PickResource(IResource* resource);
// The label as the list shows it.
wxString LabelOf(IResource* resource);

// One palette page: the 64 x 64 thumbnails of the resources the game
// added, from which a resource is picked, renamed or dragged to the
// Clipboard window.
class SelectionPage : public wxPanel {
public:
    SelectionPage(wxWindow* parent, int pageIndex);

    void AddItem(IResource* resource);
    int GetItemCount() const { return list_->GetCount(); }
    IResource* GetResource(long item) const;
    // The first item with this label, -1 when none.
    long FindItem(const wxString& label) const;
    // As a double click on the item does.
    bool PickItem(long item);
    // As a label edit ending with this text does; false when refused.
    bool Rename(long item, const wxString& typed);
    PaletteList* GetList() { return list_; }

private:
    void OnSize(wxSizeEvent& e);
    void Drag(int item);

    int pageIndex_;
    PaletteList* list_;
    std::vector<IResource*> resources_;
};
