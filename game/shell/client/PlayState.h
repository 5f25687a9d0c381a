#pragma once

#include "game/shell/client/SceneState.h"

#include <memory>

class ChatMenu;
class ITexture;
class KickMenu;
namespace MPAPI {
class IClient;
}

// What the play loop keeps between frames and between matches.
struct PlayState {
    PlayState();
    ~PlayState();
    PlayState(const PlayState&) = delete;
    PlayState& operator=(const PlayState&) = delete;

    SceneState scene;
    std::unique_ptr<ChatMenu> chat;
    std::unique_ptr<ChatMenu> password;
    std::unique_ptr<KickMenu> kick;
    // The joined server's client; its receive thread writes into the game
    // state, so it goes before the game state does.
    std::unique_ptr<MPAPI::IClient> client;
    // "gfx/loading.png", loaded on first use and kept.
    ITexture* loadingPicture = nullptr;
    // Seconds of play not yet given to the game state's update.
    float gameTime = 0.0f;
};
