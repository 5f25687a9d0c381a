#pragma once

#include <wx/panel.h>

#include <string>

class MiniMapWindow;
class SelectionPage;
class wxNotebook;

// The side bar's contents: the minimap at the top and the palette pages in
// tabs below it.
class EditorTab : public wxPanel {
public:
    explicit EditorTab(wxWindow* parent);
    ~EditorTab() override;

    // A new page with a tab of that title at the end; the first page made
    // is shown. index: the tab's index.
    SelectionPage* AddPage(const std::u16string& title, int* index);
    MiniMapWindow* GetMiniMap() { return miniMap_; }
    wxNotebook* GetNotebook() { return tabs_; }

private:
    void OnSize(wxSizeEvent& e);
    void Layout_();

    MiniMapWindow* miniMap_;
    wxNotebook* tabs_;
};

// The bar the side bar docks as: the tab window less a margin on every side.
class SideBar : public wxPanel {
public:
    explicit SideBar(wxWindow* parent);
    EditorTab* GetTab() { return tab_; }

private:
    EditorTab* tab_;
};
