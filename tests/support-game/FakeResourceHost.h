#pragma once

// The resource manager's side of the game and of the editor.

#include "game/world/resources/IEditorListener.h"
#include "game/world/resources/IEditorSelectionPage.h"
#include "game/world/resources/IResource.h"
#include "game/world/resources/IResourceHost.h"

#include <memory>
#include <string>
#include <utility>
#include <vector>

class FakePage : public IEditorSelectionPage {
public:
    std::u16string title;
    std::vector<IResource*> items;
};

// Makes the pages asked for; keeps every item added, on whichever page.
class RecordingListener : public IEditorListener {
public:
    IEditorSelectionPage* AddSelectionPage(const char16_t* title) override
    {
        pages.push_back(std::make_unique<FakePage>());
        pages.back()->title = title;
        return pages.back().get();
    }
    void AddSelectionItem(IEditorSelectionPage* page, IResource* item) override
    {
        items.push_back({page, item});
        for (auto& p : pages)
            if (p.get() == page)
                p->items.push_back(item);
    }
    // The item of that name on the page of that title.
    IResource* Find(const std::u16string& page, const std::u16string& name) const
    {
        for (const auto& p : pages)
            if (p->title == page)
                for (IResource* r : p->items)
                    if (name == r->GetName())
                        return r;
        return nullptr;
    }
    std::vector<std::unique_ptr<FakePage>> pages;
    std::vector<std::pair<IEditorSelectionPage*, IResource*>> items;
};

// The game's side of the manager: its renderer, its current-resource record
// and its editor.
class FakeHost : public IResourceHost {
public:
    IRenderer* renderer = nullptr;
    bool editor = false;
    IEditorListener* listener = nullptr;
    FakePage pages[3];

    int recordWrites = 0;
    int position = -2;
    IResource* current = nullptr;
    int blockTools = 0;
    int objectTools = 0;

    IRenderer* GetRenderer() override { return renderer; }
    void SetCurrentResource(int pos, IResource* resource) override
    {
        ++recordWrites;
        position = pos;
        current = resource;
    }
    bool HasEditor() override { return editor; }
    void SelectBlockTool() override { ++blockTools; }
    void SelectObjectTool() override { ++objectTools; }
    IEditorListener* GetStartedEditorListener() override { return editor ? listener : nullptr; }
    IEditorSelectionPage* GetSelectionPage(Page page) override { return &pages[page]; }
};
