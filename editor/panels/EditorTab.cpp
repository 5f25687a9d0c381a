#include "editor/panels/EditorTab.h"

#include "editor/CMainFrame.h"
#include "editor/EditorProgram.h"
#include "editor/panels/EditorListener.h"
#include "editor/panels/MiniMapWindow.h"
#include "editor/panels/SelectionPage.h"
#include "platform/ui/wx/WxText.h"

#include <wx/notebook.h>
#include <wx/sizer.h>

#include <algorithm>

namespace {

constexpr int kBarMargin = 10;
constexpr int kMiniMapSide = 200;
constexpr int kTabsTop = 205;
constexpr int kMinPage = 64;
// What the toolkit adds to a tab's title on either side, and the tab row's
// own edges: the common themes stay within these.
constexpr int kTabPadding = 24;
constexpr int kTabRowEdges = 8;

} // namespace

EditorTab::EditorTab(wxWindow* parent) : wxPanel(parent)
{
    miniMap_ = new MiniMapWindow(this);
    tabs_ = new wxNotebook(this, wxID_ANY);
    Bind(wxEVT_SIZE, &EditorTab::OnSize, this);
    Program().tab = this;
    TheEditorListener().SetTab(this);
}

EditorTab::~EditorTab()
{
    TheEditorListener().SetTab(nullptr);
    if (Program().tab == this)
        Program().tab = nullptr;
}

SelectionPage* EditorTab::AddPage(const std::u16string& title, int* index)
{
    *index = int(tabs_->GetPageCount());
    auto* page = new SelectionPage(tabs_, *index);
    page->GetList()->SetName(Ui::ToWx(title));
    tabs_->AddPage(page, Ui::ToWx(title), *index == 0);
    Layout_();
    // Every tab in sight at the bar's width: hidden tabs behind the row's
    // arrows are tabs nobody finds.
    int row = kTabRowEdges;
    for (size_t i = 0; i < tabs_->GetPageCount(); ++i)
        row += tabs_->GetTextExtent(tabs_->GetPageText(i)).x + 2 * kTabPadding;
    if (CMainFrame* frame = Program().frame)
        frame->WidenSideBar(row + 2 * kBarMargin);
    return page;
}

void EditorTab::OnSize(wxSizeEvent& e)
{
    Layout_();
    e.Skip();
}

void EditorTab::Layout_()
{
    const wxSize size = GetClientSize();
    // Not laid out before the bar has its size: the toolkit's scroll bars
    // take no size below their arrows.
    if (size.x < kMinPage || size.y < kTabsTop + kMinPage)
        return;
    miniMap_->SetSize(0, 0, std::min(size.x, kMiniMapSide), kMiniMapSide);
    tabs_->SetSize(0, kTabsTop, size.x, size.y - kTabsTop);
}

SideBar::SideBar(wxWindow* parent) : wxPanel(parent)
{
    tab_ = new EditorTab(this);
    auto* sizer = new wxBoxSizer(wxVERTICAL);
    sizer->Add(tab_, 1, wxEXPAND | wxALL, kBarMargin);
    SetSizer(sizer);
}
