#include "game/shell/client/Game.h"

#include "engine/core/IEngine.h"
#include "engine/render/IRenderer.h"
#include "engine/render/ITexture.h"
#include "game/shell/hud/HudFrame.h"
#include "game/shell/protocol/MultiplayerHandler.h"
#include "game/world/geometry/Quad.h"
#include "game/world/modes/GameMod.h"
#include "game/world/player/Player.h"
#include "game/world/resources/CommonMedia.h"
#include "game/world/state/ObjectManager.h"
#include "game/world/state/WorldServices.h"
#include "game/world/system/GameSystem.h"

float HudFrame::Health() const { return local ? local->GetHealth() : 0.0f; }

ITexture* HudFrame::Picture(int slot) const
{
    return media && slot >= 0 && slot < CommonMedia::kTextureSlots ? media->textures[slot] : nullptr;
}

namespace Hud {

int Truncate(float value, int lo, int hi)
{
    if (!(value >= float(lo)))
        return lo;
    return value >= float(hi) ? hi : int(value);
}

MultiplayerHandler* ActiveHandler(GameSystem* game)
{
    return game ? dynamic_cast<MultiplayerHandler*>(game->GetActiveHandler()) : nullptr;
}

Player* LocalPlayer(GameSystem* game, MultiplayerHandler* handler)
{
    ObjectManager* objects = Services().objects;
    if (!game || !handler || !objects)
        return nullptr;
    const int32_t id = handler->GetLocalPlayerId();
    return id != 0 ? dynamic_cast<Player*>(objects->FindObject(id)) : nullptr;
}

void DrawPicture(HudFrame& f, ITexture* picture, int left, int top, int right, int bottom, float x, float y,
                 bool additive, float alpha)
{
    if (!picture)
        return;
    Quad q;
    q.SetFromTextureRect(picture, left, top, right, bottom);
    q.Translate(x, y);
    f.r->SetTexture(0, picture);
    if (additive)
        f.r->SetAdditiveBlend();
    else
        f.r->SetAlphaBlend();
    f.r->DrawScreenQuad(&q, true, alpha);
    f.r->SetAlphaBlend();
}

} // namespace Hud

void Game::DrawScene()
{
    if (!renderer_ || !game_ || !renderer_->PrepareTextures())
        return;
    renderer_->BeginScene();
    renderer_->SetViewScale(game_->viewScale);
    play_.scene.screenWidth = renderer_->GetViewWidth();
    play_.scene.screenHeight = renderer_->GetViewHeight();
    game_->DrawWorld();
    game_->DrawLightsAndOverlays();
    renderer_->SetViewScale(1.0f);
    play_.scene.screenWidth = renderer_->GetViewWidth();
    play_.scene.screenHeight = renderer_->GetViewHeight();
    DrawHud();
    renderer_->EndScene();
}

void Game::DrawHud()
{
    if (!renderer_ || !game_)
        return;
    HudFrame f;
    f.r = renderer_;
    f.engine = engine_;
    f.input = input_;
    f.game = game_.get();
    f.media = media_.get();
    f.scene = &play_.scene;
    f.handler = Hud::ActiveHandler(game_.get());
    f.local = Hud::LocalPlayer(game_.get(), f.handler);
    f.mode = game_->GetGameMode();
    f.inventory = game_->GetInventory();
    // Nothing to show without a player of one's own: the indicator fades out.
    f.breath = f.local ? f.local->GetBreath() : 100.0f;
    f.actions.Read(&game_->Options(), input_);
    f.dt1 = engine_ ? engine_->GetFrameTime1() : 0.0f;
    f.dt2 = engine_ ? engine_->GetFrameTime2() : 0.0f;

    Hud::DrawDamageFlash(f);
    Hud::DrawStatusBar(f);
    if (play_.scene.overlay == OverlayMode::Map)
        Hud::DrawMapView(f);
    Hud::DrawHealthAndArmour(f);
    Hud::KeepExplosives(f);
    Hud::DrawAmmunition(f);
    Hud::DrawMessages(f);
    if (f.local && f.Health() <= 0.0f && play_.scene.deathTime < Player::kRespawnDelay)
        renderer_->DrawText(2, 605, u"You are dead", 255, 0, 0);
    Hud::DrawTeamSelection(f);
    Hud::DrawScoreboard(f);
    Hud::ToggleMapView(f);
    Hud::DrawChatPrompt(f);
    Hud::DrawAdminMenu(f);
    Hud::DrawWeaponIcons(f);
    Hud::DrawStamina(f);
    Hud::DrawBreath(f);
    Hud::DrawCentreTexts(f);
    Hud::DrawReadouts(f);
    if (f.mode)
        f.mode->DrawHud();
    Hud::DrawCrosshair(f);
}
