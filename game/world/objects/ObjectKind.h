#pragma once

// Kind codes of world objects; the kind is also the replicated type id.
namespace ObjectKind {
enum : int {
    Prop = 0,
    Player = 2,
    DeadPlayer = 3,
    Mess = 4,
    BreakParticle = 5,
    Dust = 6,
    Missile = 7,
    Grenade = 8,
    Bullet = 9,
    StartPoint = 10,
    Vehicle = 11,
    Tree = 12,
    Window = 13,
    Door = 14,
    Ammo = 15,
    Item = 16,
    Weapon = 17,
    Trap = 18,
    Fire = 19,
    SoundSource = 20,
    MissionItem = 21,
};
} // namespace ObjectKind
