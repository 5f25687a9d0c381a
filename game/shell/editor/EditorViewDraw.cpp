#include "game/shell/client/Game.h"

#include "engine/render/IRenderer.h"
#include "game/shell/editor/EditorUI.h"
#include "game/world/map/World.h"
#include "game/world/system/GameSystem.h"
#include "platform/gl/WindowGeometry.h"

#include <algorithm>
#include <cmath>

namespace {
constexpr int kGridStep = 1600;
} // namespace

void Game::DrawEditorView(NativeWindow window)
{
    if (!editor_ || !renderer_ || !game_)
        return;
    int width = editor_->GetViewWidth(), height = editor_->GetViewHeight();
    if (Gl::GetWindowSize(window, &width, &height))
        editor_->SetViewSize(width, height);
    if (!renderer_->MakeWindowCurrent(window, width, height))
        return;
    if (editor_->TakeFirstView()) {
        renderer_->LoadShaders();
        game_->InitObjectRenderBuffers();
    }
    if (!renderer_->PrepareTextures())
        return;
    renderer_->BeginScene();
    IMultiplayerHandler* active = game_->GetActiveHandler();
    if (!active || (active != game_->GetServerHandler() && active != game_->GetClientHandler()))
        game_->PlaceBodies();
    game_->DrawWorld();
    game_->DrawLightsAndOverlays();
    DrawEditorGrid();
    editor_->DrawOverlays(renderer_, width, height);
    renderer_->EndScene();
    renderer_->PresentWindow(window, 0, 0, width, height, 0, 0, width, height);
}

void Game::DrawEditorGrid()
{
    if (!editor_ || !renderer_ || !game_ || !world_)
        return;
    const int camX = int(game_->Camera().x), camY = int(game_->Camera().y);
    const int screenW = editor_->GetViewWidth(), screenH = editor_->GetViewHeight();
    const int levelW = world_->GetWidth() * kTileSize, levelH = world_->GetHeight() * kTileSize;
    const int r = 180, g = 0, b = 0;

    const int firstX = std::max(camX - camX % kGridStep, 0) - camX;
    const int top = std::max(0, -camY), bottom = std::min(screenH, levelH - camY);
    for (int x = firstX; x < screenW + firstX + kGridStep; x += kGridStep) {
        renderer_->DrawLine(float(x), float(top), float(x), float(bottom), r, g, b);
        if (x > levelW - camX)
            break;
    }
    const int firstY = std::max(camY - camY % kGridStep, 0) - camY;
    const int left = std::max(0, -camX), right = std::min(screenW, levelW - camX);
    for (int y = firstY; y < screenH + firstY + kGridStep; y += kGridStep) {
        renderer_->DrawLine(float(left), float(y), float(right), float(y), r, g, b);
        if (y > levelH - camY)
            break;
    }
    // The level's edge, where the grid's lines rarely fall: past it nothing
    // is painted or saved.
    renderer_->DrawRect(-camX, -camY, levelW - camX, levelH - camY, r, g, b);
}
