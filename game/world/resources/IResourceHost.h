#pragma once

class IEditorListener;
class IEditorSelectionPage;
class IRenderer;
class IResource;

// What the resource manager needs of the game that owns it: the renderer
// the tiles draw with, and the editor's state that its hooks touch.
class IResourceHost {
public:
    enum Page { FloorsPage = 0, WallsPage = 1, ObjectsPage = 2 };

    virtual ~IResourceHost() {}
    // The engine's renderer; null in a build or a run without graphics.
    virtual IRenderer* GetRenderer() = 0;
    // The current-resource record: position in the manager (-1 none) and
    // the resource (null none).
    virtual void SetCurrentResource(int position, IResource* resource) = 0;
    // False while there is no editor interface.
    virtual bool HasEditor() = 0;
    virtual void SelectBlockTool() = 0;
    virtual void SelectObjectTool() = 0;
    // The editor's listener once the editor has started; null otherwise.
    virtual IEditorListener* GetStartedEditorListener() = 0;
    // The editor's page, or null.
    virtual IEditorSelectionPage* GetSelectionPage(Page page) = 0;
};
