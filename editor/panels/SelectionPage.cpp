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

SelectionPage::SelectionPage(wxWindow* parent, int pageIndex)
    : wxPanel(parent), pageIndex_(pageIndex), images_(kThumbnailSize, kThumbnailSize, false, 1)
{
    list_ = new wxListCtrl(this, wxID_ANY, wxPoint(kMargin, kMargin), wxSize(160, 160),
                           wxLC_ICON | wxLC_SINGLE_SEL | wxLC_EDIT_LABELS | wxLC_AUTOARRANGE);
    list_->SetImageList(&images_, wxIMAGE_LIST_NORMAL);
    Bind(wxEVT_SIZE, &SelectionPage::OnSize, this);
    list_->Bind(wxEVT_LIST_ITEM_SELECTED, &SelectionPage::OnSelected, this);
    list_->Bind(wxEVT_LIST_ITEM_ACTIVATED, &SelectionPage::OnSelected, this);
    list_->Bind(wxEVT_LIST_END_LABEL_EDIT, &SelectionPage::OnEndLabelEdit, this);
    list_->Bind(wxEVT_LIST_BEGIN_DRAG, &SelectionPage::OnBeginDrag, this);
}

void SelectionPage::AddItem(IResource* resource)
{
    const int image = images_.Add(MakeThumbnail(resource, list_->GetBackgroundColour()));
    const long item = list_->InsertItem(list_->GetItemCount(), LabelOf(resource), image);
    list_->SetItemPtrData(item, wxUIntPtr(resource));
}

IResource* SelectionPage::GetResource(long item) const
{
    if (item < 0 || item >= list_->GetItemCount())
        return nullptr;
    return reinterpret_cast<IResource*>(list_->GetItemData(item));
}

long SelectionPage::FindItem(const wxString& label) const
{
    for (long i = 0; i < list_->GetItemCount(); ++i)
        if (list_->GetItemText(i) == label)
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
    list_->SetItemState(item, wxLIST_STATE_SELECTED | wxLIST_STATE_FOCUSED,
                        wxLIST_STATE_SELECTED | wxLIST_STATE_FOCUSED);
    wxListEvent e(wxEVT_LIST_ITEM_ACTIVATED, list_->GetId());
    e.SetEventObject(list_);
    e.SetIndex(item);
    list_->GetEventHandler()->ProcessEvent(e);
    return true;
}

void SelectionPage::OnSize(wxSizeEvent& e)
{
    const wxSize size = GetClientSize();
    if (size.x > 4 * kMargin && size.y > 4 * kMargin)
        list_->SetSize(kMargin, kMargin, size.x - 2 * kMargin, size.y - 2 * kMargin);
    e.Skip();
}

void SelectionPage::OnSelected(wxListEvent& e) { PickResource(GetResource(e.GetIndex())); }

void SelectionPage::OnEndLabelEdit(wxListEvent& e)
{
    IResource* resource = GetResource(e.GetIndex());
    if (e.IsEditCancelled() || !resource)
        return;
    const std::string typed = Ui::FromWx(e.GetLabel());
    if (typed.empty()) {
        e.Veto();
        return;
    }
    if (!ResourceNames::Acceptable(typed)) {
        e.Veto();
        Ui::ShowMessage(u"Error!", u"A name must have 1 to 64 characters, without quotes or control characters.",
                        Ui::Icon::Error);
        return;
    }
    resource->SetName(ResourceNames::FromTyped(typed).c_str());
}

void SelectionPage::OnBeginDrag(wxListEvent& e)
{
    if (!GetResource(e.GetIndex()))
        return;
    wxCustomDataObject data{wxDataFormat(kPaletteItemFormat)};
    const wxString text = wxString::Format("%d %ld", pageIndex_, e.GetIndex());
    const wxScopedCharBuffer bytes = text.utf8_str();
    data.SetData(bytes.length(), bytes.data());
    wxDropSource source(data, list_);
    source.DoDragDrop(wxDrag_CopyOnly);
}
