// The pictures the menus, the HUD, the loading screen, the dialogs and the
// editor draw from, read out of "game.data" through the file manager: each
// at the size its drawing reads, every state rectangle and cell on drawn
// content; and the sounds they play.
#include "engine/core/StringKit.h"
#include "engine/files/FileManager.h"
#include "engine/files/IFile.h"
#include "engine/png/PngImage.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <memory>
#include <set>
#include <string>
#include <vector>

namespace {

struct Size {
    const char* name;
    int width, height;
};

const Size kPictures[] = {
    // HUD: status bar at (0, 704) across the screen; digit cells of 13 x 13;
    // the crosshair turned about (4, 4); breath bar at (1, 14) of its frame,
    // capture bar at (9, 22); map icons 32 x 32 one above the other.
    {"gfx/gui/gui.png", 1024, 64},
    {"gfx/gui/gui font.png", 130, 13},
    {"gfx/crosshair.png", 8, 8},
    {"gfx/gui/oxygen.png", 177, 25},
    {"gfx/gui/captured.png", 128, 32},
    {"gfx/map_sprites.png", 32, 128},
    // Scoreboard flags above the team names at row 250; result banners over
    // the 400-wide panel and below it.
    {"gfx/finland.png", 140, 128},
    {"gfx/soviet.png", 140, 128},
    {"gfx/gui/finland_wins.png", 400, 60},
    {"gfx/gui/russia_wins.png", 400, 60},
    {"gfx/gui/draw.png", 400, 60},
    {"gfx/gui/finland_scores.png", 400, 60},
    {"gfx/gui/russia_scores.png", 400, 60},
    // Menus: background and loading screen drawn at their own size over the
    // whole screen; state rows of the buttons; label strips; two arrows.
    {"gfx/menu.png", 1024, 768},
    {"gfx/loading.png", 1024, 768},
    {"gfx/exit_btn.png", 118, 148},
    {"gfx/join_game_btn.png", 187, 148},
    {"gfx/host_game_btn.png", 204, 148},
    {"gfx/refresh_btn.png", 105, 84},
    {"gfx/join_btn.png", 91, 112},
    {"gfx/host_btn.png", 91, 84},
    {"gfx/join_texts.png", 60, 10},
    {"gfx/host_texts.png", 119, 110},
    {"gfx/arrows.png", 18, 8},
    // Dialog pictures: login 257 rows (210 shown); the update dialogs at 1.5
    // pixels a dialog unit across and 1.625 down.
    {"gfx/login.png", 341, 257},
    {"gfx/update1.png", 423, 98},
    {"gfx/update2.png", 416, 70},
    // Editor toolbar: eleven 16 x 16 images, normal and hot.
    {"gfx/editor/toolbar.png", 176, 16},
    {"gfx/editor/toolbar_hot.png", 176, 16},
    // The rest of the shared media and the players' pictures.
    {"gfx/effects/wall_wreck.png", 128, 128},
    {"gfx/player_foot_run.png", 448, 64},
    {"gfx/player_foot_left.png", 512, 64},
    {"gfx/player_foot_right.png", 512, 64},
    {"gfx/effects/gib01.png", 16, 16},
    {"gfx/effects/gib06.png", 16, 16},
    {"gfx/player/ranks_fin.png", 110, 32},
    {"gfx/player/ranks_rus.png", 110, 32},
    {"gfx/effects/explosion02_ani.png", 256, 256},
    {"gfx/effects/explosion03_ani.png", 256, 256},
    {"gfx/effects/blood_small01.png", 16, 16},
    {"gfx/effects/blood01.png", 64, 64},
    {"gfx/effects/bloodparticle1.png", 8, 8},
    {"gfx/effects/smoketest2.png", 64, 64},
    {"gfx/effects/bazookasmoke.png", 32, 32},
    {"gfx/effects/bazookasmoke_c.png", 32, 32},
    {"gfx/effects/flame_yellow.png", 32, 32},
    {"gfx/effects/flame_orange.png", 32, 32},
    {"gfx/effects/flame_black.png", 32, 32},
    {"gfx/effects/grenade_hole.png", 32, 32},
    {"gfx/effects/particle_wood.png", 8, 8},
    {"gfx/effects/particle_glass.png", 8, 8},
    {"gfx/effects/bullet_impact_smoke.png", 16, 16},
    {"gfx/effects/bullet_impact_spark2.png", 16, 16},
    {"gfx/mission/flag_white.png", 32, 32},
    {"gfx/mission/flag_ctf_player_fin.png", 64, 64},
    {"gfx/mission/flag_fin_dr.png", 32, 32},
    // Map flags are drawn 16 pixels up and left of their place.
    {"gfx/mission/flag_fin_s.png", 32, 32},
    {"gfx/mission/flag_rus_s.png", 32, 32},
    {"gfx/mission/flag_white_s.png", 32, 32},
    {"gfx/player/player_fin_stand.png", 64, 64},
    {"gfx/player/player_rus_crouch.png", 64, 64},
    {"gfx/player_stand_c.png", 64, 64},
    {"gfx/muzzle_rifle.png", 128, 32},
    {"gfx/shadow.png", 64, 64},
    {"gfx/objects/startpoint1.png", 32, 32},
    {"gfx/objects/startpoint8.png", 32, 32},
    {"gfx/player/player_fin_die01.png", 512, 64},
    {"gfx/player/player_rus_die01.png", 512, 64},
};

const char* const kSounds[] = {
    "sfx/weapons/hit_glass.ogg",      "sfx/weapons/hit_wood.ogg",   "sfx/weapons/break_player_1.ogg",
    "sfx/weapons/break_player_3.ogg", "sfx/weapons/explosive2.ogg", "sfx/weapons/empty_shot.ogg",
    "sfx/weapons/pick_ammo.ogg",      "sfx/weapons/pick_armor.ogg", "sfx/weapons/pick_weapon.ogg",
    "sfx/weapons/explosive1.ogg",
};

// What a rectangle of a picture must hold: a button face (opaque), text
// (some pixels on a clear strip), or a dark slot the game draws into.
enum class Holds { Face, Text, Slot };

struct Region {
    const char* name;
    int left, top, right, bottom;
    Holds holds;
};

const Region kRegions[] = {
    {"gfx/exit_btn.png", 0, 0, 118, 36, Holds::Face},
    {"gfx/exit_btn.png", 0, 74, 118, 111, Holds::Face},
    {"gfx/exit_btn.png", 0, 111, 118, 148, Holds::Face},
    {"gfx/join_game_btn.png", 0, 38, 187, 75, Holds::Face},
    {"gfx/join_game_btn.png", 0, 0, 187, 36, Holds::Face},
    {"gfx/join_game_btn.png", 0, 74, 187, 111, Holds::Face},
    {"gfx/join_game_btn.png", 0, 111, 187, 148, Holds::Face},
    {"gfx/host_game_btn.png", 0, 0, 204, 36, Holds::Face},
    {"gfx/host_game_btn.png", 0, 38, 204, 74, Holds::Face},
    {"gfx/host_game_btn.png", 0, 74, 204, 111, Holds::Face},
    {"gfx/host_game_btn.png", 0, 111, 204, 148, Holds::Face},
    {"gfx/refresh_btn.png", 0, 0, 105, 28, Holds::Face},
    {"gfx/refresh_btn.png", 0, 28, 105, 56, Holds::Face},
    {"gfx/refresh_btn.png", 0, 56, 105, 84, Holds::Face},
    {"gfx/join_btn.png", 0, 0, 91, 28, Holds::Face},
    {"gfx/join_btn.png", 0, 28, 91, 56, Holds::Face},
    {"gfx/join_btn.png", 0, 56, 91, 84, Holds::Face},
    {"gfx/join_btn.png", 0, 84, 91, 112, Holds::Face},
    {"gfx/host_btn.png", 0, 0, 91, 28, Holds::Face},
    {"gfx/host_btn.png", 0, 28, 91, 56, Holds::Face},
    {"gfx/host_btn.png", 0, 56, 91, 84, Holds::Face},
    {"gfx/join_texts.png", 0, 0, 60, 10, Holds::Text},
    {"gfx/host_texts.png", 0, 0, 119, 10, Holds::Text},
    {"gfx/host_texts.png", 0, 10, 119, 20, Holds::Text},
    {"gfx/host_texts.png", 0, 20, 119, 30, Holds::Text},
    {"gfx/host_texts.png", 0, 30, 119, 40, Holds::Text},
    {"gfx/host_texts.png", 0, 40, 119, 50, Holds::Text},
    {"gfx/host_texts.png", 0, 50, 119, 60, Holds::Text},
    {"gfx/host_texts.png", 0, 60, 119, 70, Holds::Text},
    {"gfx/host_texts.png", 0, 70, 119, 80, Holds::Text},
    {"gfx/host_texts.png", 0, 80, 119, 90, Holds::Text},
    {"gfx/host_texts.png", 0, 90, 90, 100, Holds::Text},
    {"gfx/host_texts.png", 0, 100, 119, 110, Holds::Text},
    // Status bar: health, armour, clip and ammunition digits, stamina and
    // reload bars, weapon icons; the breath and capture bars.
    {"gfx/gui/gui.png", 41, 28, 80, 41, Holds::Slot},
    {"gfx/gui/gui.png", 144, 28, 183, 41, Holds::Slot},
    {"gfx/gui/gui.png", 872, 28, 911, 41, Holds::Slot},
    {"gfx/gui/gui.png", 937, 28, 976, 41, Holds::Slot},
    {"gfx/gui/gui.png", 250, 32, 425, 40, Holds::Slot},
    {"gfx/gui/gui.png", 730, 1, 858, 6, Holds::Slot},
    {"gfx/gui/gui.png", 708, 19, 858, 51, Holds::Slot},
    {"gfx/gui/oxygen.png", 1, 14, 176, 24, Holds::Slot},
    {"gfx/gui/captured.png", 9, 22, 118, 31, Holds::Slot},
};

class PackedMedia : public testing::Test {
protected:
    std::unique_ptr<IFile> Open(const std::string& name)
    {
        const std::u16string package = Util::Widen(VORNHAL_BUILD_DIR "/game.data");
        return std::unique_ptr<IFile>(files_.OpenInPackage(Util::Widen(name.c_str()).c_str(), package.c_str()));
    }
    // Pixels 0xAARRGGBB, rows top to bottom, 0 where clear.
    bool Decode(const std::string& name, bool withPixels, int* w, int* h, std::vector<uint32_t>* pixels = nullptr)
    {
        std::unique_ptr<IFile> file = Open(name);
        PngImage png(file.get());
        if (!file || !png.Read(withPixels))
            return false;
        *w = png.GetWidth();
        *h = png.GetHeight();
        if (withPixels)
            pixels->assign(png.GetPixels(), png.GetPixels() + size_t(*w) * size_t(*h));
        return true;
    }

