#pragma once

// Checks of the shipped data set, shared by the game's and the dedicated
// server's test programs (each includes this header once). Each program
// defines LoadScript, which reports a script's failure in its own way.

#include "engine/core/StringKit.h"
#include "engine/files/IFileManager.h"
#include "engine/files/MemoryFile.h"
#include "engine/png/PngImage.h"
#include "engine/render/ITexture.h"
#include "engine/xml/TextToken.h"
#include "engine/xml/TextTokenizer.h"
#include "game/world/map/LevelFile.h"
#include "game/world/resources/BlockResource.h"
#include "game/world/resources/GraphicsResource.h"
#include "game/world/resources/ISoundResource.h"
#include "game/world/resources/ObjectResource.h"
#include "game/world/resources/ParameterRecord.h"
#include "game/world/resources/ResourceClass.h"
#include "game/world/resources/ResourceManager.h"
#include "game/world/resources/WeaponTable.h"
#include "game/world/settings/GameOptions.h"
#include "game/world/settings/OptionsFile.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <filesystem>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

namespace DataSet {

// The build tree is the game folder.
inline std::string GameDir() { return VORNHAL_BUILD_DIR; }

// In the order the game loads them.
inline const std::vector<std::string>& ScriptNames()
{
    static const std::vector<std::string> names = {"blocks.cfg", "objects.cfg", "items.cfg", "weapons_fin_vs_rus.cfg"};
    return names;
}

// Loads one script into the manager; false with the reported text in
// *message when it failed or reported anything.
bool LoadScript(ResourceManager& manager, IFileManager* files, const std::string& name, std::string* message);

// A file named by a script section.
struct FileReference {
    std::string script;
    int line = 0;
    std::string section;
    std::string path; // under the game folder: gfx/... or sfx/...
};

// The files of every section that names one, read with the engine's own
// tokenizer: the section word, "(", an optional id and ",", then the file.
inline std::vector<FileReference> ReferencedFiles(const std::string& script, const std::string& text)
{
    static const std::set<std::string> kSections = {"objectgfx", "wreckedgfx", "floorgfx",
                                                    "wallgfx",   "shadowgfx",  "objectsfx"};
    std::vector<FileReference> out;
    TextTokenizer tokenizer(false);
    tokenizer.LoadNarrow(int(text.size()), text.data());
    std::vector<TextToken*> tokens;
    while (TextToken* t = tokenizer.NextToken())
        tokens.push_back(t);
    for (size_t i = 0; i + 2 < tokens.size(); ++i) {
        if (tokens[i]->GetKind() != TextToken::Word || !kSections.count(tokens[i]->ToNarrowString()) ||
            !tokens[i + 1]->IsSymbol(u'('))
            continue;
        size_t f = i + 2;
        if (tokens[f]->GetKind() == TextToken::Integer && f + 2 < tokens.size() && tokens[f + 1]->IsSymbol(u','))
            f += 2;
        if (tokens[f]->GetKind() != TextToken::String)
            continue;
        const std::string section = tokens[i]->ToNarrowString();
        out.push_back({script, tokens[f]->GetLine(), section,
                       (section == "objectsfx" ? "sfx/" : "gfx/") + tokens[f]->ToNarrowString()});
    }
    return out;
}

using TestSupport::ReadText;

inline std::vector<FileReference> AllReferencedFiles()
{
    std::vector<FileReference> all;
    for (const std::string& name : ScriptNames()) {
        std::vector<FileReference> refs = ReferencedFiles(name, ReadText(GameDir() + "/" + name));
        all.insert(all.end(), refs.begin(), refs.end());
    }
    return all;
}

// Decodes a PNG of the game folder; pixels 0xAARRGGBB, rows top to bottom.
inline bool DecodePng(const std::string& path, bool withPixels, int* w, int* h, std::vector<uint32_t>* pixels)
{
    const std::vector<uint8_t> bytes = TestSupport::ReadAll(path);
    if (bytes.empty())
        return false;
    MemoryFile file(int(bytes.size()));
    file.Write(bytes.data(), int(bytes.size()));
    file.Seek(0);
    PngImage png(&file);
    if (!png.Read(withPixels))
        return false;
    *w = png.GetWidth();
    *h = png.GetHeight();
    if (withPixels) {
        if (!png.GetPixels())
            return false;
        pixels->assign(png.GetPixels(), png.GetPixels() + size_t(*w) * size_t(*h));
    }
    return true;
}

inline std::string Narrow(const char16_t* s) { return s ? Util::Narrow(s) : std::string(); }

inline std::string Describe(IResource* r)
{
    return "resource \"" + Narrow(r->GetName()) + "\" (class " + std::to_string(r->GetClassId()) + ", id " +
           std::to_string(r->GetId()) + ")";
}

// Every resource of the manager, blocks and what they are made of.
inline std::vector<IResource*> AllResources(ResourceManager& manager)
{
    std::vector<IResource*> all;
    for (int i = 0; i < manager.GetCount(); ++i)
        all.push_back(manager.GetAt(i));
    return all;
}

inline bool IsBlock(IResource* r) { return dynamic_cast<ObjectResource*>(r) != nullptr; }

inline std::vector<IResource*> BlocksOfClass(ResourceManager& manager, int classId)
{
    std::vector<IResource*> out;
    for (IResource* r : AllResources(manager))
        if (IsBlock(r) && r->GetClassId() == classId)
            out.push_back(r);
    return out;
}

// The first value of a named parameter, or null.
inline const ParameterValue* FirstValue(IResource* r, const char16_t* key)
{
    const ParameterRecord* p = r->FindItem(key);
    return p ? p->Value(0) : nullptr;
}

inline bool IsNumber(const ParameterValue* v)
{
    return v && (v->type == ParameterValue::Integer || v->type == ParameterValue::Real);
}

inline float NumberOf(const ParameterValue* v)
{
    return v->type == ParameterValue::Integer ? float(v->integer) : v->real;
}

inline bool IsText(const ParameterValue* v, const char* text)
{
    return v && (v->type == ParameterValue::Word || v->type == ParameterValue::String) &&
           Util::Narrow(v->text.c_str()) == text;
}

// ----- the checks -----

inline void ExpectIdsExplicitUniqueAndInRange(ResourceManager& manager)
{
    std::map<int, IResource*> seen;
    int graphicsWithoutId = 0;
    for (IResource* r : AllResources(manager)) {
        const int id = r->GetId();
        const bool tile = r->GetClassId() == ResourceClass::Floor || r->GetClassId() == ResourceClass::Wall;
        if (id == kNoId) {
            // Only wrecked images have no id syntax.
            EXPECT_EQ(r->GetClassId(), ResourceClass::Graphics) << Describe(r) << " has no id";
            ++graphicsWithoutId;
            continue;
        }
        auto [it, fresh] = seen.emplace(id, r);
        EXPECT_TRUE(fresh) << Describe(r) << " repeats the id of " << Describe(it->second);
        if (tile) {
            // Floor and wall blocks and their tiles live in the 18-bit range.
            EXPECT_GE(id, 0) << Describe(r);
            EXPECT_LT(id, kNoTile) << Describe(r);
        } else {
            EXPECT_EQ(id & 0x3ffff, 0) << Describe(r) << ": not a 13-bit value shifted by 18";
            EXPECT_NE(id, 0) << Describe(r);
        }
    }
    int wrecked = 0;
    for (const std::string& name : ScriptNames()) {
        const std::string text = ReadText(GameDir() + "/" + name);
        for (size_t at = text.find("wreckedgfx"); at != std::string::npos; at = text.find("wreckedgfx", at + 1))
            ++wrecked;
    }
    EXPECT_EQ(graphicsWithoutId, wrecked);
}

inline void ExpectReferencedFilesExist()
{
    const std::vector<FileReference> refs = AllReferencedFiles();
    EXPECT_GT(refs.size(), 100u);
    for (const FileReference& ref : refs) {
        const std::string path = GameDir() + "/" + ref.path;
        SCOPED_TRACE(ref.script + ":" + std::to_string(ref.line) + " " + ref.section + " " + ref.path);
        ASSERT_TRUE(std::filesystem::is_regular_file(path));
        if (ref.section == "objectsfx") {
            const std::vector<uint8_t> bytes = TestSupport::ReadAll(path);
            ASSERT_GT(bytes.size(), 64u);
            EXPECT_EQ(std::memcmp(bytes.data(), "OggS", 4), 0);
            // The first packet is the Vorbis identification header.
            EXPECT_NE(std::string(bytes.begin(), bytes.begin() + 64).find("\x01vorbis"), std::string::npos);
            continue;
        }
        int w = 0, h = 0;
        std::vector<uint32_t> pixels;
        ASSERT_TRUE(DecodePng(path, true, &w, &h, &pixels));
        EXPECT_GT(w, 0);
        EXPECT_GT(h, 0);
        // Something must be opaque; a picture of holes draws nothing.
        EXPECT_TRUE(std::any_of(pixels.begin(), pixels.end(), [](uint32_t p) { return p != 0; }));
        if (ref.section == "floorgfx" || ref.section == "wallgfx") {
            EXPECT_EQ(w, 128);
            EXPECT_EQ(h % 32, 0);
            EXPECT_TRUE(std::none_of(pixels.begin(), pixels.end(), [](uint32_t p) { return p == 0; }))
                << "a tile sheet with holes";
        }
    }
}

// Cell (col, row) of the 4 x 4 sheet: col = 2 x right + left neighbour,
// row = 2 x below + above. A corner is cut away exactly where neither wall
// side meeting there has a neighbour; the middle is always solid.
inline void ExpectWallAlphaMasks()
{
    int w = 0, h = 0;
    std::vector<uint32_t> pixels;
    ASSERT_TRUE(DecodePng(GameDir() + "/gfx/world/walls_alpha.png", true, &w, &h, &pixels));
    ASSERT_EQ(w, 128);
    ASSERT_EQ(h, 128);
    auto solid = [&](int x, int y) { return (pixels[size_t(y) * 128 + x] >> 24) == 255; };
    for (int row = 0; row < 4; ++row)
        for (int col = 0; col < 4; ++col) {
            SCOPED_TRACE("mask cell " + std::to_string(col) + ", " + std::to_string(row));
            const bool left = col & 1, right = col & 2, above = row & 1, below = row & 2;
            const int x0 = col * 32, y0 = row * 32;
            EXPECT_TRUE(solid(x0 + 16, y0 + 16));
            EXPECT_TRUE(solid(x0 + 16, y0) && solid(x0 + 16, y0 + 31) && solid(x0, y0 + 16) && solid(x0 + 31, y0 + 16))
                << "edge midpoints belong to the wall";
            EXPECT_EQ(solid(x0, y0), left || above);
            EXPECT_EQ(solid(x0 + 31, y0), right || above);
            EXPECT_EQ(solid(x0, y0 + 31), left || below);
            EXPECT_EQ(solid(x0 + 31, y0 + 31), right || below);
        }
}

// The dedicated server loads no shadow images (the upper layer is drawn
// only), so withShadows is false there.
inline void ExpectImagesLoaded(ResourceManager& manager, bool withShadows)
{
    int sheets = 0;
    for (IResource* r : AllResources(manager)) {
        if (auto* g = dynamic_cast<GraphicsResource*>(r)) {
            if (!withShadows && Narrow(r->GetName()) == "_main_shadow") {
                EXPECT_EQ(g->GetTexture(), nullptr) << Describe(r);
                continue;
            }
            ASSERT_NE(g->GetTexture(), nullptr) << Describe(r);
            EXPECT_GT(g->GetRight() - g->GetLeft(), 0) << Describe(r);
            EXPECT_GT(g->GetBottom() - g->GetTop(), 0) << Describe(r);
        } else if (auto* b = dynamic_cast<BlockResource*>(r)) {
            ASSERT_NE(b->GetSheet(), nullptr) << Describe(r);
            EXPECT_EQ(b->GetSheet()->GetWidth(), 128) << Describe(r);
            EXPECT_LT((b->GetRow() + 1) * 32 - 1, b->GetSheet()->GetHeight()) << Describe(r) << ": row past the sheet";
            ++sheets;
        }
    }
    // Every floor and wall block draws from a tile of its own.
    const std::vector<IResource*> floors = BlocksOfClass(manager, ResourceClass::Floor);
    const std::vector<IResource*> walls = BlocksOfClass(manager, ResourceClass::Wall);
    EXPECT_GE(floors.size(), 4u);
    EXPECT_GE(walls.size(), 2u);
    EXPECT_EQ(size_t(sheets), floors.size() + walls.size());
    for (IResource* block : floors)
        EXPECT_NE(dynamic_cast<BlockResource*>(block->GetGraphics()), nullptr) << Describe(block);
    for (IResource* block : walls)
        EXPECT_NE(dynamic_cast<BlockResource*>(block->GetGraphics()), nullptr) << Describe(block);
}

// Every sound linked to a block under a destination: an explicit id (ids
// cross the network; an id-less sound is never heard) and, when sounds
// were loaded, samples.
inline void ExpectLinkedSounds(ResourceManager& manager, bool withSamples)
{
    int links = 0;
    for (IResource* block : AllResources(manager)) {
        if (!IsBlock(block))
            continue;
        for (int index = 0; index <= 13; ++index) {
            IResource* sound = block->GetIndexedLink(index);
            if (!sound)
                continue;
            ++links;
            SCOPED_TRACE(Describe(block) + " destination " + std::to_string(index));
            ASSERT_EQ(sound->GetClassId(), ResourceClass::Sound);
            EXPECT_NE(sound->GetId(), kNoId);
            EXPECT_EQ(manager.GetById(sound->GetId()), sound);
            ISoundResource* s = sound->GetSoundInterface();
            ASSERT_NE(s, nullptr);
            EXPECT_GT(s->GetRange(), 0.0f) << "volume";
            EXPECT_LE(s->GetRange(), 255.0f) << "volume";
            if (withSamples) {
                EXPECT_GE(s->GetSampleCount(), 1);
            }
        }
    }
    EXPECT_GT(links, 30);
}

inline void ExpectWeapons(ResourceManager& manager, const WeaponTable& table)
{
    ASSERT_EQ(size_t(table.GetWeaponCount()), BlocksOfClass(manager, ResourceClass::Weapon).size());
    std::set<int> types;
    int onSpawn = 0;
    for (int i = 0; i < table.GetWeaponCount(); ++i) {
        const WeaponDef& w = *table.GetWeaponAt(i);
        IResource* block = manager.GetById(w.id);
        ASSERT_NE(block, nullptr);
        SCOPED_TRACE(Describe(block));
        types.insert(w.type);
        onSpawn += w.addOnSpawn;
        EXPECT_GE(w.category, 1);
        EXPECT_LE(w.category, 5);
        IResource* ammo = manager.GetById(w.ammoType);
        ASSERT_NE(ammo, nullptr) << "w_ammotype names no resource";
        EXPECT_EQ(ammo->GetClassId(), ResourceClass::AmmoDef);
        ASSERT_NE(w.slotImage, nullptr);
        EXPECT_EQ(w.slotImage->GetWidth(), 128);
        EXPECT_EQ(w.slotImage->GetHeight(), 32);
        ASSERT_NE(w.characterImage, nullptr);
        EXPECT_LE((w.characterRow + 1) * 64, w.characterImage->GetHeight()) << "character row past the picture";
        EXPECT_NE(block->GetImage(), nullptr) << "no picture to lie on the ground";
        EXPECT_NE(w.shotSound, nullptr);
        EXPECT_TRUE(w.hasDisplayName && !w.displayName.empty());
        EXPECT_TRUE(w.hasPickMessage && !w.pickMessage.empty());
        if (w.type != 8) {
            EXPECT_GE(w.clip, 1);
            EXPECT_GE(w.pickClip, 1);
            EXPECT_GT(w.shotInterval, 0);
            EXPECT_GT(w.range, 0.0f);
        }
        if (w.type == 1 || w.type == 2 || w.type == 3) {
            EXPECT_TRUE(w.hasProjectile) << "thrown and placed explosives are drawn from their projectile picture";
        }
        if (w.category == 4) {
            Resource* icon = block->FindGraphicsByFile(u"grenade");
            ASSERT_NE(icon, nullptr) << "explosives need their icon for the HUD row";
            EXPECT_NE(icon->GetImage(), nullptr);
            EXPECT_NE(block->GetIndexedLink(9), nullptr) << "no detonation sound";
        }
        if (w.clipChangeMode == 1) {
            EXPECT_NE(w.reloadPartsSound, nullptr);
        }
        if (w.type == 5) {
            EXPECT_NE(w.reloadSound, nullptr);
            EXPECT_NE(w.shellSound, nullptr);
            EXPECT_GT(w.damage, 0.0f);
        }
    }
    EXPECT_GE(onSpawn, 1) << "players would spawn unarmed";
    // Grenades, mines, remote charges with their detonator, and firearms.
    for (int type : {1, 2, 3, 5, 8})
        EXPECT_TRUE(types.count(type)) << "no weapon of type " << type;
    // A rocket launcher: a firing weapon with a projectile picture.
    bool missile = false;
    for (int i = 0; i < table.GetWeaponCount(); ++i) {
        const WeaponDef& w = *table.GetWeaponAt(i);
        missile =
            missile || (w.type != 1 && w.type != 2 && w.type != 3 && w.type != 4 && w.type != 8 && w.hasProjectile);
    }
    EXPECT_TRUE(missile);
}

inline void ExpectPickUps(ResourceManager& manager, const WeaponTable& table)
{
    EXPECT_EQ(size_t(table.GetAmmoTypeCount()), BlocksOfClass(manager, ResourceClass::AmmoDef).size());
    for (int i = 0; i < table.GetAmmoTypeCount(); ++i)
        EXPECT_GT(table.GetAmmoTypeAt(i)->maxAmmo, 0) << Describe(manager.GetById(table.GetAmmoTypeAt(i)->id));
    ASSERT_EQ(size_t(table.GetAmmoPickupCount()), BlocksOfClass(manager, ResourceClass::Ammo).size());
    ASSERT_GE(table.GetAmmoPickupCount(), 1);
    for (int i = 0; i < table.GetAmmoPickupCount(); ++i) {
        const AmmoPickupDef& p = *table.GetAmmoPickupAt(i);
        IResource* block = manager.GetById(p.id);
        ASSERT_NE(block, nullptr);
        SCOPED_TRACE(Describe(block));
        IResource* type = manager.GetById(p.ammoType);
        ASSERT_NE(type, nullptr) << "a_type names no resource";
        EXPECT_EQ(type->GetClassId(), ResourceClass::AmmoDef);
        EXPECT_GT(p.amount, 0);
        EXPECT_GT(table.GetPickupMaxAmmo(p.id), 0);
        // Without a picture a pick-up is never offered.
        EXPECT_NE(block->GetImage(), nullptr);
    }
    const std::vector<IResource*> items = BlocksOfClass(manager, ResourceClass::Item);
    bool health = false, armour = false;
    for (IResource* item : items) {
        SCOPED_TRACE(Describe(item));
        const ParameterValue* h = FirstValue(item, u"health_add");
        const ParameterValue* a = FirstValue(item, u"armor_add");
        EXPECT_TRUE(IsNumber(h) || IsNumber(a));
        health = health || (IsNumber(h) && NumberOf(h) > 0.0f);
        armour = armour || (IsNumber(a) && NumberOf(a) > 0.0f);
        EXPECT_NE(item->GetImage(), nullptr);
    }
    EXPECT_TRUE(health);
    EXPECT_TRUE(armour);
}

// team_id 1 is team 0 (Finland) and 8 team 7 (Russia): the start point's
// team is team_id - 1, and the players' teams are 0 and 7.
inline void ExpectStartPointsAndFlags(ResourceManager& manager)
{
    std::set<int> teams;
    for (IResource* start : BlocksOfClass(manager, ResourceClass::StartPoint)) {
        const ParameterValue* v = FirstValue(start, u"team_id");
        ASSERT_TRUE(IsNumber(v)) << Describe(start);
        int team = int(NumberOf(v)) - 1;
        if (team < 0 || team > 7)
            team = 0;
        teams.insert(team);
    }
    EXPECT_TRUE(teams.count(0)) << "no start point of Finland";
    EXPECT_TRUE(teams.count(7)) << "no start point of Russia";

    std::set<std::string> flags;
    for (IResource* item : BlocksOfClass(manager, ResourceClass::MissionItem)) {
        const ParameterValue* v = FirstValue(item, u"type");
        ASSERT_NE(v, nullptr) << Describe(item);
        for (const char* type : {"flag_blank", "flag_fin", "flag_rus"})
            if (IsText(v, type))
                flags.insert(type);
        EXPECT_NE(item->GetImage(), nullptr) << Describe(item);
    }
    EXPECT_EQ(flags, (std::set<std::string>{"flag_blank", "flag_fin", "flag_rus"}));
    // Hill flags take their team pictures from these names.
    for (const char16_t* name : {u"finland flag", u"russian flag"}) {
        IResource* flag = manager.GetByName(name);
        ASSERT_NE(flag, nullptr) << Narrow(name);
        EXPECT_EQ(flag->GetClassId(), ResourceClass::MissionItem);
        EXPECT_NE(flag->GetImage(), nullptr);
    }
}

inline void ExpectLevelObjects(ResourceManager& manager, bool withShadows)
{
    static const std::set<std::string> kMaterials = {"wood", "metal", "wall", "glass", "electronic"};
    for (int cls : {ResourceClass::Door, ResourceClass::Window, ResourceClass::Tree, ResourceClass::Lamp,
                    ResourceClass::Furniture}) {
        const std::vector<IResource*> blocks = BlocksOfClass(manager, cls);
        EXPECT_FALSE(blocks.empty()) << "no block of class " << cls;
        for (IResource* b : blocks)
            EXPECT_NE(b->GetImage(), nullptr) << Describe(b);
    }
    for (IResource* b : AllResources(manager)) {
        if (!IsBlock(b))
            continue;
        SCOPED_TRACE(Describe(b));
        if (const ParameterValue* health = FirstValue(b, u"health");
            health && b->GetClassId() != ResourceClass::Weapon) {
            EXPECT_TRUE(IsNumber(health));
            const ParameterValue* material = FirstValue(b, u"material");
            ASSERT_NE(material, nullptr) << "a breakable object without a material";
            EXPECT_TRUE(kMaterials.count(Narrow(material->text.c_str())));
        }
        if (const ParameterRecord* cover = b->FindItem(u"cover")) {
            EXPECT_GE(cover->valueCount, 3) << "cover is read only with three values";
        }
    }
    for (IResource* tree : BlocksOfClass(manager, ResourceClass::Tree)) {
        Resource* trunk = tree->FindGraphicsByFile(u"trunk");
        ASSERT_NE(trunk, nullptr) << Describe(tree);
        EXPECT_NE(trunk->GetImage(), nullptr);
        EXPECT_TRUE(tree->IsBreakable()) << "a tree without a body stops nobody";
    }
    for (IResource* door : BlocksOfClass(manager, ResourceClass::Door)) {
        SCOPED_TRACE(Describe(door));
        Resource* step = door->FindGraphicsByName(u"doorstep");
        ASSERT_NE(step, nullptr);
        EXPECT_NE(step->GetImage(), nullptr);
        EXPECT_NE(FirstValue(door, u"d_opendir"), nullptr);
    }
    for (IResource* window : BlocksOfClass(manager, ResourceClass::Window))
        EXPECT_TRUE(IsText(FirstValue(window, u"material"), "glass")) << Describe(window);
    for (IResource* lamp : BlocksOfClass(manager, ResourceClass::Lamp)) {
        // The upper layer draws the link image only above height 0.
        if (withShadows) {
            EXPECT_NE(lamp->GetLinkImage(), nullptr) << Describe(lamp);
        }
        EXPECT_TRUE(IsNumber(FirstValue(lamp, u"height"))) << Describe(lamp);
    }
}

// The shipped levels, read from "game.data" as a server reads them: each
// seats 32 players, has cover, doors, windows, lights and pick-ups, and
// its flags are far enough apart; "game.opt" names them.
inline void ExpectDefaultLevels(ResourceManager& manager, IFileManager* files)
{
    struct Expected {
        const char16_t* path;
        int mode;
    };
    const Expected levels[] = {
        {u"levels/tdm_riotcity.lvl", 0}, {u"levels/ctf_harbour.lvl", 1}, {u"levels/koh_quarry.lvl", 2}};
    const std::u16string package = Util::Widen((GameDir() + "/game.data").c_str());
    for (const Expected& e : levels) {
        SCOPED_TRACE(Narrow(e.path));
        std::unique_ptr<IFile> file(files->OpenInPackage(e.path, package.c_str()));
        ASSERT_NE(file, nullptr) << "not in game.data";
        LevelContents level;
        ASSERT_TRUE(ReadLevel(file.get(), &manager, &level));
        EXPECT_EQ(level.header.gameMode, e.mode);
        EXPECT_FALSE(level.header.name.empty());
        EXPECT_FALSE(level.world.boxes.empty());
        EXPECT_FALSE(level.lights.empty());
        std::map<int, int> starts, classes;
        std::map<std::string, std::vector<std::pair<float, float>>> flags;
        const float w = float(level.world.width * 32), h = float(level.world.height * 32);
        for (const LevelObject& o : level.objects) {
            IResource* r = manager.GetById(o.definitionId);
            ASSERT_NE(r, nullptr) << o.definitionId;
            EXPECT_TRUE(o.x >= 0 && o.y >= 0 && o.x < w && o.y < h) << Describe(r);
            ++classes[r->GetClassId()];
            if (r->GetClassId() == ResourceClass::StartPoint)
                ++starts[int(NumberOf(FirstValue(r, u"team_id")))];
            if (r->GetClassId() == ResourceClass::MissionItem)
                flags[Narrow(FirstValue(r, u"type")->text.c_str())].push_back({o.x, o.y});
        }
        ASSERT_EQ(starts.size(), 2u) << "start points of both teams";
        for (const auto& team : starts)
            EXPECT_GE(team.second, 16) << "team " << team.first;
        for (int cls : {ResourceClass::Door, ResourceClass::Window, ResourceClass::Lamp, ResourceClass::Furniture,
                        ResourceClass::Ammo, ResourceClass::Item})
            EXPECT_GT(classes[cls], 0) << "class " << cls;
        std::vector<std::pair<float, float>> spaced;
        float minimum = 0;
        if (e.mode == 1) {
            EXPECT_EQ(flags["flag_fin"].size(), 1u);
            EXPECT_EQ(flags["flag_rus"].size(), 1u);
            spaced = flags["flag_fin"];
            spaced.insert(spaced.end(), flags["flag_rus"].begin(), flags["flag_rus"].end());
            minimum = 320;
        } else if (e.mode == 2) {
            EXPECT_GE(flags["flag_blank"].size(), 1u) << "hill flags";
            spaced = flags["flag_blank"];
            minimum = 100;
        } else {
            EXPECT_TRUE(flags.empty());
        }
        for (size_t i = 0; i < spaced.size(); ++i)
            for (size_t j = i + 1; j < spaced.size(); ++j)
                EXPECT_GE(std::hypot(spaced[i].first - spaced[j].first, spaced[i].second - spaced[j].second), minimum);
    }
    GameOptions options;
    ASSERT_TRUE(ReadOptionsFile(files, &options, nullptr, u"game.opt"));
    EXPECT_EQ(Narrow(options.GetServerLevel()), "levels/tdm_riotcity.lvl");
    // The volume keys step from the default: off it, "Normal" is never met.
    EXPECT_EQ(options.GetMasterVolume(), GameOptions().GetMasterVolume());
    for (int mode = 0; mode < 3; ++mode) {
        ASSERT_GT(options.GetMapCycleCount(mode), 0) << mode;
        for (int i = 0; i < options.GetMapCycleCount(mode); ++i) {
            std::unique_ptr<IFile> named(files->OpenInPackage(options.GetMapCycleLevel(mode, i), package.c_str()));
            LevelHeader header;
            ASSERT_TRUE(named && ReadLevelHeader(named.get(), &header)) << Narrow(options.GetMapCycleLevel(mode, i));
            EXPECT_EQ(header.gameMode, mode);
        }
    }
}

} // namespace DataSet
