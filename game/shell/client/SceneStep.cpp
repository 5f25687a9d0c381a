#include "game/shell/client/SceneStep.h"

#include "engine/audio/IAudio.h"
#include "engine/core/IEngine.h"
#include "engine/render/IInput.h"
#include "engine/render/IRenderer.h"
#include "game/shell/client/Game.h"
#include "game/shell/protocol/MultiplayerHandler.h"
#include "game/world/map/World.h"
#include "game/world/objects/ObjectKind.h"
#include "game/world/player/Player.h"
#include "game/world/state/ObjectManager.h"
#include "game/world/state/WorldServices.h"
#include "game/world/system/GameSystem.h"

#include <algorithm>
#include <cstdint>
#include <iterator>

namespace {

// Water this deep or deeper sounds like it to a crouching player.
constexpr float kUnderwaterDepth = 0.6f;
constexpr float kChargePerSecond = 600.0f;
// The view sits this much lower than centred on the player.
constexpr float kCameraDrop = 27.0f;

// Keys that hold the key latch while any of them is down.
constexpr int kLatchActions[] = {
    GameAction::SelectExplosive,
    GameAction::SelectSmall,
    GameAction::SelectMain,
    GameAction::SelectGrenade,
    GameAction::SelectFive,
    GameAction::ChangeTeam,
    GameAction::Chat,
    GameAction::TeamChat,
    GameAction::Map,
    GameAction::QuitToMenu,
    GameAction::ExitAdmin,
    GameAction::MoveLeft,
    GameAction::MoveRight,
    GameAction::KickPlayer,
    GameAction::BalanceTeams,
    GameAction::ChangeMap,
    GameAction::BrightDown,
    GameAction::BrightUp,
    GameAction::VolumeDown,
    GameAction::VolumeUp,
    GameAction::ExecuteAdmin,
};
// With the fixed keys 0 to 5, F1 to F8, Return, plus and minus, one bit each.
static_assert(std::size(kLatchActions) + 6 + 8 + 3 <= 64);

} // namespace

SceneStep::SceneStep(Game& game)
    : game_(game), engine_(game.GetEngine()), renderer_(game.GetRenderer()), input_(game.GetInput()),
      state_(game.GetGameSystem()), scene_(game.Scene())
{
}

bool Game::StepScene() { return SceneStep(*this).Run(); }

bool SceneStep::Fixed(int key) const { return input_->IsActionDown(key); }

bool SceneStep::Run()
{
    handler_ = ActiveHandlerOf(state_);
    if (!handler_)
        engine_->FatalError("mpHandler not set");
    inventory_ = state_->GetInventory();
    Player* player = FindLocalPlayer();
    ApplyReverb(player);
    ReadActions();
    ReleaseLatches();
    MoveCursor();
    if (Leaving())
        return true;
    Screenshot();
    if (AdminMenu())
        return false;
    Readouts();
    ChatEntry();
    AgeMessages();
    WeaponUpkeep();
    uint32_t flags = InputFlags(player);
    if (scene_.overlay == OverlayMode::None && !scene_.keyLatch)
        WeaponKeys();
    flags |= ShootAndThrow();
    SendClientState(player, flags);
    engine_->UpdateFrameTime1();
    FollowPlayer(player);
    return false;
}

Player* SceneStep::FindLocalPlayer()
{
    const int32_t id = handler_->GetLocalPlayerId();
    ObjectManager* objects = Services().objects;
    Object* object = id != 0 && objects ? objects->FindObject(id) : nullptr;
    return object && object->GetKind() == ObjectKind::Player ? static_cast<Player*>(object) : nullptr;
}

void SceneStep::ApplyReverb(Player* player)
{
    IAudio* audio = Services().audio;
    World* world = Services().world;
    if (!player || !audio)
        return;
    float depth = 1.0f;
    const bool water = world && world->GetWaterAt(int(player->GetX()), int(player->GetY()), &depth);
    const bool under = water && depth <= kUnderwaterDepth && (player->GetInputFlags() & PlayerInputFlags::Crouch);
    audio->SetEnvironment(Services().environments[under ? 0 : 1]);
}