    FileManager files_;
};

int Luma(uint32_t p) { return int(((p >> 16) & 255) * 3 + ((p >> 8) & 255) * 6 + (p & 255)) / 10; }

TEST_F(PackedMedia, EveryPictureHasTheSizeItsDrawingReads)
{
    for (const Size& s : kPictures) {
        int w = 0, h = 0;
        ASSERT_TRUE(Decode(s.name, false, &w, &h)) << s.name << " is missing from game.data";
        EXPECT_EQ(w, s.width) << s.name;
        EXPECT_EQ(h, s.height) << s.name;
    }
}

TEST_F(PackedMedia, EveryNamedSoundIsOggVorbis)
{
    for (const char* name : kSounds) {
        std::unique_ptr<IFile> file = Open(name);
        ASSERT_NE(file, nullptr) << name << " is missing from game.data";
        char head[64] = {};
        ASSERT_EQ(file->Read(head, sizeof(head)), int(sizeof(head))) << name;
        EXPECT_EQ(std::memcmp(head, "OggS", 4), 0) << name;
        EXPECT_NE(std::string(head, sizeof(head)).find("\x01vorbis"), std::string::npos) << name;
    }
}

TEST_F(PackedMedia, StateRowsLabelsAndSlotsLandOnDrawing)
{
    for (const Region& r : kRegions) {
        SCOPED_TRACE(std::string(r.name) + " (" + std::to_string(r.left) + ", " + std::to_string(r.top) + ")");
        int w = 0, h = 0;
        std::vector<uint32_t> pixels;
        ASSERT_TRUE(Decode(r.name, true, &w, &h, &pixels));
        ASSERT_LE(r.right, w);
        ASSERT_LE(r.bottom, h);
        int opaque = 0, dark = 0;
        const int area = (r.right - r.left) * (r.bottom - r.top);
        for (int y = r.top; y < r.bottom; ++y)
            for (int x = r.left; x < r.right; ++x) {
                const uint32_t p = pixels[size_t(y) * size_t(w) + size_t(x)];
                opaque += (p >> 24) == 255;
                dark += (p >> 24) == 255 && Luma(p) < 48;
            }
        if (r.holds == Holds::Face) {
            EXPECT_GE(opaque, area * 9 / 10) << "a state row with a gap";
        } else if (r.holds == Holds::Text) {
            EXPECT_GE(opaque, area / 20) << "an empty label";
            EXPECT_LE(opaque, area * 2 / 3) << "a label on a solid block";
        } else {
            EXPECT_EQ(dark, area) << "not a dark slot";
        }
    }
}

// Cell k holds the digit k + 1, the last cell 0: "1" is the one narrow
// glyph, and no two cells are alike. The arrow at (0, 0) points down (wide
// at the top), the one at (9, 0) up. Map icons: team 0 blue, others red; the
// local player's icon is the larger.
TEST_F(PackedMedia, DigitArrowAndMapCellsAreInTheOrderTheyAreRead)
{
    int w = 0, h = 0;
    std::vector<uint32_t> px;
    ASSERT_TRUE(Decode("gfx/gui/gui font.png", true, &w, &h, &px));
    std::set<std::vector<bool>> shapes;
    std::vector<int> spans;
    for (int k = 0; k < 10; ++k) {
        std::vector<bool> lit;
        int left = 13, right = -1;
        for (int y = 0; y < 13; ++y)
            for (int x = 0; x < 13; ++x) {
                lit.push_back(Luma(px[size_t(y) * 130 + size_t(k * 13 + x)]) > 128);
                if (lit.back()) {
                    left = std::min(left, x);
                    right = std::max(right, x);
                }
            }
        EXPECT_GT(std::count(lit.begin(), lit.end(), true), 10) << "digit cell " << k;
        shapes.insert(lit);
        spans.push_back(right - left);
    }
    EXPECT_EQ(shapes.size(), 10u);
    EXPECT_EQ(std::min_element(spans.begin(), spans.end()) - spans.begin(), 0) << "the first cell is not the 1";

    ASSERT_TRUE(Decode("gfx/arrows.png", true, &w, &h, &px));
    for (int cell = 0; cell < 2; ++cell) {
        int upper = 0, lower = 0;
        for (int y = 0; y < 8; ++y)
            for (int x = cell * 9; x < cell * 9 + 9; ++x)
                (y < 4 ? upper : lower) += Luma(px[size_t(y) * 18 + size_t(x)]) > 64;
        EXPECT_EQ(upper > lower, cell == 0) << "arrow " << cell;
    }

    ASSERT_TRUE(Decode("gfx/map_sprites.png", true, &w, &h, &px));
    for (int row = 0; row < 4; ++row) {
        const uint32_t inner = px[size_t(row * 32 + 19) * 32 + 16];
        const bool blue = (inner & 255) > ((inner >> 16) & 255);
        EXPECT_EQ(blue, row % 2 == 0) << "map icon row " << row;
        EXPECT_EQ(px[size_t(row * 32 + 26) * 32 + 16] != 0, row < 2) << "map icon row " << row;
    }
}

} // namespace
