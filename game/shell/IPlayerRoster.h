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
    };

    virtual ~IPlayerRoster() {}
    // The Player with that object id, players first; null when none.
    virtual Player* FindPlayer(int32_t id) = 0;
    virtual int32_t GetPlayerId(Player* player) = 0;
    virtual Figures GetFigures(Player* player) = 0;
    // The current game mode's new player; null without a game mode.
    virtual Player* CreatePlayer() = 0;
    virtual MPAPI::Object* AsNetObject(Player* player) = 0;
    virtual void SetConnection(Player* player, MPAPI::IConnection* connection) = 0;
    virtual void SetScores(Player* player, IPlayerScores* scores) = 0;
    // Bit 0x40 of the player's flag word: the client moves relative to facing.
    virtual void SetRelativeMoving(Player* player, bool on) = 0;
    // The game mode's limits for a joining client.
    virtual void SendModeInfo(MPAPI::IConnection* connection) = 0;
};
