#pragma once

#include "game/world/resources/IEditorListener.h"
#include "game/world/resources/IEditorSelectionPage.h"

#include <memory>
#include <string>
#include <vector>

class EditorTab;
class SelectionPage;

// A palette page as the game library holds it: its tab and its list.
class EditorSelectionPage : public IEditorSelectionPage {
public:
    EditorSelectionPage(int tabIndex, SelectionPage* page) : tabIndex_(tabIndex), page_(page) {}
    void AddItem(IResource* resource);
    int GetTabIndex() const { return tabIndex_; }
    // Null once the side bar is gone.
    SelectionPage* GetPage() const { return page_; }
    void Forget() { page_ = nullptr; }

private:
    int tabIndex_;
    SelectionPage* page_;
};

// The editor's side of the palettes: the game library makes the pages
// "Floors", "Walls" and "Objects" through it and fills them.
class EditorListener : public IEditorListener {
public:
    IEditorSelectionPage* AddSelectionPage(const char16_t* title) override;
    void AddSelectionItem(IEditorSelectionPage* page, IResource* item) override;

    // The side bar's tab window; null when it goes, which leaves the pages
    // without their lists.
    void SetTab(EditorTab* tab);
    // A page by its tab's title, null when there is none.
    EditorSelectionPage* FindPage(const std::u16string& title);
    int GetPageCount() const { return int(pages_.size()); }
    EditorSelectionPage* GetPageAt(int i) { return pages_[size_t(i)].get(); }

private:
    EditorTab* tab_ = nullptr;
    std::vector<std::unique_ptr<EditorSelectionPage>> pages_;
    std::vector<std::u16string> titles_;
};

EditorListener& TheEditorListener();
