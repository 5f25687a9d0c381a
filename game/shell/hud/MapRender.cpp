// The whole level drawn small through the renderer's two off-screen
// targets: the editor's minimap and the level's 512 x 512 map picture.
#include "game/shell/client/Game.h"

#include "engine/render/IRenderer.h"
#include "game/world/geometry/Quad.h"
#include "game/world/geometry/TileSize.h"
#include "game/world/map/World.h"
#include "game/world/system/GameSystem.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr float kMiniMapSide = 200.0f;
constexpr float kGameMapSide = 512.0f;

// The scale at which the level's longer side fills the given pixels; 0 for
// a level without tiles, which has nothing to draw.
float FitScale(const World* world, float side)
{
    const int longer = world ? std::max(world->GetWidth(), world->GetHeight()) : 0;
    return longer > 0 ? kTileSize * float(longer) / side : 0.0f;
}

// The camera at the level's corner while the level is drawn small; the
// world's draw scale and the camera come back however the drawing ends.
class SmallView {
public:
    SmallView(GameSystem* game, World* world) : game_(game), world_(world)
    {
        if (game_) {
            saved_ = game_->Camera();
            game_->Camera() = CameraPos();
        }
        if (world_) {
            scale_ = world_->GetViewScale();
            world_->SetCamera(0.0f, 0.0f);
        }
    }
    ~SmallView()
    {
        if (game_)
            game_->Camera() = saved_;
        if (world_) {
            world_->SetViewScale(scale_);
            world_->SetCamera(saved_.x, saved_.y);
        }
    }
    SmallView(const SmallView&) = delete;
    SmallView& operator=(const SmallView&) = delete;

    // The tiles and the wall mask only: no lights, objects or outlines.
    void Draw(IRenderer* r, float scale)
    {
        r->SetViewScale(scale);
        world_->SetViewScale(scale);
        r->BeginScene();
        world_->DrawTiles(false);
        world_->DrawWallAlpha();
        world_->SetViewScale(scale_);
        r->SetViewScale(1.0f);
    }

private:
    GameSystem* game_;
    World* world_;
    CameraPos saved_;
    float scale_ = 1.0f;
};

} // namespace

void Game::RenderMiniMap(unsigned long window)
{
    if (!renderer_ || !world_)
        return;
    SmallView view(game_.get(), world_.get());
    if (!renderer_->MakeWindowCurrent(window, 200, 200))
        return;
    renderer_->PrepareMiniMapTarget();
    if (!renderer_->BeginMiniMapRender())
        return;
    const float scale = FitScale(world_.get(), kMiniMapSide);
    if (scale > 0.0f && renderer_->PrepareTextures())
        view.Draw(renderer_, scale);
    // The target is left however the drawing went.
    renderer_->EndTargetRender();
    renderer_->EndScene();
}

void Game::DrawMiniMap(unsigned long window, int width, int height)
{
    if (!renderer_ || !game_)
        return;
    const float scale = std::max(1.0f, FitScale(world_.get(), kMiniMapSide));
    if (!renderer_->MakeWindowCurrent(window, width, height) || !renderer_->PrepareMiniMapTarget() ||
        !renderer_->PrepareTextures())
        return;
    renderer_->BeginScene();
    if (renderer_->BindMiniMapTexture()) {
        Quad q;
        q.SetFromSize(256, 256, 200, 200);
        renderer_->DrawQuad(&q, 1.0f);
    }
    const CameraPos& camera = game_->Camera();
    renderer_->DrawRect(int(std::trunc(camera.x / scale)), int(std::trunc(camera.y / scale)),
                        int(std::trunc((camera.x + float(play_.scene.screenWidth)) / scale)),
                        int(std::trunc((camera.y + float(play_.scene.screenHeight)) / scale)), 255, 0, 0);
    renderer_->EndScene();
    renderer_->PresentWindow(window, 0, 0, width, height, 0, 0, width, height);
}

void Game::RenderGameMap()
{
    if (renderer_ && world_) {
        SmallView view(game_.get(), world_.get());
        renderer_->BeginGameMapRender();
        const float scale = FitScale(world_.get(), kGameMapSide);
        if (scale > 0.0f && renderer_->PrepareTextures()) {
            view.Draw(renderer_, scale);
            renderer_->CaptureGameMap();
        }
        renderer_->EndTargetRender();
        renderer_->EndScene();
    }
    screens_.gameMapMade = true;
}

void Game::DrawGameMap(unsigned long window, int width, int height)
{
    if (!renderer_ || !renderer_->MakeWindowCurrent(window, width, height) || !renderer_->PrepareTextures())
        return;
    renderer_->BindGameMapTexture();
    Quad q;
    q.SetSize(width, height);
    renderer_->DrawQuad(&q, 1.0f);
    renderer_->EndScene();
    renderer_->PresentWindow(window, 0, 0, width, height, 0, 0, width, height);
}
