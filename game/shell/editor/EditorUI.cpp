#include "game/shell/editor/EditorUI.h"

#include "engine/core/IEngine.h"
#include "engine/render/IInput.h"
#include "engine/render/IRenderer.h"
#include "game/shell/client/Game.h"
#include "game/shell/editor/EditorCamera.h"
#include "game/shell/editor/EditorKeys.h"
#include "game/shell/editor/IEditorView.h"
#include "game/world/map/Light.h"
#include "game/world/map/World.h"
#include "game/world/system/GameSystem.h"

#include <algorithm>
#include <chrono>

namespace {

uint64_t NowMs()
{
    using namespace std::chrono;
    return uint64_t(duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count());
}

constexpr float kPanFactor = 4.0f;
constexpr float kPanFrameTime = 0.04f;
constexpr int kEdgeNear = 20;
constexpr int kEdgeFar = 10;

} // namespace

EditorUI::EditorUI(Game* game) : game_(game) {}

EditorUI::~EditorUI() = default;

IAudio* EditorUI::GetAudio() { return game_->GetAudio(); }

void EditorUI::Shutdown()
{
    started_ = false;
    // The previews and placed things are the world's, which goes now.
    if (game_->GetGameSystem()) {
        objectBrush_.Clear();
        scatter_.Clear();
    }
    objects_.clear();
    lights_.clear();
    game_->Shutdown();
}

void EditorUI::SetViewSize(int width, int height)
{
    viewWidth_ = std::max(width, 0);
    viewHeight_ = std::max(height, 0);
}

void EditorUI::Start(WindowHandle window)
{
    started_ = true;
    for (auto& page : pages_)
        page = nullptr;
    SelectCamera(window);
    game_->BuildEditorPalettes();
    // Objects take their sprites when they are made: the buffers come
    // first, on the window the editor set the renderer up on.
    if (GameSystem* game = game_->GetGameSystem())
        game->InitObjectRenderBuffers();
}

bool EditorUI::Update()
{
    if (!started_)
        return false;
    if (redrawPending_) {
        redrawPending_ = false;
        return true;
    }
    GameSystem* game = game_->GetGameSystem();
    IMultiplayerHandler* active = game ? game->GetActiveHandler() : nullptr;
    return active && (active == game->GetServerHandler() || active == game->GetClientHandler());
}

bool EditorUI::AttachInput(WindowHandle window)
{
    IInput* input = game_->GetEngine() ? game_->GetEngine()->GetInput() : nullptr;
    if (!input || !input->InitKeyboardForWindow(int(window)) || !input->InitMouseForWindow(int(window)))
        return false;
    inputAttached_ = true;
    return true;
}

bool EditorUI::DetachInput()
{
    if (IInput* input = game_->GetEngine() ? game_->GetEngine()->GetInput() : nullptr) {
        input->ReleaseMouse();
        input->ReleaseKeyboard();
    }
    inputAttached_ = false;
    return true;
}

ILightBox* EditorUI::GetLightBoxAtCursor()
{
    World* world = game_->GetWorld();
    for (int i = 0; world && i < world->GetLightBoxCount(); ++i) {
        World::LightBox* box = world->GetLightBox(i);
        if (box->Contains(float(areaStartX_), float(areaStartY_)))
            return box;
    }
    return nullptr;
}

ILight* EditorUI::GetSelectedLight()
{
    for (const EditorLightEntry& entry : lights_)
        if (entry.selected)
            return entry.light;
    return nullptr;
}

// ---- cameras -----------------------------------------------------------------

void EditorUI::SelectCamera(IEditorView* view) { SelectCamera(view ? view->GetWindowHandle() : 0); }

void EditorUI::SelectCamera(WindowHandle window)
{
    camera_ = nullptr;
    for (const auto& camera : cameras_)
        if (camera->window == window) {
            camera_ = camera.get();
            break;
        }
    if (!camera_) {
        cameras_.push_back(std::make_unique<EditorCamera>(window));
        camera_ = cameras_.back().get();
    }
    MoveCamera(0.0f, 0.0f);
}

void EditorUI::MoveCamera(float dx, float dy)
{
    if (!camera_)
        SelectCamera(WindowHandle(0));
    camera_->x += dx;
    camera_->y += dy;
    if (dx != 0.0f || dy != 0.0f)
        viewMoved_ = true;
    // The scene draws from the selected window's camera.
    if (GameSystem* game = game_->GetGameSystem()) {
        game->Camera().x = camera_->x;
        game->Camera().y = camera_->y;
    }
}