void SceneStep::ReadActions()
{
    GameOptions& options = state_->Options();
    for (int action = 0; action < GameAction::Count; ++action)
        actions_[action] = options.IsActionDown(input_, action);
}

void SceneStep::ReleaseLatches()
{
    if (!Down(GameAction::Shoot) && !Down(GameAction::ThrowGrenade))
        scene_.fireLatch = false;
    uint64_t down = 0, bit = 1;
    for (int action : kLatchActions)
        down |= Down(action) ? bit : 0, bit <<= 1;
    for (int key = FixedKey::Digit0; key <= FixedKey::Digit5; ++key)
        down |= Fixed(key) ? bit : 0, bit <<= 1;
    for (int key = FixedKey::F1; key <= FixedKey::F8; ++key)
        down |= Fixed(key) ? bit : 0, bit <<= 1;
    for (int key : {FixedKey::Return, FixedKey::Plus, FixedKey::Minus})
        down |= Fixed(key) ? bit : 0, bit <<= 1;
    // A key first seen down in this step was pressed after every key had
    // been let go since the last one: the latch is free, and that press acts.
    if ((down & scene_.latchKeysDown) == 0)
        scene_.keyLatch = false;
    scene_.latchKeysDown = down;
}

void SceneStep::MoveCursor()
{
    input_->Update();
    const float scale = state_->viewScale;
    scene_.cursorX += input_->TakeMouseDeltaX() * scale;
    scene_.cursorY += input_->TakeMouseDeltaY() * scale;
    const float halfW = float(renderer_->GetViewWidth() / 2) * scale;
    const float halfH = float(renderer_->GetViewHeight() / 2) * scale;
    scene_.cursorX = std::clamp(scene_.cursorX, state_->viewOffsetX - halfW, state_->viewOffsetX + halfW);
    scene_.cursorY = std::clamp(scene_.cursorY, state_->viewOffsetY - halfH, state_->viewOffsetY + halfH);
    state_->aimOffsetX = scene_.cursorX;
    state_->aimOffsetY = scene_.cursorY;
}

bool SceneStep::Leaving()
{
    OverlayMode& overlay = scene_.overlay;
    if (!((overlay == OverlayMode::None && !scene_.keyLatch) || overlay == OverlayMode::ExitQuestion))
        return false;
    if (Down(GameAction::QuitToMenu) && !scene_.keyLatch) {
        Latch();
        overlay = overlay == OverlayMode::None ? OverlayMode::ExitQuestion : OverlayMode::None;
    }
    if (overlay != OverlayMode::ExitQuestion)
        return false;
    if (Fixed(FixedKey::Y)) {
        overlay = OverlayMode::None;
        scene_.keyLatch = false;
        return true;
    }
    if (Fixed(FixedKey::N)) {
        overlay = OverlayMode::None;
        Latch();
    }
    return false;
}

void SceneStep::Screenshot()
{
    if (!Down(GameAction::Screenshot)) {
        scene_.screenshotLatch = false;
        return;
    }
    if (scene_.screenshotLatch)
        return;
    scene_.screenshotLatch = true;
    renderer_->SaveScreenshot(state_->Options().GetScreenshotPath());
}

void SceneStep::AgeMessages()
{
    const float dt = engine_->GetFrameTime1();
    // The pick-up lines go sooner than the others.
    state_->Messages(0).Age(dt, 10.0f);
    state_->Messages(1).Age(dt, 3.0f);
    state_->Messages(2).Age(dt, 10.0f);
}

