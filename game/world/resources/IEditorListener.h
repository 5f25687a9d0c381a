#pragma once

class IEditorSelectionPage;
class IResource;

// The level editor's side panel as the game library fills it.
class IEditorListener {
public:
    virtual ~IEditorListener() {}
    // A new page of the editor's, with a tab of that title; null while the
    // editor has no side panel.
    virtual IEditorSelectionPage* AddSelectionPage(const char16_t* title) = 0;
    // Adds the resource, shown by its thumbnail and name, to one of the
    // editor's own pages; other pages are ignored.
    virtual void AddSelectionItem(IEditorSelectionPage* page, IResource* item) = 0;
};
