#pragma once

// Class codes of resources: the script block classes, then the image and
// sound resources, which have no script keyword.
namespace ResourceClass {
enum : int {
    Vehicle = 0,
    Boat = 1,
    Ammo = 2,
    AmmoDef = 3,
    Weapon = 4,
    WeaponSystem = 5,
    Item = 6,
    Trash = 7,
    Plant = 8,
    Tree = 9,
    Lamp = 10,
    Furniture = 11,
    StartPoint = 12,
    Floor = 13,
    Wall = 14,
    Door = 15,
    Window = 16,
    Graphics = 17,
    Sound = 18,
    MissionItem = 19,
};
} // namespace ResourceClass

// Tile ids are 18-bit; other ids are 13-bit values shifted left by 18.
constexpr int kNoTile = 0x3ffff;
constexpr int kNoId = -1;
