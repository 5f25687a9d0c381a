#pragma once

#include "game/shell/editor/EditorEntries.h"
#include "game/shell/editor/IEditorUI.h"
#include "game/shell/editor/ObjectBrush.h"
#include "game/world/geometry/TileSize.h"
#include "game/world/resources/IResourceHost.h"

#include <cstdint>
#include <list>
#include <memory>
#include <vector>

class EditorCamera;
class World;
class Game;
class IEditorListener;
class IEditorSelectionPage;
class IFile;
class IRenderer;
class IResource;

// The level-editing logic behind IEditorUI: the game's own world is edited,
// the placed objects and lights are kept in the editor's lists, and each
// window the editor names has a camera of its own.
class EditorUI : public IEditorUI {
public:
    enum Tool {
        NoTool = 0,
        PanTool = 1,
        BlockBrush = 2,
        ObjectTool = 3,
        MoveTool = 4,
        LightAreaTool = 7,
        ScatterBrush = 8,
        FillTool = 9,
        LightTool = 10,
    };
    static constexpr int kMaxBrushSize = 10;
    // Drawing is held to one per this many milliseconds.
    static constexpr unsigned kDrawInterval = 20;

    explicit EditorUI(Game* game);
    ~EditorUI() override;
    EditorUI(const EditorUI&) = delete;
    EditorUI& operator=(const EditorUI&) = delete;

    IAudio* GetAudio() override;
    void Shutdown() override;
    int GetTool() override { return tool_; }
    void SetViewSize(int width, int height) override;
    void SetListener(IEditorListener* listener) override { listener_ = listener; }
    void Start(WindowHandle window) override;
    bool Update() override;
    void NewLevel() override;
    void ResizeLevel(int width, int height, int left, int top) override;
    bool AttachInput(WindowHandle window) override;
    bool DetachInput() override;
    bool IsInputAttached() override { return inputAttached_; }
    ILightBox* GetLightBoxAtCursor() override;
    ILight* GetSelectedLight() override;

    const char16_t* GetLevelName() override;
    void SetLevelName(const char16_t* name) override;
    int GetGameMode() override;
    void SetGameMode(int mode) override;
    void GetLevelSize(int* width, int* height) override;
    void GetUsedArea(int* left, int* top, int* right, int* bottom) override;
    bool GetCompressBlocks() override;
    void SetCompressBlocks(bool on) override;
    bool SaveLevel(int fileDescriptor) override;
    bool LoadLevelByName(const char16_t* path) override;
    bool LoadLevel(int fileDescriptor) override;

    bool SelectPanTool() override;
    bool SelectBlockBrush() override;
    bool SelectBlockTool() override;
    bool SelectObjectTool() override;
    bool SelectMoveTool() override;
    bool SelectLightAreaTool() override;
    bool SelectScatterBrush() override;
    bool SelectFillTool() override;
    bool SelectLightTool() override;
    void SetScatterOptions(bool angleJitter, int radius, int count, int range) override;
    void AddClipboardItem(int definitionId) override { scatter_.AddClipboardItem(definitionId); }
    void RemoveClipboardItem(int definitionId) override { scatter_.RemoveClipboardItem(definitionId); }
    void SetLighting(int mode) override;
    int GetLighting() override;

    bool MouseMove(IEditorView* view, float x, float y) override;
    bool LeftButtonDown(IEditorView* view, float x, float y) override;
    bool LeftButtonUp(IEditorView* view, float x, float y) override;
    bool RightButtonDown(IEditorView* view, float x, float y) override;
    bool RightButtonUp(IEditorView* view, float x, float y) override;
    bool KeyDown(IEditorView* view, unsigned key) override;
    bool KeyUp(IEditorView* view, unsigned key) override;
    bool NeedsRedraw() override { return false; }

    bool MiniMapTick(WindowHandle window) override;
    void CenterViewOnMiniMap(int x, int y) override;
    bool MiniMapChanged() override;
    void RenderMiniMap(WindowHandle window) override;
    void DrawMiniMap(WindowHandle window, int width, int height) override;

