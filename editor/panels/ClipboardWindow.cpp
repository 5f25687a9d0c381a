#include "editor/panels/ClipboardWindow.h"

#include "editor/EditorProgram.h"
#include "editor/SystemText.h"
#include "editor/panels/EditorListener.h"
#include "editor/panels/SelectionPage.h"
#include "editor/panels/Thumbnail.h"
#include "game/shell/editor/IEditorUI.h"
#include "game/world/resources/IResource.h"
#include "platform/ui/wx/WxText.h"

#include <wx/checkbox.h>
#include <wx/dataobj.h>
#include <wx/dnd.h>
#include <wx/listctrl.h>
#include <wx/sizer.h>
#include <wx/spinbutt.h>
#include <wx/stattext.h>
#include <wx/textctrl.h>

#include <algorithm>
#include <cstdio>

namespace {

constexpr int kListTop = 60;
const char* const kFieldLabels[ClipboardModel::kFields] = {"Scatter:", "Count:", "Range:"};
const char* const kFieldDefaults[ClipboardModel::kFields] = {"200", "2", "32"};

// Palette items dropped on the list.
class PaletteDrop : public wxDropTarget {
public:
    explicit PaletteDrop(ClipboardWindow* owner)
        : wxDropTarget(new wxCustomDataObject(wxDataFormat(kPaletteItemFormat))), owner_(owner)
    {
    }

    wxDragResult OnData(wxCoord, wxCoord, wxDragResult result) override
    {
        if (!GetData())
            return wxDragNone;
        auto* data = static_cast<wxCustomDataObject*>(GetDataObject());
        const std::string text(static_cast<const char*>(data->GetData()), data->GetSize());
        int page = -1;
        long item = -1;
        // Only items of the editor's own pages are taken.
        if (std::sscanf(text.c_str(), "%d %ld", &page, &item) != 2 || page < 0 ||
            page >= TheEditorListener().GetPageCount())
            return wxDragNone;
        SelectionPage* list = TheEditorListener().GetPageAt(page)->GetPage();
        IResource* resource = list ? list->GetResource(item) : nullptr;
        if (!resource)
            return wxDragNone;
        owner_->AddResource(resource);
        return result;
    }

private:
    ClipboardWindow* owner_;
};

} // namespace

ClipboardWindow::ClipboardWindow(wxWindow* parent)
    : wxDialog(parent, wxID_ANY, "Clipboard", wxDefaultPosition, wxSize(440, 340),
               wxCAPTION | wxRESIZE_BORDER | wxCLOSE_BOX),
      images_(kThumbnailSize, kThumbnailSize, false, 1)
{
    // The list first: it has the keyboard when the window opens.
    list_ = new wxListCtrl(this, wxID_ANY, wxPoint(0, kListTop), wxSize(300, 240),
                           wxLC_ICON | wxLC_SINGLE_SEL | wxLC_AUTOARRANGE | wxVSCROLL);
    auto* fields = new wxFlexGridSizer(4, 4, 2);
    for (int f = 0; f < ClipboardModel::kFields; ++f) {
        fields->Add(new wxStaticText(this, wxID_ANY, kFieldLabels[f]), 0, wxALIGN_CENTER_VERTICAL | wxLEFT, 4);
        edits_[f] = new wxTextCtrl(this, wxID_ANY, kFieldDefaults[f], wxDefaultPosition, wxSize(56, -1));
        edits_[f]->SetName(wxString(kFieldLabels[f]).BeforeLast(':'));
        spins_[f] = new wxSpinButton(this, wxID_ANY, wxDefaultPosition, wxDefaultSize, wxSP_ARROW_KEYS);
        spins_[f]->SetRange(-1, 1);
        spins_[f]->SetValue(0);
        spins_[f]->Bind(wxEVT_SPIN, &ClipboardWindow::OnSpin, this);
        edits_[f]->Bind(wxEVT_TEXT, &ClipboardWindow::OnText, this);
        edits_[f]->Bind(wxEVT_KILL_FOCUS, &ClipboardWindow::OnFieldLeft, this);
        auto* pair = new wxBoxSizer(wxHORIZONTAL);
        pair->Add(edits_[f], 0, wxALIGN_CENTER_VERTICAL);
        pair->Add(spins_[f], 0, wxALIGN_CENTER_VERTICAL);
        fields->Add(pair);
    }
    jitter_ = new wxCheckBox(this, wxID_ANY, "Angle jitter");
    jitter_->SetValue(true);
    jitter_->Bind(wxEVT_CHECKBOX, [this](wxCommandEvent&) { SendSettings(); });
    fields->Add(jitter_, 0, wxALIGN_CENTER_VERTICAL | wxLEFT, 4);
    // The settings at the top; the list is placed below them by hand.
    SetSizer(fields);
    fieldsHeight_ = fields->GetMinSize().y + 4;
    list_->SetImageList(&images_, wxIMAGE_LIST_NORMAL);
    list_->SetDropTarget(new PaletteDrop(this));
    list_->Bind(wxEVT_LIST_KEY_DOWN, &ClipboardWindow::OnListKey, this);
    list_->Bind(wxEVT_LIST_ITEM_SELECTED, &ClipboardWindow::OnSelected, this);
    list_->Bind(wxEVT_LIST_ITEM_ACTIVATED, &ClipboardWindow::OnActivated, this);
    Bind(wxEVT_SIZE, &ClipboardWindow::OnSize, this);
    Bind(wxEVT_BUTTON, &ClipboardWindow::OnCancel, this, wxID_CANCEL);
    Bind(wxEVT_CLOSE_WINDOW, &ClipboardWindow::OnClose, this);
    SetEscapeId(wxID_CANCEL);
    initialised_ = true;
    SendSettings();
    Program().clipboard = this;
}

