#pragma once

// Malformed scripts with the line and the message each must fail with, and a
// valid script that uses every section; both builds run them.

#include <string>
#include <vector>

namespace ScriptTest {

struct ErrorCase {
    const char* script;
    int line;
    const char* message;
    bool gameOnly; // the dedicated server accepts it
};

// Every case runs with the textures "body.png" (64 x 32) and "tiles.png"
// (64 x 128) and the sample "s.ogg" available.
inline std::vector<ErrorCase> ErrorCases()
{
    return {
        // Blocks.
        {"\"weapon\" 1 \"x\" ()", 1, "Class name must be string. Invalid token: 'weapon'", false},
        {"\n\nrocket 1 \"x\" ()", 3, "Unknown block class: 'rocket'", false},
        {"weapon 1\n  2 ()", 2, "Block name is missing", false},
        {"weapon 12 \"A\" ()\nweapon 12\n \"B\" ()", 3, "Object with id 12 allready exist", false},
        {"weapon\n x ()", 2, "Block id is not number", false},
        {"weapon \"a\"\n [ ]", 2, "'(' expected", false},
        {"weapon \"a\" (\n sparkle()\n)", 2, "Unknown object stuff: 'sparkle'", false},
        {"weapon \"a\" (\n objectgfx x", 2, "'(' expected. 'x' parsed.", false},
        // objectgfx and the value reader.
        {"weapon \"a\" (\n objectgfx(x, \"f.png\", \"n\", main))", 2, "object id must be number", false},
        {"weapon \"a\" (\n objectgfx(5,\n 6, \"n\", main))", 3, "filename must be string", false},
        {"weapon \"a\" (\n objectgfx(\"f.png\" \"n\", main))", 2, "',' expected. 'n' parsed.", false},
        {"weapon \"a\" (\n objectgfx(\"f.png\", n, main))", 2, "name must be string", false},
        {"weapon \"a\" (\n objectgfx(\"f.png\", \"n\", \"main\"))", 2, "invalid token for type", false},
        {"weapon \"a\" (\n objectgfx(\"f.png\", \"n\", main x))", 2, "')' expected", false},
        {"weapon \"a\" (\n objectgfx(\"f.png\", \"n\", main,\n state(1)))", 3, "unknown parameter", false},
        {"weapon \"a\" (\n objectgfx(\"f.png\", \"n\", main, row(1) x))", 2, "'(' expected", false},
        {"weapon \"a\" (\n objectgfx(\"f.png\", \"n\", main, pivot(x, 1)))", 2, "pivot x value must be number", false},
        {"weapon \"a\" (\n objectgfx(\"f.png\", \"n\", main, co(1,\n \"y\")))", 3, "pivot y value must be number",
         false},
        {"weapon \"a\" (\n objectgfx(\"f.png\", \"n\", main, row(1.5)))", 2, "row value must be integer", false},
        {"weapon \"a\" (\n parameter(p, col(x)))", 2, "col value must be integer", false},
        {"weapon \"a\" (\n parameter(p, state(\"1\")))", 2, "state value must be integer", false},
        {"weapon \"a\" (\n parameter(p, color(x, 2, 3)))", 2, "red value must be integer", false},
        {"weapon \"a\" (\n parameter(p, color(1, 2.0, 3)))", 2, "green value must be integer", false},
        {"weapon \"a\" (\n parameter(p, color(1, 2,\n z)))", 3, "blue value must be integer", false},
        {"weapon \"a\" (\n parameter(p, direction(x)))", 2, "direction value must be integer or float", false},
        {"weapon \"a\" (\n parameter(p, delay(x)))", 2, "delay value must be number", false},
        {"weapon \"a\" (\n parameter(p, volume(1.5)))", 2, "volume value must be integer", false},
        {"weapon \"a\" (\n parameter(p, disabled(\"x\")))", 2, "disabled value must be number", false},
        {"weapon \"a\" (\n parameter(p,\n ;))", 3, "Value syntax error. ';' parsed.", false},
        // linkgfx.
        {"weapon \"a\" (\n linkgfx(x, \"b\"))", 2, "name must be string", false},
        {"weapon \"a\" (\n linkgfx(\"a\", b))", 2, "unknown destination name. Must be a type name", false},
        {"weapon \"a\" (\n objectgfx(\"body.png\", \"b\", main)\n linkgfx(\"a\", \"b\"))", 3,
         "Object resource was not found", false},
        {"weapon \"a\" (\n objectgfx(\"body.png\", \"b\", main) objectsfx(\"s.ogg\", \"s\")\n linkgfx(\"s\", \"b\"))",
         3, "Resource is not a graphics resource", false},
        // wreckedgfx.
        {"weapon \"a\" (\n wreckedgfx(x))", 2, "filename must be string", false},
        {"weapon \"a\" (\n wreckedgfx(\"w.png\" x))", 2, ", or ) expected", false},
        {"weapon \"a\" (\n wreckedgfx(\"w.png\";))", 2, ", expected", false},
        {"weapon \"a\" (\n wreckedgfx(\"w.png\", x))", 2, "destination/name must be string", false},
        {"weapon \"a\" (\n wreckedgfx(\"w.png\", \"n\" \"m\"))", 2, ", or ) expected", false},
        {"weapon \"a\" (\n wreckedgfx(\"w.png\", \"n\", col(1)))", 2, "unknown parameter", false},
        // parameter.
        {"weapon \"a\" (\n parameter(\"p\", 1))", 2, "parameter name must be string without quotation marks", false},
        {"weapon \"a\" (\n parameter(p, 1 2))", 2, "',' expected", false},
        {"weapon \"a\" (\n parameter(p, 1, 2, 3, 4, 5, 6, 7,\n 8, 9))", 3, "too many values for parameter", false},
        // objectsfx.
        {"weapon \"a\" (\n objectsfx(x, \"s.ogg\", \"s\"))", 2, "id must be number", false},
        {"weapon \"a\" (\n objectsfx(3, 4, \"s\"))", 2, "filename must be string", false},
        {"weapon \"a\" (\n objectsfx(\"s.ogg\", s))", 2, "name must be string", false},
        {"weapon \"a\" (\n objectgfx(\"body.png\", \"b\", main)\n objectsfx(\"s.ogg\", \"b\"))", 3,
         "Object is not a sound", false},
        {"weapon \"a\" (\n objectsfx(\"s.ogg\", \"s\", volume(256)))", 2, "volume must be between 0 and 255", false},
        {"weapon \"a\" (\n objectsfx(\"s.ogg\", \"s\")\n objectsfx(\"s.ogg\", \"s\", volume(1)))", 3,
         "Parameter definition is allowed only for the first objectsfx", false},
        {"weapon \"a\" (\n objectsfx(\"s.ogg\", \"s\" x))", 2, "'(' expected", false},
        {"weapon \"a\" (\n objectsfx(\"s.ogg\", \"s\", pivot(1, 1)))", 2, "unknown parameter", false},
        {"weapon \"a\" (\n objectsfx(\"s.ogg\", \"s\", volume(1) volume(2)))", 2, "'(' expected", false},
        // linksfx.
        {"weapon \"a\" (\n linksfx(x, shot))", 2, "name must be string", false},
        {"weapon \"a\" (\n linksfx(\"s\", shot))", 2, "Sound resource was not found", false},
        {"weapon \"a\" (\n objectgfx(\"body.png\", \"b\", main)\n linksfx(\"b\", shot))", 3,
         "Resource is not a sound resource", false},
        {"weapon \"a\" (\n objectsfx(\"s.ogg\", \"s\")\n linksfx(\"s\", fire))", 3, "Unknown sound destination", false},
        {"weapon \"a\" (\n objectsfx(\"s.ogg\", \"s\") linksfx(\"s\", shot x))", 2, "'(' expected", false},
        {"weapon \"a\" (\n objectsfx(\"s.ogg\", \"s\") linksfx(\"s\", shot, x))", 2, "unknown destination object name",
         false},
        {"weapon \"a\" (\n objectsfx(\"s.ogg\", \"s\") linksfx(\"s\", shot, \"o\" x))", 2, "')' expected. 'x' parsed.",
         false},
        // floorgfx and wallgfx.
        {"floor \"f\" (\n floorgfx(x, \"tiles.png\", \"n\", main, row(0)))", 2, "object id must be number", false},
        {"floor \"f\" (\n floorgfx(1, 2, \"n\", main, row(0)))", 2, "filename must be string", false},
        {"floor \"f\" (\n floorgfx(\"tiles.png\", n, main, row(0)))", 2, "name must be string", false},
        {"floor \"f\" (\n floorgfx(\"tiles.png\", \"n\", \"main\", row(0)))", 2, "invalid token for type", false},
        {"floor \"f\" (\n floorgfx(\"tiles.png\", \"n\", side, row(0)))", 2, "type must be 'main' or 'bump'", false},
        {"floor \"f\" (\n floorgfx(\"tiles.png\", \"n\", main,\n col(0)))", 3, "row is missing from floorgfx", false},
        {"wall \"f\" (\n wallgfx(\"tiles.png\", \"n\", bump, 0))", 2, "row is missing from floorgfx", false},
        {"wall \"f\" (\n wallgfx(\"none.png\", \"n\", main, row(0)\n ))", 3, "File \"none.png\" not found", true},
        // shadowgfx.
        {"tree \"t\" (\n shadowgfx(x))", 2, "shadow id must be number", false},
        {"tree \"t\" (\n shadowgfx(1, 2))", 2, "filename must be string", false},
        {"tree \"t\" (\n shadowgfx(\"s.png\", , x))", 2, "',' expected", false},
        // bounding.
        {"tree \"t\" (\n bounding(x, 1))", 2, "coordinate x value must be number", false},
        {"tree \"t\" (\n bounding(1,\n \"y\"))", 3, "coordinate y value must be number", false},
        {"tree \"t\" (\n bounding(1, 2 3))", 2, ") or , expected", false},
        // breakable.
        {"tree \"t\" (\n breakable(x, \"s\", 1, wood, <(1, 2)>))", 2, "destination must be string", false},
        {"tree \"t\" (\n breakable(\"d\", s, 1, wood, <(1, 2)>))", 2, "sub destination must be string", false},
        {"tree \"t\" (\n breakable(\"d\", \"s\", x, wood, <(1, 2)>))", 2, "health must be number", false},
        {"tree \"t\" (\n breakable(\"d\", \"s\", 1, \"wood\", <(1, 2)>))", 2, "type must be name", false},
        {"tree \"t\" (\n breakable(\"d\", \"s\", 1, glass, <(1, 2)>))", 2, "type must be wood, metal or class", false},
        {"tree \"t\" (\n breakable(\"d\", \"s\", 1, wood, (1, 2)))", 2, "'<' expected. '(' parsed.", false},
        {"tree \"t\" (\n breakable(\"d\", \"s\", 1, wood, <(x, 2)>))", 2, "coordinate x value must be number", false},
        {"tree \"t\" (\n breakable(\"d\", \"s\", 1, wood, <(1, y)>))", 2, "coordinate y value must be number", false},
        {"tree \"t\" (\n breakable(\"d\", \"s\", 1, wood, <(1, 2) (3, 4)>))", 2, ", or > expected", false},
        {"tree \"t\" (\n breakable(\"d\", \"s\", 1, wood, <(1, 2)>\n x)", 3, "')' expected. 'x' parsed.", false},
        // Ids that cannot be kept.
        {"weapon\n 99999999999 \"a\" ()", 2, "Id is out of range: '99999999999'", false},
        {"floor 262143\n \"f\" ()", 2, "Tile id must be between 0 and 262142", false},
        {"wall 300000 \"f\" ()", 1, "Tile id must be between 0 and 262142", false},
        {"floor \"f\" (\n floorgfx(262143, \"tiles.png\", \"n\", main, row(0)))", 2,
         "Tile id must be between 0 and 262142", false},
        {"weapon 12 \"a\" (\n objectgfx(12, \"body.png\", \"n\", main))", 2, "Object with id 12 allready exist", false},
        {"weapon 12 \"a\" (\n objectsfx(12, \"s.ogg\", \"n\"))", 2, "Object with id 12 allready exist", false},
        {"weapon 12 \"a\" (\n shadowgfx(12, \"body.png\"))", 2, "Object with id 12 allready exist", false},
        {"floor 7 \"a\" (\n floorgfx(7, \"tiles.png\", \"n\", main, row(0)))", 2, "Object with id 7 allready exist",
         false},
        {"weapon \"a\" (\n objectgfx(5, \"body.png\", \"n\", main)\n objectsfx(5, \"s.ogg\", \"s\"))", 3,
         "Object with id 5 allready exist", false},
        // Scripts that end inside a block.
        {"weapon 1 \"a\" ()\n\nweapon", 3, "Unexpected end of script", false},
        {"weapon 1", 1, "Unexpected end of script", false},
        {"weapon \"a\" (\n objectgfx(\"body.png\",", 2, "Unexpected end of script", false},
        {"tree \"t\" (\n bounding(1, 2,\n", 2, "Unexpected end of script", false},
        {"tree \"t\" (\n breakable(\"d\", \"s\", 1, wood, <(1, 2)\n /* unclosed ) )", 2, "Unexpected end of script",
         false},
    };
}

// A valid script with every section, used for the truncation and the
// dedicated-server checks.
inline const char* FullScript()
{
    return "// weapons\n"
           "ammodef 200 \"Rounds\" (\n"
           "  parameter(a_maxammo, 90)\n"
           ")\n"
           "weapon 100 \"Rifle\" (\n"
           "  objectgfx(101, \"body.png\", \"body\", main, pivot(4, 5.5))\n"
           "  objectgfx(102, \"slot.png\", \"slot\", slot)\n"
           "  objectgfx(103, \"char.png\", \"character\", character, co(1, 2), row(3))\n"
           "  objectgfx(104, \"bullet.png\", \"projectile\", projectile)\n"
           "  linkgfx(\"slot\", \"body\")\n"
           "  wreckedgfx(\"wreck.png\", \"wrecked\", pivot(1, 2))\n"
           "  shadowgfx(105, \"shadow.png\", , )\n"
           "  objectsfx(106, \"shot1.ogg\", \"shot\", volume(200))\n"
           "  objectsfx(\"shot2.ogg\", \"shot\")\n"
           "  objectsfx(107, \"reload.ogg\", \"reload\")\n"
           "  linksfx(\"shot\", shot)\n"
           "  linksfx(\"reload\", reload, \"Rifle\")\n"
           "  parameter(w_clip, 30)\n"
           "  parameter(w_mix, 2.5, \"text\", bare, co(1, 2), pivot(3, 4))\n"
           "  bounding(0, 0, 10, 0, 10.5, 5)\n"
           "  breakable(\"wreck\", \"sub\", 100.9, metal, <(1, 2), (3.5, 4)>)\n"
           ")\n"
           "floor 300 \"Grass\" (\n"
           "  floorgfx(301, \"tiles.png\", \"grass\", main, row(2))\n"
           "  floorgfx(302, \"tiles.png\", \"grass_bump\", bump, row(3))\n"
           ")\n"
           "wall 310 \"Brick\" ( wallgfx(311, \"tiles.png\", \"brick\", main, row(1)) )\n";
}

} // namespace ScriptTest
