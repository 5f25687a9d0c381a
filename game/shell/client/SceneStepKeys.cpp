// The scene step's overlay keys: the host's admin pages, brightness and
// volume, and the chat line.
#include "game/shell/client/SceneStep.h"

#include "engine/audio/IAudio.h"
#include "engine/render/IInput.h"
#include "engine/render/IRenderer.h"
#include "game/shell/client/Game.h"
#include "game/shell/menu/ChatMenu.h"
#include "game/shell/menu/KickMenu.h"
#include "game/shell/menu/MenuEdit.h"
#include "game/shell/protocol/MultiplayerHandler.h"
#include "game/shell/protocol/ServerHandler.h"
#include "game/world/modes/GameMod.h"
#include "game/world/state/WorldServices.h"
#include "game/world/system/GameSystem.h"

#include <algorithm>

namespace {

constexpr float kReadoutSeconds = 3.0f;
// The brightness the settings start with; stepping always passes it.
constexpr float kNormalBrightness = 0.35f;
constexpr float kBrightnessStep = 0.1f;
constexpr float kVolumeStep = 5.0f;
constexpr float kVolumeLimit = 100.0f;

} // namespace

bool SceneStep::AdminMenu()
{
    if (handler_ != game_.GetServerHandler())
        return false;
    const OverlayMode overlay = scene_.overlay;
    if ((overlay == OverlayMode::None || IsAdminPage(overlay)) && !scene_.keyLatch)
        OpenAdminPages();
    return !scene_.keyLatch && ActOnAdminPage();
}

void SceneStep::OpenAdminPages()
{
    OverlayMode& overlay = scene_.overlay;
    auto open = [&](OverlayMode page) {
        overlay = page;
        Latch();
        renderer_->SetCursorVisible(true);
    };
    if (Down(GameAction::KickPlayer) && overlay != OverlayMode::AdminKick) {
        open(OverlayMode::AdminKick);
        if (KickMenu* kick = game_.GetKickMenu()) {
            // The rows first, so that the first of them can be chosen.
            kick->Rebuild();
            kick->SetSelectedRow(0);
        }
    } else if (Down(GameAction::BalanceTeams) && overlay != OverlayMode::AdminBalance) {
        open(OverlayMode::AdminBalance);
    } else if (Down(GameAction::ChangeMap) && overlay != OverlayMode::AdminChangeMap) {
        open(OverlayMode::AdminChangeMap);
    } else if (Down(GameAction::ExitAdmin) && overlay != OverlayMode::None) {
        overlay = OverlayMode::None;
        Latch();
        renderer_->SetCursorVisible(false);
    }
}

bool SceneStep::ActOnAdminPage()
{
    OverlayMode& overlay = scene_.overlay;
    KickMenu* kick = game_.GetKickMenu();
    if (overlay == OverlayMode::AdminKick && kick && Down(GameAction::ExecuteAdmin)) {
        overlay = OverlayMode::None;
        Latch();
        renderer_->SetCursorVisible(false);
        const int row = kick->GetSelectedRow();
        kick->SetSelectedRow(0);
        // The player kicked is the one highlighted, whatever the sort.
        const int dataRow = row >= 0 && row < handler_->CountPlayers() ? kick->GetDataRow(row) : -1;
        if (dataRow >= 0)
            handler_->KickPlayer(handler_->GetPlayerIdAt(dataRow));
    } else if (overlay == OverlayMode::AdminKick && kick && Down(GameAction::KickPlayer)) {
        const int rows = handler_->CountPlayers();
        const int next = kick->GetSelectedRow() + 1;
        kick->SetSelectedRow(rows == 0 ? -1 : (next >= rows ? 0 : next));
        Latch();
    } else if (overlay == OverlayMode::AdminBalance && Down(GameAction::BalanceTeams)) {
        scene_.balanceItem = (scene_.balanceItem + 1) % 3;
        Latch();
    } else if (overlay == OverlayMode::AdminBalance && Down(GameAction::ExecuteAdmin)) {
        if (scene_.balanceItem == 0) {
            if (GameMod* mode = state_->GetGameMode())
                mode->ToggleBalance();
        } else {
            state_->Options().SetServerBalanced(scene_.balanceItem == 1);
        }
        Latch();
    } else if (overlay == OverlayMode::AdminChangeMap && Down(GameAction::ExecuteAdmin)) {
        overlay = OverlayMode::None;
        Latch();
        renderer_->SetCursorVisible(false);
        // When no level of the cycle loads, the one played goes on if it
        // still can; play notices when it cannot.
        if (!handler_->StartLevel())
            state_->Messages(0).AddMessage(u"Unable to load level.", false);
        return true;
    }
    return false;
}

void SceneStep::Readouts()
{
    if (scene_.overlay != OverlayMode::None)
        return;
    GameOptions& options = state_->Options();
    const bool darker = Down(GameAction::BrightDown), brighter = Down(GameAction::BrightUp);
    if ((darker || brighter) && !scene_.keyLatch) {
        scene_.brightnessReadout = kReadoutSeconds;
        scene_.volumeReadout = 0.0f;
        Latch();
        float b = options.GetBrightness();
        if (darker)
            b = b <= kNormalBrightness || b - kBrightnessStep > kNormalBrightness ? std::max(b - kBrightnessStep, 0.0f)
                                                                                  : kNormalBrightness;
        if (brighter)
            b = b >= kNormalBrightness || b + kBrightnessStep < kNormalBrightness ? std::min(b + kBrightnessStep, 1.0f)
                                                                                  : kNormalBrightness;
        options.SetBrightness(b);
        renderer_->SetBrightness(b);
    }
    const bool quieter = Down(GameAction::VolumeDown), louder = Down(GameAction::VolumeUp);
    if ((quieter || louder) && !scene_.keyLatch) {
        scene_.volumeReadout = kReadoutSeconds;
        scene_.brightnessReadout = 0.0f;
        Latch();
        float v = options.GetMasterVolume();
        if (quieter)
            v = std::max(v - kVolumeStep, -kVolumeLimit);
        if (louder)
            v = std::min(v + kVolumeStep, kVolumeLimit);
        if (IAudio* audio = Services().audio)
            audio->SetMasterVolume(v);
        options.SetMasterVolume(v);
    }
}

void SceneStep::ChatEntry()
{
    ChatMenu* chat = game_.GetChatMenu();
    MenuEdit* field = chat ? chat->edit : nullptr;
    if (!field)
        return;
    OverlayMode& overlay = scene_.overlay;
    // The key that opens the line is typed too; the field takes nothing
    // until the next frame.
    field->enabled = overlay == OverlayMode::Chat || overlay == OverlayMode::TeamChat;
    if (overlay == OverlayMode::None && !scene_.keyLatch) {
        if (Down(GameAction::Chat)) {
            overlay = OverlayMode::Chat;
            field->SetText(u"");
        } else if (Down(GameAction::TeamChat)) {
            overlay = OverlayMode::TeamChat;
            field->SetText(u"");
        }
    }
    if ((overlay != OverlayMode::Chat && overlay != OverlayMode::TeamChat) || !field->submitted)
        return;
    field->submitted = false;
    // An empty line closes the entry and sends nothing.
    if (field->GetLength() > 0)
        handler_->SendChat(field->GetText(), overlay == OverlayMode::TeamChat);
    overlay = OverlayMode::None;
    Latch();
}
