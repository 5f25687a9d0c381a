#pragma once

// A page of the level editor's side panel; the game library only keeps the
// handle and hands it back.
class IEditorSelectionPage {
public:
    virtual ~IEditorSelectionPage() {}
};
