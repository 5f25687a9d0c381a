#pragma once

#include <map>
#include <string>
#include <vector>

// A level as authored in text: a character map with a legend, placed
// objects, lights and light boxes. Coordinates are in tiles and may be
// fractional; an object's point is the top-left corner of its picture.
struct LevelSource {
    struct Glyph {
        std::string block;  // floor or wall block name
        std::string object; // object placed on the tile, or empty
        float angle = 0.0f;
    };
    struct Placed {
        std::string name;
        float x = 0, y = 0, angle = 0;
    };
    struct Light {
        int type = 0;
        float x = 0, y = 0, angle = 0, size = 256, power = 1.6f, r = 1, g = 1, b = 1;
    };
    struct Box {
        float x0 = 0, y0 = 0, x1 = 0, y1 = 0, intensity = 0.7f, r = 1, g = 1, b = 1;
    };

    std::string file;
    std::string name;
    int mode = 0;
    bool compress = false;
    std::map<char, Glyph> legend;
    std::vector<std::string> rows;
    std::vector<Placed> objects;
    std::vector<Light> lights;
    std::vector<Box> boxes;

    // False with a message naming the line for anything it does not know.
    bool Parse(const std::string& text, std::string* error);
    int Width() const;
    int Height() const { return int(rows.size()); }
};
