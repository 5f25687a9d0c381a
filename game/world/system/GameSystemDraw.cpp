// How the game state draws a client's frame: the world, its objects in
// layers, particles, lights and shadows. The dedicated server leaves this
// file out (GameSystemDedicated.cpp).
#include "game/world/system/GameSystem.h"

#include "engine/core/IEngine.h"
#include "engine/render/IParticlePainter.h"
#include "engine/render/IRenderer.h"
#include "engine/render/ISpritePainter.h"
#include "game/world/geometry/Quad.h"
#include "game/world/map/ILight.h"
#include "game/world/map/World.h"
#include "game/world/objects/Object.h"
#include "game/world/objects/ObjectKind.h"
#include "game/world/objects/ParticleSystem.h"
#include "game/world/player/Player.h"
#include "game/world/resources/CommonMedia.h"
#include "game/world/state/ObjectManager.h"
#include "game/world/state/WorldServices.h"

#include <cmath>

namespace {
constexpr int kViewWidth = 1024;
constexpr int kViewHeight = 768;
constexpr int kSurfaceFloor = 0;
constexpr int kSurfaceObjects = 1;
constexpr int kSurfaceWalls = 2;
// The light pass turns degrees with this factor.
constexpr float kLightRadians = 3.1516f / 180.0f;
} // namespace

void GameSystem::SetRenderer(IRenderer* renderer)
{
    Services().renderer = renderer;
    if (World* world = Services().world)
        world->SetRenderer(renderer);
}

void GameSystem::InitObjectRenderBuffers()
{
    WorldServices& services = Services();
    if (!services.renderer)
        return;
    if (!services.spritePainter) {
        services.spritePainter = services.renderer->CreateSpritePainter();
        if (!services.spritePainter || !services.spritePainter->Init(65000))
            services.engine->FatalError("Failed to initialize vertex buffers for object rendering");
    }
    if (!services.particlePainter) {
        services.particlePainter = services.renderer->CreateParticlePainter();
        if (!services.particlePainter || !services.particlePainter->Init(64, 64, 512, 512, 10000))
            services.engine->FatalError("Failed to initialize vertex buffers for particle rendering");
    }
}

bool GameSystem::InView(Object* object, float pad, bool usePad)
{
    if (object->IsStale())
        return false;
    float r = usePad ? pad : object->GetRadius();
    float x = object->GetX(), y = object->GetY();
    return camera_.x - r < x && x < camera_.x + kViewWidth + r && camera_.y - r < y && y < camera_.y + kViewHeight + r;
}

void GameSystem::ApplyAmbient(int surface, float* colour)
{
    World* world = Services().world;
    IRenderer* renderer = Services().renderer;
    if (!world || !renderer)
        return;
    float r, g, b;
    switch (world->GetLighting()) {
    case 0:
        r = g = b = options_.GetRenderEnvShadow() ? 0.7f : 1.0f;
        break;
    case 1:
        r = g = b = 0.5f;
        break;
    case 2:
        r = 0.2f, g = 0.2f, b = 0.3f;
        break;
    default:
        return;
    }
    renderer->BeginAmbientPass(r, g, b, surface, !options_.GetFloorBlending());
    if (colour)
        colour[0] = r, colour[1] = g, colour[2] = b;
}

void GameSystem::PlaceBodies()
{
    objects_->ForEach([](Object* object) { object->PlaceBody(); });
}

void GameSystem::DrawWorld()
{
    WorldServices& services = Services();
    IRenderer* renderer = services.renderer;
    World* world = services.world;
    if (!renderer || !world)
        return;
    world->SetCamera(camera_.x, camera_.y);
    objects_->ForEach([](Object* object) {
        object->Draw();
        object->drawn = false;
    });
    ApplyAmbient(kSurfaceObjects);
    renderer->BindAtlas(0, 2);
    DrawObjectLayers();
    renderer->BindAtlas(0, 2);
    renderer->SetLightBlend();
    renderer->BindAtlas(0, 1);
    world->DrawRubble(services.media ? services.media->fragmentWall : nullptr);
    float ambient[3] = {1.0f, 1.0f, 1.0f};
    ApplyAmbient(kSurfaceFloor, ambient);
    renderer->BindAtlas(0, 1);
    world->DrawTiles(false, ambient);
    renderer->EndAmbientPass();
}