float EditorUI::CursorX() const { return (camera_ ? camera_->x : 0.0f) + float(mouseX_); }

float EditorUI::CursorY() const { return (camera_ ? camera_->y : 0.0f) + float(mouseY_); }

void EditorUI::WarpCursor(IEditorView* view, int x, int y)
{
    view->SetCursorPosition(x, y);
    warpPending_ = true;
    warpX_ = x;
    warpY_ = y;
}

// ---- input routing -----------------------------------------------------------

bool EditorUI::MouseMove(IEditorView* view, float x, float y)
{
    const EditWatch watch(*this);
    if (!started_ || inputAttached_ || !view)
        return false;
    SelectCamera(view);
    const int mx = int(x), my = int(y);
    // The motion a warp of the cursor makes moved nothing: counting it would
    // pan or turn back by what the warp undid.
    if (warpPending_ && mx == warpX_ && my == warpY_) {
        warpPending_ = false;
        mouseX_ = mx;
        mouseY_ = my;
        return false;
    }
    cursorX_ = x;
    cursorY_ = y;
    mouseX_ = mx;
    mouseY_ = my;
    view->SetCursorShape(spacePan_ ? 1 : 0);
    view->ShowCoordinates(int(std::max(CursorX(), 0.0f)) / kTileSize, int(std::max(CursorY(), 0.0f)) / kTileSize);
    if (IEngine* engine = game_->GetEngine()) {
        engine->UpdateFrameTime1();
        panTime_ += engine->GetFrameTime1();
    }
    if (leftDown_ || rightDown_)
        minimapIdle_ = 0;
    if (panDrag_)
        return HandlePanMove(view);
    if (spacePan_)
        return false;
    if (lineDrag_ || rectDrag_)
        return HandleEdgeScroll();
    return ToolMove(view);
}

bool EditorUI::HandlePanMove(IEditorView* view)
{
    const int dx = anchorX_ - mouseX_, dy = anchorY_ - mouseY_;
    MoveCamera(kPanFactor * float(dx), kPanFactor * float(dy));
    WarpCursor(view, anchorX_, anchorY_);
    mouseX_ = anchorX_;
    mouseY_ = anchorY_;
    const bool moved = dx != 0 || dy != 0;
    if (moved && panTime_ > kPanFrameTime) {
        panTime_ = 0.0f;
        return true;
    }
    // Drawn by the timer's next Update instead.
    redrawPending_ = true;
    return false;
}

namespace {
// An edge scroll stops where the view shows the level's edge (0 .. far); a
// view already past it, by a pan, is not pulled back.
float EdgeStep(float at, float step, float far)
{
    if (step > 0.0f)
        return std::max(0.0f, std::min(at + step, std::max(far, 0.0f)) - at);
    if (step < 0.0f)
        return std::min(0.0f, std::max(at + step, 0.0f) - at);
    return 0.0f;
}
} // namespace

bool EditorUI::HandleEdgeScroll()
{
    UpdateHoverCell();
    dragEndX_ = hoverX_ / kTileSize;
    dragEndY_ = hoverY_ / kTileSize;
    float dx = 0.0f, dy = 0.0f;
    if (mouseX_ < kEdgeNear)
        dx -= kTileSize;
    if (mouseY_ < kEdgeNear)
        dy -= kTileSize;
    if (mouseX_ > viewWidth_ - kEdgeFar)
        dx += kTileSize;
    if (mouseY_ > viewHeight_ - kEdgeFar)
        dy += kTileSize;
    // A drag begun at an edge would scroll with every move and carry its
    // line off the level: it scrolls once the pointer has left the edges.
    if (dx == 0.0f && dy == 0.0f)
        edgeScrollArmed_ = true;
    if (edgeScrollArmed_) {
        World* world = game_->GetWorld();
        const float x = camera_ ? camera_->x : 0.0f, y = camera_ ? camera_->y : 0.0f;
        const float levelW = world ? float(world->GetWidth() * kTileSize) : 0.0f;
        const float levelH = world ? float(world->GetHeight() * kTileSize) : 0.0f;
        MoveCamera(EdgeStep(x, dx, levelW - float(viewWidth_)), EdgeStep(y, dy, levelH - float(viewHeight_)));
    }
    return true;
}

