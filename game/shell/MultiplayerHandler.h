#pragma once

#include <cstdint>

namespace MPAPI {
class Object;
}
class Player;

// Where a connected player's position is mirrored for the protocol.
struct PlayerSlot {
    int32_t playerId = -1;
    float x = 0.0f;
    float y = 0.0f;
};

// The game-protocol side of a machine, as the world calls it. The serving
// and client handlers implement it in the shell.
class MultiplayerHandler {
public:
    // One game message under construction or being read.
    struct GamePacket {
        int32_t type = 0;
        int32_t writeLength = 0;
        int32_t readPosition = 0;
        void Reset() { type = writeLength = readPosition = 0; }
    };

    virtual ~MultiplayerHandler() {}
    // A new object made while the game runs; serving, it gets its network id.
    virtual void AddObject(MPAPI::Object* object) = 0;
    // An object every machine builds itself from the level file.
    virtual void AddLevelObject(MPAPI::Object* object) = 0;
    virtual void RemoveObject(MPAPI::Object* object) = 0;
    virtual void SendClearEffects(Player* player) = 0;
    // The slot holding that id, else the first free one claimed for it.
    virtual PlayerSlot* GetOrAddPlayerSlot(int playerId) = 0;
    virtual int GetLocalPlayerId() = 0;
};