    void Draw(WindowHandle window) override;
    bool IsStarted(int, int) override { return started_; }

    void RenderGameMap() override;
    void DrawGameMap(WindowHandle window, int width, int height) override;
    void ReleaseWindow(WindowHandle window) override;
    bool ExportGameMap(const char16_t* path) override;
    bool ImportGameMap(const char16_t* path) override;
    bool TakeLevelEdit() override;
    bool HasBlocks() override;

    // For the game: the palette pages, the listener once started, and the
    // view drawing's overlays.
    bool IsRunning() const { return started_; }
    IEditorListener* GetListener() { return listener_; }
    IEditorSelectionPage* GetPage(IResourceHost::Page page) const { return pages_[page]; }
    void SetPage(IResourceHost::Page page, IEditorSelectionPage* made) { pages_[page] = made; }
    void DrawOverlays(IRenderer* renderer, int screenWidth, int screenHeight);
    // True the first time a view is drawn: the shaders and the object
    // buffers are made then.
    bool TakeFirstView()
    {
        const bool first = !viewReady_;
        viewReady_ = true;
        return first;
    }
    int GetViewWidth() const { return viewWidth_; }
    int GetViewHeight() const { return viewHeight_; }
    // The current camera, which the scene's camera follows.
    EditorCamera* GetCamera() { return camera_; }
    // The game-map picture flag: the level holds a current picture.
    bool HasPicture() const { return picture_; }
    void SetPicture(bool held) { picture_ = held; }
    const std::list<EditorObjectEntry>& GetPlacedObjects() const { return objects_; }
    const std::list<EditorLightEntry>& GetPlacedLights() const { return lights_; }
    // Empties the editor's level: entries, world objects, sounds, bodies.
    void EmptyLevelState();
    // Records of a level file read whole (the level loader's callbacks).
    void PlaceObject(int definitionId, float x, float y, float angle);
    void PlaceLight(int tag, int type, float x, float y, float angle, float size, float power, float r, float g,
                    float b);

private:
    friend class EditorLevelShell;

    // Edits of the level (EditorEdits.cpp): what an input call changed.
    // The placed objects, lights and light areas as one number.
    uint64_t PlacedDigest() const;
    // Watches one input call: the level is edited when its placed things
    // came out other than they went in (the tiles note their own changes).
    class EditWatch {
    public:
        explicit EditWatch(EditorUI& ui) : ui_(ui), before_(ui.PlacedDigest()) {}
        ~EditWatch()
        {
            if (ui_.PlacedDigest() != before_)
                ui_.levelEdited_ = true;
        }
        EditWatch(const EditWatch&) = delete;
        EditWatch& operator=(const EditWatch&) = delete;

    private:
        EditorUI& ui_;
        uint64_t before_;
    };
    // One cell painted through the world; an edit when the cell changed.
    void PutTile(World* world, int x, int y, int block, int variant);
    // The world's flood fill, or its outline of the region; an edit when it
    // changed a cell.
    void FillWorld(World* world, int x, int y, int block, bool outline);

    // Input routing (EditorUI.cpp).
    void SelectCamera(IEditorView* view);
    void SelectCamera(WindowHandle window);
    void MoveCamera(float dx, float dy);
    float CursorX() const;
    float CursorY() const;
    bool HandlePanMove(IEditorView* view);
    bool HandleEdgeScroll();
    void WarpCursor(IEditorView* view, int x, int y);

