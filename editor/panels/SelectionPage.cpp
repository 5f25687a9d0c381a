#include "editor/panels/SelectionPage.h"

#include "editor/EditorProgram.h"
#include "editor/panels/ResourceNames.h"
#include "editor/panels/Thumbnail.h"
#include "game/shell/editor/IEditorUI.h"
#include "game/world/resources/IResource.h"
#include "platform/ui/Ui.h"
#include "platform/ui/wx/WxText.h"

#include <wx/dataobj.h>
#include <wx/dnd.h>
#include <wx/notebook.h>

const char* const kPaletteItemFormat = "application/x-vornhal-palette-item";

namespace {

constexpr int kMargin = 5;
constexpr int kFloorClass = 13;
constexpr int kWallClass = 14;

} // namespace

void PickResource(IResource* resource)
{
    IEditorUI* ui = Program().ui;
    if (!resource || !ui)
        return;
    resource->SelectInManager();
    const int cls = resource->GetClassId();
    const bool redraw = (cls == kFloorClass || cls == kWallClass) ? ui->SelectBlockTool() : ui->SelectObjectTool();
    if (redraw)
        DrawView();
}

wxString LabelOf(IResource* resource) { return Ui::ToWx(resource ? resource->GetName() : u""); }

SelectionPage::SelectionPage(wxWindow* parent, int pageIndex) : wxPanel(parent), pageIndex_(pageIndex)
{
    list_ = new PaletteList(this);
    list_->SetSize(kMargin, kMargin, 160, 160);
    list_->onPick = [this](int item) { PickResource(GetResource(item)); };
    list_->onRename = [this](int item, const wxString& typed) { return Rename(item, typed); };
    list_->onDrag = [this](int item) { Drag(item); };
    Bind(wxEVT_SIZE, &SelectionPage::OnSize, this);
}

void SelectionPage::AddItem(IResource* resource)
{
    list_->Append(MakeThumbnail(resource, list_->GetBackgroundColour()), LabelOf(resource));
    resources_.push_back(resource);
}

IResource* SelectionPage::GetResource(long item) const
{
    return item >= 0 && size_t(item) < resources_.size() ? resources_[size_t(item)] : nullptr;
}

long SelectionPage::FindItem(const wxString& label) const
{
    for (int i = 0; i < list_->GetCount(); ++i)
        if (list_->GetLabel(i) == label)
            return i;
    return -1;
}

bool SelectionPage::PickItem(long item)
{
    if (!GetResource(item))
        return false;
    // A person picks from the page shown.
    if (auto* book = dynamic_cast<wxNotebook*>(GetParent()); book && book->FindPage(this) != wxNOT_FOUND)
        book->SetSelection(size_t(book->FindPage(this)));
    list_->Select(int(item));
    PickResource(GetResource(item));
    return true;
}

void SelectionPage::OnSize(wxSizeEvent& e)
{
    const wxSize size = GetClientSize();
    if (size.x > 4 * kMargin && size.y > 4 * kMargin)
        list_->SetSize(kMargin, kMargin, size.x - 2 * kMargin, size.y - 2 * kMargin);
    e.Skip();
}

bool SelectionPage::Rename(long item, const wxString& typed)
{
    IResource* resource = GetResource(item);
    const std::string text = Ui::FromWx(typed);
    if (!resource || text.empty())
        return false;
    if (!ResourceNames::Acceptable(text)) {
        Ui::ShowMessage(u"Error!", u"A name must have 1 to 64 characters, without quotes or control characters.",
                        Ui::Icon::Error);
        return false;
    }
    resource->SetName(ResourceNames::FromTyped(text).c_str());
    // The typed text, not the name read back: the script keeps one byte a unit.
    list_->SetLabel(int(item), typed);
    return true;
}

void SelectionPage::Drag(int item)
{
    if (!GetResource(item))
        return;
    wxCustomDataObject data{wxDataFormat(kPaletteItemFormat)};
    const wxString text = wxString::Format("%d %d", pageIndex_, item);
    const wxScopedCharBuffer bytes = text.utf8_str();
    data.SetData(bytes.length(), bytes.data());
    wxDropSource source(data, list_);
    source.DoDragDrop(wxDrag_CopyOnly);
}