uint32_t SceneStep::InputFlags(Player* player)
{
    namespace F = PlayerInputFlags;
    uint32_t flags = 0;
    const OverlayMode overlay = scene_.overlay;
    // A player without a team walks while choosing one.
    if (overlay == OverlayMode::None || overlay == OverlayMode::Map ||
        (player && player->GetTeam() == Player::kNoTeam)) {
        flags |= Down(GameAction::MoveLeft) ? F::Left : 0;
        flags |= Down(GameAction::MoveRight) ? F::Right : 0;
        flags |= Down(GameAction::MoveUp) ? F::Up : 0;
        flags |= Down(GameAction::MoveDown) ? F::Down : 0;
    }
    if (overlay != OverlayMode::None || scene_.keyLatch)
        return flags;
    flags |= Down(GameAction::Crouch) ? F::Crouch : 0;
    flags |= Down(GameAction::Use) ? F::Use : 0;
    flags |= Down(GameAction::Reload) ? F::Reload : 0;
    flags |= Down(GameAction::Sprint) && scene_.stamina > 0.0f ? F::Sprint : 0;
    flags |= Down(GameAction::Remote) ? F::Remote : 0;
    flags |= Down(GameAction::Drop) ? F::Drop : 0;
    flags |= Down(GameAction::Light) ? F::Light : 0;
    flags |= Down(GameAction::Aiming) ? F::Aiming : 0;
    flags |= Down(GameAction::Pick) ? F::Pick : 0;
    flags |= input_->IsMouseButtonDown(0) ? F::Respawn : 0;
    flags |= Fixed(FixedKey::Space) ? F::LookAround : 0;
    return flags;
}

uint32_t SceneStep::ShootAndThrow()
{
    uint32_t flags = 0;
    if (!IsAdminPage(scene_.overlay) && !scene_.fireLatch) {
        if (Down(GameAction::Shoot))
            flags |= PlayerInputFlags::Shoot;
        if (Down(GameAction::ThrowGrenade)) {
            flags |= PlayerInputFlags::Throw;
            scene_.grenadeCharging = true;
        }
    }
    // Whole units per frame would never charge at a high frame rate.
    if (scene_.grenadeCharging && scene_.grenadeCharge < SceneState::kFullCharge)
        scene_.grenadeCharge =
            std::min(SceneState::kFullCharge, scene_.grenadeCharge + engine_->GetFrameTime1() * kChargePerSecond);
    if (scene_.grenadeCharging && !Down(GameAction::ThrowGrenade)) {
        scene_.grenadeCharging = false;
        handler_->SendPlayerAction(scene_.GrenadeChargeByte());
        scene_.grenadeCharge = 0.0f;
    }
    return flags;
}

void SceneStep::SendClientState(Player* player, uint32_t flags)
{
    const float scale = state_->viewScale;
    const CameraPos& camera = state_->Camera();
    float x = 0.0f, y = 0.0f, heading = 100.0f;
    if (player && !IsAdminPage(scene_.overlay)) {
        // The player as seen from the view's centre, towards the aim point.
        heading =
            AngleBetweenPoints(player->GetX() - camera.x - scale * 512.0f, player->GetY() - camera.y - scale * 384.0f,
                               state_->aimOffsetX, state_->aimOffsetY);
        player->SetAngle(heading);
        x = player->GetX();
        y = player->GetY();
    }
    const int weapon = inventory_ ? inventory_->GetSelectedWeapon() : -1;
    const int explosive = inventory_ ? inventory_->GetSelectedExplosive() : -1;
    handler_->SetClientState(int(flags), x, y, heading, weapon, explosive,
                             scale * 512.0f + state_->aimOffsetX + camera.x,
                             scale * 384.0f + state_->aimOffsetY + camera.y);
    if (player)
        player->SetInputState(flags, 0.0f, weapon, explosive, float(scene_.GrenadeChargeByte()));
}

void SceneStep::FollowPlayer(Player* player)
{
    if (!player)
        return;
    const float scale = state_->viewScale;
    CameraPos& camera = state_->Camera();
    camera.x = player->GetX() - float(renderer_->GetViewWidth()) * scale * 0.5f + state_->viewOffsetX;
    camera.y = player->GetY() - float(renderer_->GetViewHeight()) * scale * 0.5f + state_->viewOffsetY + kCameraDrop;
    if (IAudio* audio = Services().audio)
        audio->SetListenerPosition(player->GetX(), player->GetY());
}