void GameSystem::DrawParticleBatch()
{
    IRenderer* renderer = Services().renderer;
    IParticlePainter* particles = Services().particlePainter;
    if (!particles)
        return;
    renderer->SetTranslation(-camera_.x, -camera_.y, 0.0f);
    particles->Draw(int(camera_.x), int(camera_.y), int(camera_.x) + kViewWidth, int(camera_.y) + kViewHeight,
                    objects_->batchedDrawing);
    renderer->ResetTranslation();
}

void GameSystem::DrawSpriteBatch()
{
    IRenderer* renderer = Services().renderer;
    if (ISpritePainter* sprites = Services().spritePainter) {
        renderer->SetTranslation(-camera_.x, -camera_.y, 0.0f);
        sprites->Draw(int(camera_.x), int(camera_.y), int(camera_.x) + kViewWidth, int(camera_.y) + kViewHeight, false);
        renderer->ResetTranslation();
    }
    DrawParticleBatch();
}

void GameSystem::DrawObjectLayers()
{
    IRenderer* renderer = Services().renderer;
    auto extraOfKind = [this](int kind) {
        return [this, kind](Object* object) {
            if (object->GetKind() == kind && InView(object, 0.0f, false))
                object->DrawExtra();
        };
    };
    if (objects_->batchedDrawing) {
        renderer->SetLightBlend();
        objects_->ForEachObjectReversed(extraOfKind(ObjectKind::Vehicle));
        renderer->BindAtlas(0, 2);
        DrawSpriteBatch();
        objects_->ForEachObjectReversed(extraOfKind(ObjectKind::DeadPlayer));
        objects_->ForEachObjectReversed([this](Object* object) {
            int kind = object->GetKind();
            if ((kind == ObjectKind::Mess || kind == ObjectKind::BreakParticle) && InView(object, 0.0f, false))
                object->DrawExtra();
        });
    }
    objects_->ForEachObject([this](Object* object) {
        switch (object->GetKind()) {
        case ObjectKind::Vehicle:
        case ObjectKind::Player:
        case ObjectKind::Tree:
        case ObjectKind::Window:
        case ObjectKind::DeadPlayer:
        case ObjectKind::Mess:
        case ObjectKind::BreakParticle:
            return;
        default:
            if (InView(object, 0.0f, false))
                object->DrawExtra();
        }
    });
    objects_->ForEachPlayer([this](Object* player) {
        if (InView(player, 0.0f, false))
            player->DrawExtra();
    });
}

void GameSystem::DrawLightsAndOverlays()
{
    WorldServices& services = Services();
    IRenderer* renderer = services.renderer;
    World* world = services.world;
    if (!renderer || !world)
        return;
    world->SetCamera(camera_.x, camera_.y);
    if (options_.GetRenderLights())
        DrawLights();
    else
        renderer->FillAlphaRect(0, 0, kViewWidth, kViewHeight, 0);
    ApplyAmbient(kSurfaceWalls);
    renderer->BindAtlas(0, 1);
    world->DrawWallAlpha();
    ApplyAmbient(kSurfaceObjects);
    renderer->BindAtlas(0, 1);
    renderer->SetAlphaBlend();
    for (int kind : {int(ObjectKind::Window), int(ObjectKind::Tree)}) {
        objects_->ForEachObject([kind](Object* object) {
            if (object->GetKind() == kind && !object->IsStale())
                object->DrawExtra();
        });
    }
    renderer->SetAlphaBlend();
    particles_->DrawGround();
    particles_->Draw();
    renderer->EndAmbientPass();
    objects_->ForEachObjectReversed([this](Object* object) {
        if (object->GetKind() == ObjectKind::Bullet && InView(object, 200.0f, true))
            object->DrawExtra();
    });
    objects_->ForEachPlayer([this](Object* object) {
        if (object->GetKind() == ObjectKind::Player && InView(object, 200.0f, true))
            static_cast<Player*>(object)->DrawNameTag();
    });
    // The mission-item indicators come with their class, through DrawExtra.
}

