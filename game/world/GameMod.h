#pragma once

class MissionItem;
class Object;
class Player;

// The rules of one match kind; the game state owns the one of the level
// being played.
class GameMod {
public:
    virtual ~GameMod() {}
    // Null lets the caller make a plain mission item.
    virtual MissionItem* CreateFlagObject(int definitionId) = 0;
    virtual void OnKill(Player* victim, Object* killer, int killDetail, int weaponId) = 0;
    virtual bool IsGameOver() { return false; }
    virtual bool CanRespawn(Player*) { return true; }
    // Places the player at a start point of its team.
    virtual void SpawnPlayer(Player*) {}
    // Whether the player may take the mission item.
    virtual bool OnFlagTouched(Player*, MissionItem*) { return true; }
    virtual void OnFlagTaken(Player*, MissionItem*) {}
    virtual void OnFlagDropped(Player*, MissionItem*) {}
    // The operator's "balance": the teams are evened out at the next chance.
    virtual void ToggleBalance() {}
};