ClipboardWindow::~ClipboardWindow()
{
    if (Program().clipboard == this)
        Program().clipboard = nullptr;
}

void ClipboardWindow::ToggleShown()
{
    Show(!IsShown());
    // The list has the keyboard first, where B hides the window again.
    if (IsShown())
        list_->SetFocus();
    DrawView();
}

bool ClipboardWindow::HasFocusInside() const
{
    for (wxWindow* w = wxWindow::FindFocus(); w; w = w->GetParent())
        if (w == this)
            return true;
    return false;
}

IResource* ClipboardWindow::ResourceAt(long item) const
{
    if (item < 0 || item >= list_->GetItemCount())
        return nullptr;
    return reinterpret_cast<IResource*>(list_->GetItemData(item));
}

void ClipboardWindow::AddResource(IResource* resource)
{
    IEditorUI* ui = Program().ui;
    if (!resource || !model_.Add(resource->GetId()))
        return;
    const int image = images_.Add(MakeThumbnail(resource, list_->GetBackgroundColour()));
    const long item = list_->InsertItem(list_->GetItemCount(), LabelOf(resource), image);
    list_->SetItemPtrData(item, wxUIntPtr(resource));
    // Kept in the order of the labels.
    list_->SortItems(
        [](wxIntPtr a, wxIntPtr b, wxIntPtr) {
            return LabelOf(reinterpret_cast<IResource*>(a)).CmpNoCase(LabelOf(reinterpret_cast<IResource*>(b)));
        },
        0);
    if (ui)
        ui->AddClipboardItem(resource->GetId());
}

void ClipboardWindow::RemoveSelected()
{
    const long item = list_->GetNextItem(-1, wxLIST_NEXT_ALL, wxLIST_STATE_SELECTED);
    IResource* resource = ResourceAt(item);
    if (!resource)
        return;
    if (IEditorUI* ui = Program().ui)
        ui->RemoveClipboardItem(resource->GetId());
    const int image = model_.Remove(resource->GetId());
    list_->DeleteItem(item);
    if (image < 0)
        return;
    images_.Remove(image);
    // The images after it moved down one place.
    for (long i = 0; i < list_->GetItemCount(); ++i) {
        wxListItem li;
        li.SetId(i);
        li.SetMask(wxLIST_MASK_IMAGE);
        if (list_->GetItem(li) && li.GetImage() > image)
            list_->SetItemImage(i, li.GetImage() - 1);
    }
}

void ClipboardWindow::TypeField(ClipboardModel::Field field, const wxString& text) { edits_[field]->SetValue(text); }

void ClipboardWindow::PressSpin(ClipboardModel::Field field, int direction)
{
    spins_[field]->SetValue(direction);
    wxSpinEvent e(wxEVT_SPIN, spins_[field]->GetId());
    e.SetEventObject(spins_[field]);
    e.SetPosition(direction);
    spins_[field]->GetEventHandler()->ProcessEvent(e);
}

