#pragma once

// The side of a map tile in world units (pixels): the grid of the level
// map, of the floor and wall sheets, and of the editor's tools.
constexpr int kTileSize = 32;