    // Tools (EditorTools.cpp and EditorMoveTool.cpp).
    void ChangeTool(int tool);
    bool ToolMove(IEditorView* view);
    // What every button event does first; false when there is no session
    // or view to take it.
    bool ButtonEvent(IEditorView* view, float x, float y);
    bool ToolLeftDown(IEditorView* view);
    bool ToolLeftUp(IEditorView* view);
    bool ToolRightDown(IEditorView* view);
    bool ToolKeyDown(IEditorView* view, unsigned key);
    bool ToolKeyUp(unsigned key);
    bool SelectedIsBlock();
    bool SelectedIsNonBlock();
    int SelectedBlock();
    void UpdateHoverCell();
    bool PaintAt(int tileX, int tileY, int variant);
    void EraseBrushSquare();
    void ApplyLineOrRect();
    bool ObjectToolMove();
    bool ScatterMove();
    bool LightAreaMove();
    bool LightAreaRelease();
    void DeleteLightAreasAtStart();
    void PlaceNewLight();
    bool MoveToolHover();
    bool MoveToolPress();
    bool MoveToolDrag(IEditorView* view);
    bool MoveToolRightPress(IEditorView* view);
    bool RotateSelected(int step);
    bool DeleteSelected();
    bool CloneSelectedLight();
    bool ResizeSelectedLights(float step);

    // Level files (EditorLevel.cpp).
    bool LoadFrom(IFile* file);

    Game* game_;
    IEditorListener* listener_ = nullptr;
    IEditorSelectionPage* pages_[3] = {};
    bool started_ = false;
    int mouseX_ = 0, mouseY_ = 0;
    float cursorX_ = 0.0f, cursorY_ = 0.0f; // view pixels, as the host gave them
    int anchorX_ = 0, anchorY_ = 0;
    float scatterX_ = 0.0f, scatterY_ = 0.0f;
    float lastScatterX_ = 0.0f, lastScatterY_ = 0.0f;
    float previewX_ = -1.0f, previewY_ = -1.0f;
    float newLightSize_ = 256.0f;
    int moveOffsetX_ = 0, moveOffsetY_ = 0;
    int lastPaintedX_ = -1, lastPaintedY_ = -1;
    int areaStartX_ = -1, areaStartY_ = -1, areaEndX_ = -1, areaEndY_ = -1;
    int objectAngle_ = 0;
    int heldVariant_ = -1;
    unsigned heldVariantKey_ = 0;
    int dragStartX_ = 0, dragStartY_ = 0, dragEndX_ = 0, dragEndY_ = 0;
    bool rectDrag_ = false, lineDrag_ = false;
    bool shiftHeld_ = false, ctrlHeld_ = false, rHeld_ = false, xHeld_ = false, yHeld_ = false;
    bool altJustPressed_ = false;
    bool lightAreaDrag_ = false;
    bool redrawPending_ = false;
    float panTime_ = 0.0f;
    bool inputAttached_ = false;
    bool leftDown_ = false, rightDown_ = false;
    bool panDrag_ = false, spacePan_ = false;
    bool viewMoved_ = false;
    // A cursor warp's own motion event, which is no movement of the mouse.
    bool warpPending_ = false;
    int warpX_ = 0, warpY_ = 0;
    int minimapIdle_ = 0;
    // A level opened, made or resized: the minimap is drawn at its next
    // tick, not after the quiet ticks that edits wait for.
    bool minimapDue_ = false;
    // Edge scrolling of a line or rectangle drag begins once the pointer
    // has been away from the edges: a drag started there stays put.
    bool edgeScrollArmed_ = false;
    bool levelEdited_ = false;
    bool drawnOnce_ = false;
    bool viewReady_ = false;
    uint64_t lastDraw_ = 0;
    int tool_ = NoTool;
    // The palette's hover cell (world pixels, a multiple of 32; -1 none)
    // and the block brush's size in tiles.
    int hoverX_ = -1, hoverY_ = -1;
    int brushSize_ = 1;
    int viewWidth_ = 1024, viewHeight_ = 768;
    bool picture_ = false;
    ObjectBrush objectBrush_;
    ObjectBrush scatter_;
    std::list<EditorObjectEntry> objects_;
    std::list<EditorLightEntry> lights_;
    std::vector<std::unique_ptr<EditorCamera>> cameras_;
    EditorCamera* camera_ = nullptr;
};
