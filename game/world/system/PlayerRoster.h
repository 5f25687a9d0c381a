#pragma once

#include "game/world/net/IPlayerRoster.h"

// The protocol handlers' view of the world's players and match rules.
class PlayerRoster : public IPlayerRoster {
public:
    Player* FindPlayer(int32_t id) override;
    int32_t GetPlayerId(Player* player) override;
    Figures GetFigures(Player* player) override;
    Player* CreatePlayer() override;
    MPAPI::Object* AsNetObject(Player* player) override;
    void SetConnection(Player* player, MPAPI::IConnection* connection) override;
    void SetScores(Player* player, IPlayerScores* scores) override;
    IPlayerScores* GetScores(Player* player) override;
    void SetRelativeMoving(Player* player, bool on) override;
    void SendModeInfo(MPAPI::IConnection* connection) override;
    Player* PlayerOf(MPAPI::Object* object) override;
    void DeleteObject(MPAPI::Object* object) override;
    void DropMissionItems(Player* player) override;
    void SetTeam(Player* player, int choice, bool respawn, bool force) override;
    void RequestThrow(Player* player, int power) override;
    void SetInput(Player* player, int flags, float angle, int a, int b, float u, float v) override;
    void AdoptOwnPlayer(Player* player) override;
    void UpdateMatch(float dt) override;
    void StartMatch() override;
    bool IsMatchOver() override;
};
