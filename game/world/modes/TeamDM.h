#pragma once

#include "game/world/modes/GameMod.h"

// Finland against Russia for frags; the match ends by the team frag limit,
// the frag limit or the time limit.
class TeamDM : public GameMod {
public:
    TeamDM();

    void Start() override;
    void CheckLimits(float dt) override;
    void Update(float dt) override;
    void DrawScoreboard() override;
    void SendModeInfo(MPAPI::IConnection* connection, int32_t playerId) override;
    bool HandleMessage(MPAPI::IConnection* connection, GamePacket* packet) override;

    // The result banner under "gfx/": the team with more frags, else the one
    // with the better best player, else a draw.
    const char16_t* GetResultImage();
};
