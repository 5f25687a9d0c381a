#include "editor/panels/EditorListener.h"

#include "editor/panels/EditorTab.h"
#include "editor/panels/SelectionPage.h"

EditorListener& TheEditorListener()
{
    static EditorListener listener;
    return listener;
}

void EditorSelectionPage::AddItem(IResource* resource)
{
    if (page_ && resource)
        page_->AddItem(resource);
}

IEditorSelectionPage* EditorListener::AddSelectionPage(const char16_t* title)
{
    if (!tab_)
        return nullptr;
    const std::u16string text = title ? title : u"";
    int index = 0;
    SelectionPage* page = tab_->AddPage(text, &index);
    pages_.push_back(std::make_unique<EditorSelectionPage>(index, page));
    titles_.push_back(text);
    return pages_.back().get();
}

void EditorListener::AddSelectionItem(IEditorSelectionPage* page, IResource* item)
{
    // Only pages this listener made; the game may hand back anything.
    for (auto& own : pages_)
        if (own.get() == page)
            own->AddItem(item);
}

void EditorListener::SetTab(EditorTab* tab)
{
    tab_ = tab;
    if (!tab)
        for (auto& page : pages_)
            page->Forget();
}

EditorSelectionPage* EditorListener::FindPage(const std::u16string& title)
{
    for (size_t i = 0; i < pages_.size(); ++i)
        if (titles_[i] == title)
            return pages_[i].get();
    return nullptr;
}
