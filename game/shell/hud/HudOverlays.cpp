// What the HUD lays over play: the map view, messages, menus, texts in the
// middle of the screen, readouts and the crosshair.
#include "game/shell/hud/HudFrame.h"

#include "engine/core/StringKit.h"
#include "engine/render/IInput.h"
#include "engine/render/IRenderer.h"
#include "engine/render/ITexture.h"
#include "engine/render/TextLayout.h"
#include "game/shell/protocol/MultiplayerHandler.h"
#include "game/world/geometry/Quad.h"
#include "game/world/geometry/TileSize.h"
#include "game/world/map/World.h"
#include "game/world/modes/GameMod.h"
#include "game/world/player/Player.h"
#include "game/world/resources/CommonMedia.h"
#include "game/world/state/WorldServices.h"
#include "game/world/system/GameSystem.h"

#include <algorithm>

namespace {

// The engine's fixed key table: the digits 0 to 6 from action 17.
constexpr int kActionDigit0 = 17;
constexpr float kRespawnDelay = Player::kRespawnDelay;

void Text(HudFrame& f, int x, int y, const char16_t* text) { f.r->DrawTextAligned(x, y, text, false); }

} // namespace

namespace Hud {

void DrawMapView(HudFrame& f)
{
    World* world = Services().world;
    if (!world)
        return;
    const int w = world->GetWidth(), h = world->GetHeight();
    // A level without tiles has no picture to scale.
    if (w <= 0 || h <= 0)
        return;
    const float s = 512.0f / (kTileSize * float(std::max(w, h)));
    const int mw = w < h ? std::min(512, int(kTileSize * float(w) * s)) : 512;
    const int mh = w >= h ? std::min(512, int(kTileSize * float(h) * s)) : 512;
    const int left = 512 - mw / 2, top = 384 - mh / 2;
    FillScreenRect(f.r, float(509 - mw / 2), float(381 - mh / 2), float(509 - mw / 2 + mw + 6),
                   float(381 - mh / 2 + mh + 6), 0, 0, 0, 1.0f);
    f.r->BindGameMapTexture();
    Quad map;
    map.SetSize(mw, mh);
    map.texLeft = 0.0f;
    map.texTop = 0.0f;
    map.texRight = float(mw) / 512.0f;
    map.texBottom = float(mh) / 512.0f;
    map.Translate(float(left), float(top));
    f.r->DrawQuad(&map, 1.0f);

    ITexture* icons = f.Picture(CommonMedia::MapSprites);
    if (f.handler && icons) {
        const int localTeam = f.local ? f.local->GetTeam() : 0;
        const int32_t localId = f.local ? f.handler->GetLocalPlayerId() : 0;
        for (int i = 0; i < IMultiplayerHandler::kSlotCount; ++i) {
            const PlayerSlot* slot = f.handler->GetSlot(i);
            if (!slot || !slot->IsUsed() || slot->x < 0.0f || slot->y < 0.0f)
                continue;
            if (f.local && slot->team != localTeam)
                continue;
            const int row = (slot->team == 0 ? 0 : 1) + (f.local && slot->id == localId ? 0 : 2);
            const float cx = float(left) + slot->x * s, cy = float(top) + slot->y * s;
            DrawPicture(f, icons, 0, row * 32, 32, row * 32 + 32, cx - 16.0f, cy - 16.0f, false);
        }
    }
    if (f.mode)
        f.mode->DrawMapFlags(float(left), float(top), s, s);
}

void DrawMessages(HudFrame& f)
{
    const MessageContainer& chat = f.game->Messages(0);
    const int count = std::min(std::max(chat.linesInUse, 0), MessageContainer::kMaxLines);
    const int step = TextLayout::Step(f.r, 15);
    int y = 580;
    for (int i = count - 1; i >= 0; --i) {
        const char16_t* line = chat.GetLine(i);
        if (!line[0])
            continue;
        if (line[0] == 1)
            f.r->DrawText(2, y, line + 1, 240, 226, 0);
        else
            Text(f, 2, y, line);
        y -= step;
    }
    const MessageContainer& pickups = f.game->Messages(1);
    const MessageContainer& notices = f.game->Messages(2);
    for (int i = 0; i < 5; ++i) {
        Text(f, 2, 695 - step * i, pickups.GetLine(i));
        f.r->DrawTextAligned(1022, 7 + step * i, notices.GetLine(i), true);
    }
}

void DrawTeamSelection(HudFrame& f)
{
    SceneState& s = *f.scene;
    if (!f.mode || f.mode->IsGameOver())
        return;
    if (f.local && f.local->GetTeam() < 0) {
        if (!s.teamMenuForced) {
            s.overlay = OverlayMode::TeamSelect;
            s.teamMenuForced = true;
        }
    } else if (f.local && s.overlay == OverlayMode::TeamSelect && s.teamMenuForced) {
        s.teamMenuForced = false;
        s.overlay = OverlayMode::None;
    }
    const bool changeTeam = f.actions[GameAction::ChangeTeam];
    if (s.overlay != OverlayMode::TeamSelect && !(changeTeam && s.overlay == OverlayMode::None && !s.keyLatch))
        return;
    if (changeTeam)
        s.overlay = OverlayMode::TeamSelect;
    f.mode->DrawTeamSelect();
    if (changeTeam || !f.input)
        return;
    // The digits act every frame the menu is open, whatever the key latch.
    for (int digit = 0; digit <= 5; ++digit) {
        if (!f.input->IsActionDown(kActionDigit0 + digit))
            continue;
        if (digit == 0 || !s.teamMenuForced)
            s.overlay = OverlayMode::None;
        s.keyLatch = true;
        if (digit != 0 && f.handler)
            f.handler->RequestTeamChange(digit);
        break;
    }
}

void DrawScoreboard(HudFrame& f)
{
    if (f.mode && (f.actions[GameAction::Scores] || f.mode->IsGameOver()))
        f.mode->DrawScoreboard();
}

void ToggleMapView(HudFrame& f)
{
    SceneState& s = *f.scene;
    const bool map = f.actions[GameAction::Map];
    if (map && !s.keyLatch && s.overlay == OverlayMode::None) {
        s.overlay = OverlayMode::Map;
        s.keyLatch = true;
    } else if (s.overlay == OverlayMode::Map && !map) {
        s.keyLatch = true;
        s.overlay = OverlayMode::None;
    }
}

void DrawChatPrompt(HudFrame& f)
{
    SceneState& s = *f.scene;
    if (s.overlay != OverlayMode::Chat && s.overlay != OverlayMode::TeamChat)
        return;
    Text(f, 2, 604, s.overlay == OverlayMode::Chat ? u"Chat:" : u"Chat (team):");
    if (s.stepChatMenu)
        s.stepChatMenu();
}

void DrawAdminMenu(HudFrame& f)
{
    SceneState& s = *f.scene;
    if (!IsAdminPage(s.overlay))
        return;
    FillScreenRect(f.r, 50, 50, 470, 430, 0, 0, 0, 0.3f);
    const OverlayMode pages[3] = {OverlayMode::AdminKick, OverlayMode::AdminBalance, OverlayMode::AdminChangeMap};
    const char16_t* titles[3] = {u"Kick player (F1)", u"Balance teams (F2)", u"Change map (F3)"};
    // Each tab is at least as wide as its title; a wider title pushes the
    // tabs after it right.
    const int rights[3] = {185, 335, 470};
    const int tabBottom = 70 + TextLayout::Extra(f.r), top = tabBottom + 5;
    int left = 50, shift = 0;
    for (int i = 0; i < 3; ++i) {
        const int textX = left + 5;
        const int right = std::max(rights[i] + shift, textX + f.r->GetTextWidth(titles[i]) + 1);
        shift = right - rights[i];
        f.r->DrawRect(left, s.overlay == pages[i] ? 45 : 50, right, tabBottom, 190, 139, 66);
        Text(f, textX, 55, titles[i]);
        left = right;
    }
    if (s.overlay == OverlayMode::AdminKick) {
        if (s.stepKickMenu)
            s.stepKickMenu();
    } else if (s.overlay == OverlayMode::AdminBalance) {
        const int item = std::min(std::max(s.balanceItem, 0), 2);
        const int step = TextLayout::Step(f.r, 15);
        auto bar = [&f, top, step](int line, int r, int g, int b) {
            FillScreenRect(f.r, 50, float(top + step * line), 470, float(top + step * (line + 1)), r, g, b, 0.5f);
        };
        bar(item, 0, 94, 250);
        int current = f.game->Options().GetServerBalanced() ? 1 : 2;
        if (f.mode && f.mode->IsBalancePending())
            current = 0;
        if (current != item)
            bar(current, 250, 47, 0);
        Text(f, 55, top, u"Balance now");
        Text(f, 55, top + step, u"Auto-balance on");
        Text(f, 55, top + 2 * step, u"Auto-balance off");
    } else {
        Text(f, 55, top, u"Change map");
    }
}

void DrawCentreTexts(HudFrame& f)
{
    SceneState& s = *f.scene;
    if (s.overlay == OverlayMode::ExitQuestion) {
        Text(f, 334, 384, u"Do you want to exit to main menu? (Y/N)");
        return;
    }
    if (!f.local || f.Health() > 0.0f) {
        s.deathTime = 0.0f;
        return;
    }
    if (s.deathTime >= kRespawnDelay) {
        Text(f, 334, 384, u"Click left mouse button to respawn");
    } else {
        char16_t line[64];
        Util::FormatTo(line, 64, u"%d seconds to respawn", int(kRespawnDelay - s.deathTime));
        Text(f, 334, 384, line);
        s.deathTime += f.dt1;
    }
    if (!(f.local->GetStateFlags() & Player::LookingAround))
        Text(f, 334, 404, u"Press space to enter spectator mode");
    // The click that respawns does not also fire.
    s.fireLatch = true;
}

void DrawReadouts(HudFrame& f)
{
    SceneState& s = *f.scene;
    IGameOptions& options = f.game->Options();
    char16_t line[64];
    if (s.brightnessReadout > 0.0f) {
        s.brightnessReadout = std::max(0.0f, s.brightnessReadout - f.dt1);
        const float b = options.GetBrightness();
        if (b == 0.35f)
            Util::StrCopy(line, 64, u"Brightness: Normal");
        else
            Util::FormatTo(line, 64, u"Brightness: %d%%", int(b * 100.0f));
        f.r->DrawText(800, 20, line, 250, 200, 0);
    }
    if (s.volumeReadout > 0.0f) {
        s.volumeReadout = std::max(0.0f, s.volumeReadout - f.dt1);
        const float v = options.GetMasterVolume();
        if (v == 0.0f)
            Util::StrCopy(line, 64, u"Master volume: Normal");
        else
            Util::FormatTo(line, 64, v > 0.0f ? u"Master volume: +%d dB" : u"Master volume: %d dB", int(v));
        f.r->DrawText(800, 20, line, 250, 200, 0);
    }
}

void DrawCrosshair(HudFrame& f)
{
    const SceneState& s = *f.scene;
    ITexture* arm = f.Picture(CommonMedia::Crosshair);
    if (IsAdminPage(s.overlay) || !arm)
        return;
    const int spread = f.local ? Truncate(f.local->GetDispersion() * f.local->GetDispersionFactor(), 0, 1000) : 0;
    const float scale = f.game->viewScale > 0.0f ? f.game->viewScale : 1.0f;
    const float cx = s.cursorX / scale + 512.0f - 4.0f, cy = s.cursorY / scale + 384.0f - 4.0f;
    struct Piece {
        float x, y, degrees;
    };
    const float reach = float(6 + spread);
    const Piece pieces[4] = {
        {cx - reach, cy, 270.0f}, {cx + reach, cy, 90.0f}, {cx, cy - reach, 0.0f}, {cx, cy + reach, 180.0f}};
    f.r->SetTexture(0, arm);
    f.r->SetAlphaBlend();
    for (const Piece& p : pieces) {
        Quad q;
        q.SetFromTexture(arm);
        q.Rotate(4.0f, 4.0f, p.degrees);
        q.Translate(p.x, p.y);
        f.r->DrawScreenQuad(&q, false, 1.0f);
    }
}

} // namespace Hud
