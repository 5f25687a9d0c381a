#pragma once

#include "game/world/resources/IEditorListener.h"
#include "game/world/resources/IEditorSelectionPage.h"
#include "game/world/resources/IResourceHost.h"
#include "support/EngineFakes.h"

#include <utility>
#include <vector>

class FakePage : public IEditorSelectionPage {};

class RecordingListener : public IEditorListener {
public:
    std::vector<std::pair<IEditorSelectionPage*, IResource*>> items;

    IEditorSelectionPage* AddSelectionPage(const char16_t*) override { return nullptr; }
    void AddSelectionItem(IEditorSelectionPage* page, IResource* item) override { items.push_back({page, item}); }
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
