#pragma once

class GameMod;
class GameOptions;
class IMultiplayerHandler;
class Inventory;
class Player;

// What the world's objects, players and modes ask of the game state above
// them (GameSystem), reached as Services().game.
class IGameState {
public:
    virtual ~IGameState() {}
    virtual IMultiplayerHandler* GetActiveHandler() = 0;
    virtual IMultiplayerHandler* GetServerHandler() = 0;
    virtual IMultiplayerHandler* GetClientHandler() = 0;
    virtual GameOptions& Options() = 0;
    // The rules of the level in play; null before the first level.
    virtual GameMod* GetGameMode() = 0;
    // The inventory the local side plays with: a host's own player's, or
    // (null) the one the client mirrors from the server.
    virtual Inventory* GetInventory() = 0;
    virtual void SetInventory(Inventory* inventory) = 0;
    // A blast on the map and the bodies, told to the clients when serving.
    // Non-finite values (from the network) are ignored.
    virtual void ApplyBlast(float x, float y, float power, float radius) = 0;
    // Every weapon handed out at spawn ("w_addonspawn"), clip from the pack.
    virtual void GiveSpawnWeapons(Player* player) = 0;
    // The local player's clip change: the reload display counts down from
    // this many seconds.
    virtual void StartCountdown(float seconds) = 0;
    // World units per pixel of the view.
    virtual float GetViewScale() = 0;
};
