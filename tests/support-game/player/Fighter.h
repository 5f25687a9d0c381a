#pragma once

#include "HeadlessClient.h"
#include "Walker.h"
#include "game/world/player/Player.h"

#include <cstdint>
#include <string>
#include <vector>

// A scripted player for whole matches, playing the level's mode:
// - team deathmatch: kills the nearest enemy with bullets, then with a
//   grenade, then with a mine it lays where the enemy will walk, then with
//   anything; it fetches the explosives lying about when it has none;
// - capture the flag: touches its own flag, takes the enemy flag and carries
//   it home;
// - king of the hill: stands at each hill flag its team does not hold until
//   the flag is taken.
// A chaser only walks at the nearest enemy it sees and never fires. With
// nobody in sight, either makes for where an enemy was last known and where
// the enemy side starts.
class Fighter {
public:
    enum class Role { Fight, Chase };

    Fighter(uint32_t seed, Role role) : walker_(seed), role_(role) {}

    void Steer(TestGame::HeadlessClient& client, float dt);
    // Where it is heading and what for, for a trace.
    std::string Describe() const;

private:
    struct Orders {
        uint32_t flags = PlayerInputFlags::Aiming;
        float aimX = 0.0f, aimY = 0.0f;
        int weapon = -1;
        int explosive = -1;
        int throwPower = -1; // throws (or lays) the explosive held
    };

    // The modes.
    void Deathmatch(TestGame::HeadlessClient& client, Player* own, float dt, Orders* o);
    void Chase(Player* own, float dt, Orders* o);
    void CaptureFlag(Player* own, float dt, Orders* o);
    void HoldHill(Player* own, float dt, Orders* o);

    // Walks to within 120 of the target, aims at it and fires when told to.
    void Engage(TestGame::HeadlessClient& client, Player* own, Player* target, float dt, bool fire, Orders* o);
    // Away from a point, facing it.
    void StepBack(Player* own, float fromX, float fromY, float dt, Orders* o);
    void Patrol(Player* own, float dt, Orders* o);
    // With no enemy in sight: to where one was last known, then to where
    // the enemy side starts, by turns; a patrol when neither is known.
    void Seek(Player* own, float dt, Orders* o);
    void GoTo(Player* own, float x, float y, float dt, bool exact, bool sprint, Orders* o);
    // Goes for a weapon of that type lying about, within 40 tiles or, told
    // to go anywhere, wherever one lies or will be back; false when there is
    // none.
    bool Fetch(Player* own, int weaponType, bool anywhere, float dt, Orders* o);
    void ThrowGrenade(TestGame::HeadlessClient& client, Player* own, Player* target, int grenade, Orders* o);
    // Lays the mine where the target's way to the fighter runs straight
    // through, stands on it until it can go off, then steps back along that
    // way and waits.
    void LureOnto(Player* own, Player* target, int mine, float dt, Orders* o);
    // Off down another street, for a new plan there.
    void Reposition(Player* own, Player* target);
    bool MinePlanHolds(int at, int enemyTile, int* back);

    // An explosive of the weapon type carried with a round to throw; -1 none.
    static int Explosive(TestGame::HeadlessClient& client, int weaponType, bool loaded);
    static void ChooseWeapon(TestGame::HeadlessClient& client, int* weapon, int* clip);
    static Player* Nearest(Player* own);

    Walker walker_;
    Role role_;
    float clock_ = 0.0f;
    float goalX_ = 0.0f, goalY_ = 0.0f;
    bool respawnPress_ = false;
    unsigned trigger_ = 0;
    // The explosive chosen and for how long: the server must know it before
    // a throw is asked for.
    int heldExplosive_ = -1;
    float heldFor_ = 0.0f;
    // Patrol.
    bool patrolSet_ = false, outbound_ = true;
    // Seek: heading for the enemy's start rather than its last known place.
    bool seekStart_ = false;
    float homeX_ = 0.0f, homeY_ = 0.0f, awayX_ = 0.0f, awayY_ = 0.0f;
    // Deathmatch: 0 bullets, 1 grenade, 2 mine, 3 anything; moves on with
    // each frag.
    int stage_ = 0, frags_ = 0;
    float lastThrow_ = -100.0f, lastPlan_ = -100.0f;
    bool laid_ = false;
    // Where it waits a tile behind its mine, and where it then goes, this
    // many tiles behind.
    static constexpr int kMineBack = 6;
    float laidAt_ = 0.0f, nearX_ = 0.0f, nearY_ = 0.0f, backX_ = 0.0f, backY_ = 0.0f;
    bool fleeing_ = false;
    float fleeX_ = 0.0f, fleeY_ = 0.0f, fledAt_ = 0.0f;
    // Since when the fighter has waited for a way to lay its mine; -1 while
    // it is not waiting.
    float waitingSince_ = -1.0f;
    // Capture the flag: the own flag touched since the last spawn.
    bool homeTouched_ = false;
    bool wasAlive_ = false;
};
