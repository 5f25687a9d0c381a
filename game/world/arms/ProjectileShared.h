#pragma once

class IResource;
class ITexture;
struct WeaponDef;

// What missiles, grenades and traps read alike from a weapon definition.
const WeaponDef* FindWeaponDef(int definitionId);
ITexture* ProjectileImage(IResource* definition);
// Game messages 1000 and 1002 to every peer; false without a handler.
bool BroadcastExplosion(float x, float y, int sizeCode);
bool BroadcastSmoke(float x, float y, float angle);
// The definition's sound 9 at (x, y), where sounds exist.
void PlayDetonationSound(IResource* definition, float x, float y);
// A finite value inside [lo, hi]; anything else becomes fallback.
float Bounded(float value, float lo, float hi, float fallback);
