#pragma once

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
// False when a team flag other than excluded, or a blank flag when distance
// is 150 or less, lies closer than distance to (x, y).
bool IsFlagSpacingFree(float x, float y, float distance, const Object* excluded);
// Capture-the-flag levels: every team flag 320 from every other flag.
bool CheckCaptureFlagSpacing();
// Hill levels: no two flags closer than 100.
bool CheckHillFlagSpacing();
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
