#pragma once

#include <cstddef>
#include <vector>

class Object;

// Questions objects, projectiles and the player ask of the live world.
// Distances are world units; every query walks the registry's lists.

// p projected onto the segment p1-p2: false (and the nearer end) when the
// projection falls outside it.
bool ProjectOntoSegment(float x1, float y1, float x2, float y2, float px, float py, float* x, float* y);
void ClosestPointOnSegment(float x1, float y1, float x2, float y2, float px, float py, float* x, float* y);

// False when an object of that kind, other than excluded, stands within
// radius of (x, y).
bool IsPlaceFree(float x, float y, float radius, int kind, const Object* excluded);
// The same for objects of one definition (the editor's scatter spacing).
bool IsPlaceFreeOfDefinition(float x, float y, float radius, int definitionId, const Object* excluded);
// A mission item as the flag spacing rules see it.
struct FlagPlace {
    int type;
    float x;
    float y;
};
// False when a team flag other than flags[excluded], or a blank flag when
// distance is 150 or less, lies closer than distance to (x, y).
bool IsFlagSpacingFree(const std::vector<FlagPlace>& flags, float x, float y, float distance, size_t excluded);
// Capture-the-flag levels: every team flag 320 from every other flag.
bool CheckCaptureFlagSpacing(const std::vector<FlagPlace>& flags);
// Hill levels: no two flags closer than 100.
bool CheckHillFlagSpacing(const std::vector<FlagPlace>& flags);
// The rule of that game mode (1 capture the flag, 2 hill); others have none.
bool FlagSpacingHolds(int gameMode, const std::vector<FlagPlace>& flags);
// The mission items of the live world.
std::vector<FlagPlace> LiveFlags();
// 0 when a prop's cover circle hides (x2, y2) from (x1, y1); else 1.
float GetCoverVisibility(float x1, float y1, float x2, float y2);
// 0 when a prop's cover lies between a blast and a point; else 1.
float IsShieldedFromBlast(float x1, float y1, float x2, float y2);
// 1 less what doors, props and vehicles take away, never below 0.
float GetObjectsVisibility(float x1, float y1, float x2, float y2);
// 0 (blocked) .. 1 (clear) through walls and objects.
float GetLineOfSight(float x1, float y1, float x2, float y2);
// Damage falling off with distance to every live object within radius that
// no wall hides from the blast.
void ApplyExplosionDamage(float x, float y, float damage, float radius, float a, float b);
// Moves a point with collision and sliding; dx, dy come back as the
// displacement made. A circle of that radius is swept.
void MoveWithCollision(float* x, float* y, float* dx, float* dy, float radius = 0.0f);
