#pragma once

#include <cstdint>

class IPlayerScores;
class Player;
namespace MPAPI {
class IConnection;
class Object;
} // namespace MPAPI

// What the protocol handlers need of the player objects and of the match
// rules. The game state answers it once players and game modes exist.
class IPlayerRoster {
public:
    struct Figures {
        int32_t team = -1;
        int32_t frags = 0;
        int32_t captures = 0;
        int32_t rank = 0;
        float health = 0.0f;
        float x = 0.0f;
        float y = 0.0f;
    };

    virtual ~IPlayerRoster() {}
    // The world's Player with that object id, players first; null when none.
    virtual Player* FindPlayer(int32_t id) = 0;
    virtual int32_t GetPlayerId(Player* player) = 0;
    virtual Figures GetFigures(Player* player) = 0;
    // The current game mode's new player, the world's registry's; null
    // without a game mode.
    virtual Player* CreatePlayer() = 0;
    virtual MPAPI::Object* AsNetObject(Player* player) = 0;
    virtual void SetConnection(Player* player, MPAPI::IConnection* connection) = 0;
    virtual void SetScores(Player* player, IPlayerScores* scores) = 0;
    // The engine's record given to SetScores, or null.
    virtual IPlayerScores* GetScores(Player* player) = 0;
    // Bit 0x40 of the player's flag word: the client moves relative to facing.
    virtual void SetRelativeMoving(Player* player, bool on) = 0;
    // The game mode's limits for a joining client.
    virtual void SendModeInfo(MPAPI::IConnection* connection) = 0;

    // The serving side's needs; a side that never serves keeps the defaults.
    // The Player behind a connection's object; null when it is something else.
    virtual Player* PlayerOf(MPAPI::Object*) { return nullptr; }
    // Takes the object out of the world and of replication.
    virtual void DeleteObject(MPAPI::Object*) {}
    virtual void DropMissionItems(Player*) {}
    // Choice 1 or 2 as a client asks for it.
    virtual void SetTeam(Player*, int /*choice*/, bool /*respawn*/, bool /*force*/) {}
    virtual void RequestThrow(Player*, int /*power*/) {}
    virtual void SetInput(Player*, int /*flags*/, float /*angle*/, int /*a*/, int /*b*/, float /*u*/, float /*v*/) {}
    // The hosting client's own player: its inventory and moving mode.
    virtual void AdoptOwnPlayer(Player*) {}
    virtual void UpdateMatch(float /*dt*/) {}
    virtual void StartMatch() {}
    virtual bool IsMatchOver() { return false; }
};