void GameSystem::DrawLights()
{
    IRenderer* renderer = Services().renderer;
    World* world = Services().world;
    if (options_.GetRenderEnvShadow() && world->GetLighting() == 0)
        DrawSunShadows();
    bool flat = !options_.GetFloorBlending();
    objects_->ForEachLight([&](ILight* light) {
        if (!light->IsEnabled())
            return;
        int type = light->GetType();
        float size = light->GetSize();
        float h = size * 0.5f;
        float radians = light->GetAngle() * kLightRadians;
        float dirX = std::cos(radians), dirY = std::sin(radians);
        float sx = light->GetX() - camera_.x, sy = light->GetY() - camera_.y;
        float testX = sx, testY = sy;
        if (type == 3)
            testX += 20.0f * dirX, testY += 20.0f * dirY;
        if (!(testX > -h && testX < kViewWidth + h && testY > -h && testY < kViewHeight + h))
            return;
        int x0 = int(sx - h), y0 = int(sy - h), x1 = int(sx + h), y1 = int(sy + h);
        renderer->SetClipRect(x0, y0, x1, y1);
        renderer->FillAlphaRect(x0, y0, x1, y1, 0);
        DrawLightOccluders(light->GetX(), light->GetY(), size);
        renderer->EndOccluderPass();
        float r, g, b;
        light->GetColor(&r, &g, &b);
        float power = light->GetPower();
        r *= power, g *= power, b *= power;
        auto shape = [&](bool floor) {
            switch (type) {
            case 0:
                renderer->BeginPointLight(sx, sy, h, r, g, b, floor, floor && flat);
                break;
            case 1:
                renderer->BeginSpotLight(sx, sy, dirX, dirY, h, r, g, b, floor, floor && flat);
                break;
            case 2:
                renderer->BeginTubeLight(sx, sy, dirX, dirY, h, r, g, b, 0.0f);
                break;
            case 3:
                renderer->BeginSignLight(sx, sy, dirX, dirY, h, r, g, b);
                break;
            default:
                break;
            }
        };
        // A kind the passes do not know adds no light: its square is cleared
        // and shadowed, but no light pass is opened that would stay open.
        if (type >= 0 && type <= 3) {
            shape(false);
            renderer->BeginLightPass();
            if (objects_->batchedDrawing)
                DrawSpriteBatch();
            shape(true);
            renderer->BindAtlas(0, 1);
            world->DrawLitFloor(light->GetX(), light->GetY(), size);
            renderer->EndLightPass();
        }
        renderer->ResetClipRect();
    });
    renderer->FillAlphaRect(0, 0, kViewWidth, kViewHeight, 0);
}

void GameSystem::DrawLightOccluders(float lx, float ly, float size)
{
    IRenderer* renderer = Services().renderer;
    renderer->BeginOccluderPass(false);
    renderer->BindAtlas(0, 2);
    if (options_.GetRenderObjShadow()) {
        objects_->ForEach([&](Object* object) {
            if (object->IsStale())
                return;
            float reach = float(object->GetHeight()) + size * 0.5f + object->GetRadius();
            // The light as the view sees it, and its reach.
            if (std::fabs(lx - object->GetX()) <= reach && std::fabs(ly - object->GetY()) <= reach)
                object->DrawUpperLayer(lx - camera_.x, ly - camera_.y, size, true);
        });
    }
    renderer->BindAtlas(0, 2);
    Services().world->DrawWallShadows(lx, ly, size);
}

void GameSystem::DrawSunShadows()
{
    IRenderer* renderer = Services().renderer;
    World* world = Services().world;
    bool flat = !options_.GetFloorBlending();
    renderer->ResetClipRect();
    renderer->FillAlphaRect(0, 0, kViewWidth, kViewHeight, 0);
    renderer->BeginOccluderPass(false);
    if (options_.GetRenderObjShadow()) {
        objects_->ForEach([this](Object* object) {
            if (InView(object, 0.0f, false))
                object->DrawUpperLayer(0.0f, 0.0f, 0.0f, true);
        });
    }
    renderer->BindAtlas(0, 2);
    world->DrawLightBoxes();
    renderer->EndOccluderPass();
    renderer->BeginLightPass();
    if (objects_->batchedDrawing) {
        renderer->BeginAmbientPass(0.3f, 0.3f, 0.3f, kSurfaceObjects, false);
        DrawSpriteBatch();
    }
    renderer->BindAtlas(0, 1);
    renderer->SetShadowCaster(0);
    renderer->BeginWallAlpha();
    renderer->BeginAmbientPass(0.3f, 0.3f, 0.3f, kSurfaceFloor, flat);
    world->DrawTiles(true);
    renderer->EndAmbientPass();
    renderer->SetBumpTexture(nullptr);
    renderer->EndWallAlpha();
    renderer->EndLightPass();
    renderer->ResetClipRect();
    renderer->FillAlphaRect(0, 0, kViewWidth, kViewHeight, 0);
}

void GameSystem::ReadMapPicture(const std::vector<uint8_t>& picture)
{
    IRenderer* renderer = Services().renderer;
    mapPictureMissing =
        !(!picture.empty() && renderer && renderer->DecodeGameMapImage(picture.data(), int(picture.size())));
}