bool EditorUI::ButtonEvent(IEditorView* view, float x, float y)
{
    if (!started_ || !view)
        return false;
    SelectCamera(view);
    mouseX_ = int(x);
    mouseY_ = int(y);
    view->SetCursorShape(spacePan_ ? 1 : 0);
    return true;
}

bool EditorUI::LeftButtonDown(IEditorView* view, float x, float y)
{
    const EditWatch watch(*this);
    if (!ButtonEvent(view, x, y))
        return false;
    leftDown_ = true;
    minimapIdle_ = 0;
    if (tool_ == PanTool || spacePan_) {
        panDrag_ = true;
        anchorX_ = mouseX_;
        anchorY_ = mouseY_;
        if (!spacePan_)
            view->CaptureMouse();
        return false;
    }
    if (shiftHeld_ || ctrlHeld_) {
        lineDrag_ = shiftHeld_;
        rectDrag_ = ctrlHeld_;
        edgeScrollArmed_ = false;
        dragStartX_ = dragEndX_ = hoverX_ / kTileSize;
        dragStartY_ = dragEndY_ = hoverY_ / kTileSize;
        return true;
    }
    return ToolLeftDown(view);
}

bool EditorUI::LeftButtonUp(IEditorView* view, float x, float y)
{
    const EditWatch watch(*this);
    if (!ButtonEvent(view, x, y))
        return false;
    leftDown_ = false;
    lastPaintedX_ = lastPaintedY_ = -1;
    if (panDrag_) {
        panDrag_ = false;
        if (!spacePan_)
            view->ReleaseMouse();
        return false;
    }
    if (lineDrag_ || rectDrag_) {
        ApplyLineOrRect();
        return true;
    }
    return ToolLeftUp(view);
}

bool EditorUI::RightButtonDown(IEditorView* view, float x, float y)
{
    const EditWatch watch(*this);
    if (!ButtonEvent(view, x, y))
        return false;
    rightDown_ = true;
    minimapIdle_ = 0;
    if (spacePan_ || panDrag_)
        return false;
    return ToolRightDown(view);
}

bool EditorUI::RightButtonUp(IEditorView* view, float x, float y)
{
    if (!ButtonEvent(view, x, y))
        return false;
    rightDown_ = false;
    if (tool_ == BlockBrush || tool_ == MoveTool)
        view->ReleaseMouse();
    return false;
}

bool EditorUI::KeyDown(IEditorView* view, unsigned key)
{
    const EditWatch watch(*this);
    if (!started_ || !view)
        return false;
    SelectCamera(view);
    minimapIdle_ = 0;
    // AltGr reaches some hosts as Ctrl and Alt: such a Ctrl is no Ctrl.
    if (key == EditorKeys::Ctrl) {
        if (!altJustPressed_)
            ctrlHeld_ = true;
        altJustPressed_ = false;
        return false;
    }
    if (key == EditorKeys::Alt) {
        if (ctrlHeld_)
            ctrlHeld_ = false;
        else
            altJustPressed_ = true;
        return false;
    }
    altJustPressed_ = false;
    if (key == EditorKeys::Space) {
        if (spacePan_)
            return false;
        spacePan_ = true;
        view->CaptureMouse();
        view->SetCursorShape(1);
        return false;
    }
    return ToolKeyDown(view, key);
}

bool EditorUI::KeyUp(IEditorView* view, unsigned key)
{
    const EditWatch watch(*this);
    if (!started_ || !view)
        return false;
    SelectCamera(view);
    if (key == EditorKeys::Ctrl) {
        ctrlHeld_ = false;
        return false;
    }
    if (key == EditorKeys::Space) {
        if (!spacePan_)
            return false;
        spacePan_ = false;
        if (!panDrag_)
            view->ReleaseMouse();
        view->SetCursorShape(0);
        return false;
    }
    return ToolKeyUp(key);
}

// ---- drawing -----------------------------------------------------------------

void EditorUI::Draw(WindowHandle window)
{
    if (!started_)
        return;
    const uint64_t now = NowMs();
    if (drawnOnce_ && now - lastDraw_ < kDrawInterval) {
        // An expose that came too soon still wants its picture: the timer's
        // next Update draws it.
        redrawPending_ = true;
        return;
    }
    SelectCamera(window);
    game_->DrawEditorView(window);
    // Measured from the end of a draw, so a slow frame still leaves time
    // between two.
    lastDraw_ = NowMs();
    drawnOnce_ = true;
}
