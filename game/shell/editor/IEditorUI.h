#pragma once

class IAudio;
class IEditorListener;
class IEditorView;
class ILight;
class ILightBox;

// The whole level-editing logic of the game library. The editor program
// owns the windows and forwards every event here; window handles are X11
// window ids. Mouse and key operations take the view the event came from
// and answer whether it must be drawn again; before Start they do nothing
// and answer false. Strings returned are borrowed. The order of the
// operations is the interface.
class IEditorUI {
public:
    using WindowHandle = unsigned long;

    virtual ~IEditorUI() {}
    // The game's audio; null while the game has no game state.
    virtual IAudio* GetAudio() = 0;
    // Stops editing and shuts the game down.
    virtual void Shutdown() = 0;
    virtual int GetTool() = 0;
    virtual void SetViewSize(int width, int height) = 0;
    virtual void SetListener(IEditorListener* listener) = 0;
    virtual void Start(WindowHandle window) = 0;
    // Called by the editor's 20 ms timer; true when the view must be drawn.
    virtual bool Update() = 0;
    virtual void NewLevel() = 0;
    virtual void ResizeLevel(int width, int height, int left, int top) = 0;
    virtual bool AttachInput(WindowHandle window) = 0;
    virtual bool DetachInput() = 0;
    virtual bool IsInputAttached() = 0;
    // The world's light box, or null.
    virtual ILightBox* GetLightBoxAtCursor() = 0;
    // The registry's light, or null.
    virtual ILight* GetSelectedLight() = 0;

    // The level as a whole.
    virtual const char16_t* GetLevelName() = 0;
    // Keeps the first 64 characters.
    virtual void SetLevelName(const char16_t* name) = 0;
    virtual int GetGameMode() = 0;
    virtual void SetGameMode(int mode) = 0;
    virtual void GetLevelSize(int* width, int* height) = 0;
    virtual void GetUsedArea(int* left, int* top, int* right, int* bottom) = 0;
    virtual bool GetCompressBlocks() = 0;
    virtual void SetCompressBlocks(bool on) = 0;
    // The caller opened the file and closes it; false when nothing was written.
    virtual bool SaveLevel(int fileDescriptor) = 0;
    virtual bool LoadLevelByName(const char16_t* path) = 0;
    virtual bool LoadLevel(int fileDescriptor) = 0;

    // Tools; each selection answers true.
    virtual bool SelectPanTool() = 0;
    virtual bool SelectBlockBrush() = 0;
    // A palette pick: the fill tool stays when it is the current one.
    virtual bool SelectBlockTool() = 0;
    virtual bool SelectObjectTool() = 0;
    virtual bool SelectMoveTool() = 0;
    virtual bool SelectLightAreaTool() = 0;
    virtual bool SelectScatterBrush() = 0;
    virtual bool SelectFillTool() = 0;
    virtual bool SelectLightTool() = 0;
    virtual void SetScatterOptions(bool angleJitter, int radius, int count, int range) = 0;
    virtual void AddClipboardItem(int definitionId) = 0;
    virtual void RemoveClipboardItem(int definitionId) = 0;
    // 0 noon, 1 evening, 2 night.
    virtual void SetLighting(int mode) = 0;
    virtual int GetLighting() = 0;

    // Input of one view.
    virtual bool MouseMove(IEditorView* view, float x, float y) = 0;
    virtual bool LeftButtonDown(IEditorView* view, float x, float y) = 0;
    virtual bool LeftButtonUp(IEditorView* view, float x, float y) = 0;
    virtual bool RightButtonDown(IEditorView* view, float x, float y) = 0;
    virtual bool RightButtonUp(IEditorView* view, float x, float y) = 0;
    // Key codes are the editor's key table's (game/shell/editor/EditorKeys.h).
    virtual bool KeyDown(IEditorView* view, unsigned key) = 0;
    virtual bool KeyUp(IEditorView* view, unsigned key) = 0;
    virtual bool NeedsRedraw() = 0;

    // The minimap window.
    virtual bool MiniMapTick(WindowHandle window) = 0;
    virtual void CenterViewOnMiniMap(int x, int y) = 0;
    virtual bool MiniMapChanged() = 0;
    virtual void RenderMiniMap(WindowHandle window) = 0;
    virtual void DrawMiniMap(WindowHandle window, int width, int height) = 0;

    virtual void Draw(WindowHandle window) = 0;
    virtual bool IsStarted(int, int) = 0;

    // The game-map picture stored in every level.
    virtual void RenderGameMap() = 0;
    virtual void DrawGameMap(WindowHandle window, int width, int height) = 0;
    virtual void ReleaseWindow(WindowHandle window) = 0;
    virtual bool ExportGameMap(const char16_t* path) = 0;
    virtual bool ImportGameMap(const char16_t* path) = 0;

    // True once after mouse or key input changed the level (its tiles,
    // placed objects, lights or light areas); a click that only selects,
    // pans or changes nothing leaves it false.
    virtual bool TakeLevelEdit() = 0;
    // Whether any cell holds a block: an empty level's used area is its
    // whole grid, yet no size cuts anything from it.
    virtual bool HasBlocks() = 0;
};