bool ClipboardWindow::KeyOnItem(const wxString& label, int keyCode)
{
    const long item = list_->FindItem(-1, label);
    if (item < 0)
        return false;
    list_->SetItemState(item, wxLIST_STATE_SELECTED | wxLIST_STATE_FOCUSED,
                        wxLIST_STATE_SELECTED | wxLIST_STATE_FOCUSED);
    wxListEvent e(wxEVT_LIST_KEY_DOWN, list_->GetId());
    e.SetEventObject(list_);
    e.m_code = keyCode;
    e.m_itemIndex = item;
    list_->GetEventHandler()->ProcessEvent(e);
    return true;
}

void ClipboardWindow::SetAngleJitter(bool on)
{
    jitter_->SetValue(on);
    SendSettings();
}

void ClipboardWindow::SendSettings()
{
    IEditorUI* ui = Program().ui;
    if (!initialised_ || !ui)
        return;
    int values[ClipboardModel::kFields];
    for (int f = 0; f < ClipboardModel::kFields; ++f)
        values[f] = ClipboardModel::FieldValue(ClipboardModel::Field(f), SystemText(edits_[f]->GetValue()));
    ui->SetScatterOptions(jitter_->GetValue(), values[ClipboardModel::Scatter], values[ClipboardModel::Count],
                          values[ClipboardModel::Range]);
}

ClipboardModel::Field ClipboardWindow::FieldOf(wxObject* control) const
{
    for (int f = 0; f < ClipboardModel::kFields; ++f)
        if (control == edits_[f] || control == spins_[f])
            return ClipboardModel::Field(f);
    return ClipboardModel::Scatter;
}

void ClipboardWindow::OnSpin(wxSpinEvent& e)
{
    const ClipboardModel::Field f = FieldOf(e.GetEventObject());
    // The button rests at 0; its position says which arrow was pressed.
    const int delta = e.GetPosition() > 0 ? 1 : e.GetPosition() < 0 ? -1 : 0;
    spins_[f]->SetValue(0);
    if (!delta)
        return;
    const int now = ClipboardModel::FieldValue(f, SystemText(edits_[f]->GetValue()));
    edits_[f]->ChangeValue(wxString::Format("%d", ClipboardModel::Spin(f, now, delta)));
    SendSettings();
}

void ClipboardWindow::OnText(wxCommandEvent&) { SendSettings(); }

void ClipboardWindow::OnFieldLeft(wxFocusEvent& e)
{
    // What was typed is shown as the brush takes it.
    const ClipboardModel::Field f = FieldOf(e.GetEventObject());
    edits_[f]->ChangeValue(wxString::Format("%d", ClipboardModel::FieldValue(f, SystemText(edits_[f]->GetValue()))));
    e.Skip();
}

void ClipboardWindow::OnListKey(wxListEvent& e)
{
    if (e.GetKeyCode() == WXK_DELETE || e.GetKeyCode() == WXK_NUMPAD_DELETE) {
        RemoveSelected();
        return;
    }
    enterPressed_ = e.GetKeyCode() == WXK_RETURN || e.GetKeyCode() == WXK_NUMPAD_ENTER;
    e.Skip();
}

void ClipboardWindow::OnSelected(wxListEvent& e) { PickResource(ResourceAt(e.GetIndex())); }

void ClipboardWindow::OnActivated(wxListEvent& e)
{
    IResource* resource = ResourceAt(e.GetIndex());
    if (!enterPressed_) {
        PickResource(resource);
        return;
    }
    enterPressed_ = false;
    IEditorUI* ui = Program().ui;
    if (!resource || !ui)
        return;
    resource->SelectInManager();
    if (ui->SelectBlockTool())
        DrawView();
}

void ClipboardWindow::OnSize(wxSizeEvent& e)
{
    if (initialised_) {
        // The list below the settings, 60 pixels down or more when the
        // toolkit's controls are taller.
        const wxSize size = GetClientSize();
        const int top = std::max(kListTop, fieldsHeight_);
        if (size.y > top + 16)
            list_->SetSize(0, top, size.x, size.y - top);
    }
    e.Skip();
}

void ClipboardWindow::OnCancel(wxCommandEvent&) { ToggleShown(); }

void ClipboardWindow::OnClose(wxCloseEvent& e)
{
    // The window lives as long as the main frame; closing only hides it.
    if (e.CanVeto()) {
        e.Veto();
        Hide();
        return;
    }
    Destroy();
}
