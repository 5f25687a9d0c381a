// The one table hosts translate X11 keysyms through, and what the keys do
// to the tools and views of a session on a real X window.
#include "EditorRig.h"
#include "support/DisplayCheck.h"

#include "game/shell/editor/EditorKeys.h"
#include "game/world/map/ILight.h"
#include "game/world/map/World.h"
#include "game/world/objects/Object.h"
#include "game/world/state/ObjectManager.h"
#include "game/world/state/WorldServices.h"
#include "support/GameFolder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <tuple>

TEST(EditorKeys, KeysymsBecomeTheEditorsCodes)
{
    using namespace EditorKeys;
    const struct {
        unsigned long keysym;
        unsigned code;
    } table[] = {{'v', Letter('V')}, {'V', Letter('V')},    {'3', Digit(3)},    {0x20, Space},      {0xffff, Delete},
                 {0x2b, OemPlus},    {0xffab, Add},         {0x2d, OemMinus},   {0xffad, Subtract}, {0xff51, Left},
                 {0xffe4, Ctrl},     {0xffe1, Shift},       {0xffe9, Alt},      {0xfe03, Alt},      {0xffbe, F1},
                 {0x1008ff11, 0},    {0xff08, Backspace},   {0xff09, Tab},      {0xff0d, Return},   {0xff8d, Return},
                 {0xff1b, Escape},   {0xff9f, Delete},      {0xff50, Home},     {0xff97, Up},       {0xff53, Right},
                 {0xff99, Down},     {0xff55, PageUp},      {0xff56, PageDown}, {0xff57, End},      {0xffaa, Multiply},
                 {0xffaf, Divide},   {0xffb3, NumPad0 + 3}, {0xffc9, F1 + 11},  {0xffe3, Ctrl},     {0xffe8, Alt},
                 {0x3d, OemPlus},    {0x5f, OemMinus},      {0xffe2, Shift},    {0xffea, Alt}};
    for (const auto& k : table)
        EXPECT_EQ(EditorKeyFromKeysym(k.keysym), k.code) << std::hex << k.keysym;
    EXPECT_TRUE(IsPlus(0x2B) && IsPlus(OemPlus) && IsPlus(Add) && IsMinus(0x2D) && !IsMinus(Delete));
}

using namespace EditorKeys;
using namespace EditorTest;

// The keys that change how the tools act, the view's edges, a second
// window's own view and the minimap's pace, on a 60 x 40 map.
TEST(EditorSession, KeysStepTheToolsAndEachWindowKeepsItsView)
{
    if (!HaveDisplay())
        GTEST_SKIP() << "no display";
    TestSupport::TempDir dir;
    const std::string folder = dir.File("editor");
    TestSupport::LayOutGameFolder(folder);
    EditorTest::Session s;
    std::string why;
    ASSERT_TRUE(s.Open(folder, &why)) << why;
    IEditorUI* ui = s.ui;
    EditorTest::View* view = s.view.get();
    Driver drive{ui, view};
    World* world = s.game->GetWorld();
    auto pick = [&](const char16_t* page, const char16_t* name) {
        IResource* r = s.palette.Find(page, name);
        ASSERT_NE(r, nullptr);
        r->SelectInManager();
    };
    auto variant = [&](int x, int y) {
        return int((world->GetCell(x, y) & World::kVariantMask) >> World::kVariantShift);
    };
    ui->NewLevel();
    ui->ResizeLevel(60, 40, 0, 0);

    // A held 3 paints the third variant where the pointer goes, until let go.
    pick(u"Floors", u"grass");
    ui->MouseMove(view, 5 * 32 + 5, 5 * 32 + 5);
    ui->KeyDown(view, Digit(3));
    ui->MouseMove(view, 6 * 32 + 5, 5 * 32 + 5);
    ui->KeyUp(view, Digit(3));
    ui->MouseMove(view, 7 * 32 + 5, 5 * 32 + 5);
    EXPECT_EQ(std::vector<int>({variant(5, 5), variant(6, 5), world->GetBlockAt(7, 5)}), std::vector<int>({2, 2, -1}));
    // With R held a line takes every third cell, on the upper row of its drag.
    pick(u"Walls", u"brick wall");
    ui->KeyDown(view, Letter('R'));
    ui->KeyDown(view, Shift);
    drive.Drag(2 * 32 + 5, 12 * 32 + 5, 11 * 32 + 5, 10 * 32 + 5);
    ui->KeyUp(view, Shift);
    ui->KeyUp(view, Letter('R'));
    std::string row;
    for (int x = 0; x < 14; ++x)
        row += (world->GetCell(x, 10) & World::kWall) ? '#' : '.';
    EXPECT_EQ(row, "..#..#..#..#..");
    // E with the fill tool paints the empty region's cells along its edges
    // with other blocks.
    pick(u"Floors", u"grass");
    drive.Key(Letter('F'));
    ui->MouseMove(view, 30 * 32, 30 * 32);
    drive.Key(Letter('E'));
    row.clear();
    for (int x = 3; x < 9; ++x)
        row += world->GetBlockAt(x, 4) == world->GetBlockAt(5, 5) ? 'g' : '.';
    EXPECT_EQ(row, "..gg..");
    EXPECT_EQ(world->GetBlockAt(30, 30), -1);

    // X keeps the object tool's preview on its row, Y on its column.
    pick(u"Objects", u"metal barrel");
    ui->MouseMove(view, 400, 300);
    ui->KeyDown(view, Letter('X'));
    ui->MouseMove(view, 500, 380);
    ui->KeyUp(view, Letter('X'));
    ui->KeyDown(view, Letter('Y'));
    ui->MouseMove(view, 600, 420);
    ui->KeyUp(view, Letter('Y'));
    ui->LeftButtonDown(view, 600, 420);
    ui->LeftButtonUp(view, 600, 420);
    IResource* barrel = s.palette.Find(u"Objects", u"metal barrel");
    IResource* pine = s.palette.Find(u"Objects", u"pine");
    ASSERT_TRUE(barrel && pine);
    // A pine on the barrel: clicks there take each in turn; Delete takes the pine.
    pick(u"Objects", u"pine");
    drive.Click(496, 416);
    drive.Key(Letter('V'));
    drive.Click(500, 420);
    drive.Click(500, 420);
    drive.Key(Delete);
    std::vector<std::tuple<int, float, float>> left;
    auto objects = [&] {
        left.clear();
        Services().objects->ForEachObject(
            [&](Object* o) { left.emplace_back(o->GetDefinitionId(), o->GetX(), o->GetY()); });
        return left;
    };
    EXPECT_EQ(objects(), (std::vector<std::tuple<int, float, float>>{{barrel->GetId(), 496.0f, 416.0f}}));
    // The scatter brush held down places again every 32 pixels it went.
    ui->AddClipboardItem(barrel->GetId());
    ui->SetScatterOptions(false, 0, 1, 0);
    drive.Key(Letter('S'));
    drive.Drag(1000, 200, 1020, 200);
    ui->LeftButtonDown(view, 1020, 200);
    ui->MouseMove(view, 1040, 200);
    ui->MouseMove(view, 1060, 200);
    ui->LeftButtonUp(view, 1060, 200);
    drive.Key(Letter('V'));
    std::vector<float> stops;
    for (const auto& o : objects())
        if (std::get<2>(o) == 200.0f)
            stops.push_back(std::get<1>(o));
    EXPECT_EQ(stops, std::vector<float>({1000, 1016, 1040}));

    // Ctrl with a letter picks no tool; Alt and Ctrl together (AltGr) are no
    // Ctrl. A brush stroke paints the tiles it passes once each, the right
    // button empties them.
    drive.Key(Letter('B'));
    pick(u"Floors", u"grass");
    ui->KeyDown(view, Ctrl);
    drive.Key(Letter('V'));
    ui->KeyUp(view, Ctrl);
    EXPECT_EQ(ui->GetTool(), 2);
    ui->KeyDown(view, Alt);
    ui->KeyDown(view, Ctrl);
    ui->MouseMove(view, 20 * 32 + 5, 20 * 32 + 5);
    ui->LeftButtonDown(view, 20 * 32 + 5, 20 * 32 + 5);
    EXPECT_FALSE(ui->MouseMove(view, 20 * 32 + 20, 20 * 32 + 20)) << "the same tile";
    EXPECT_TRUE(ui->MouseMove(view, 22 * 32 + 5, 22 * 32 + 5));
    ui->LeftButtonUp(view, 22 * 32 + 5, 22 * 32 + 5);
    ui->KeyUp(view, Ctrl);
    ui->KeyUp(view, Alt);
    ui->RightButtonDown(view, 22 * 32 + 5, 22 * 32 + 5);
    ui->RightButtonUp(view, 22 * 32 + 5, 22 * 32 + 5);
    int painted = 0;
    for (int y = 20; y <= 22; ++y)
        for (int x = 20; x <= 22; ++x)
            painted += world->GetBlockAt(x, y) >= 0;
    EXPECT_EQ(painted, 1);
    // Delete with the light area tool takes the areas at its start point.
    drive.Key(Letter('A'));
    drive.Drag(64, 64, 192, 192);
    drive.Drag(320, 64, 448, 192);
    ASSERT_EQ(world->GetLightBoxCount(), 2);
    ui->MouseMove(view, 100, 100);
    drive.Key(Delete);
    ASSERT_EQ(world->GetLightBoxCount(), 1);
    EXPECT_EQ(world->GetLightBox(0)->x0, 320.0f);
    // The tool taken up again starts with no point.
    ui->MouseMove(view, 400, 100);
    EXPECT_NE(ui->GetLightBoxAtCursor(), nullptr);
    drive.Key(Letter('V'));
    drive.Key(Letter('A'));
    EXPECT_EQ(ui->GetLightBoxAtCursor(), nullptr);
    // The level's only area goes too.
    ui->MouseMove(view, 400, 100);
    drive.Key(Delete);
    EXPECT_EQ(world->GetLightBoxCount(), 0);

    // The light tool's size stops at 16 and 1024, a placed light's at 32.
    drive.Key(Letter('L'));
    for (int i = 0; i < 30; ++i)
        drive.Key(OemMinus);
    drive.Click(200, 600);
    for (int i = 0; i < 110; ++i)
        drive.Key(Add);
    drive.Click(800, 600);
    drive.Key(Letter('V'));
    drive.Click(206, 600);
    EXPECT_EQ(ui->GetSelectedLight(), nullptr) << "a light is picked within 6 pixels";
    drive.Click(205, 595);
    ASSERT_NE(ui->GetSelectedLight(), nullptr);
    EXPECT_EQ(ui->GetSelectedLight()->GetSize(), 16.0f);
    drive.Key(Subtract);
    EXPECT_EQ(ui->GetSelectedLight()->GetSize(), 32.0f);
    drive.Click(800, 600);
    EXPECT_EQ(ui->GetSelectedLight()->GetSize(), 1024.0f);
    drive.Key(0x2B);
    EXPECT_EQ(ui->GetSelectedLight()->GetSize(), 1024.0f);

    // A rectangle drag scrolls 32 pixels a move within 20 pixels of the
    // left and top and past 10 of the right and bottom, once it left them,
    // and not past the level's edge.
    ui->SetViewSize(640, 480);
    drive.Key(Letter('B'));
    ui->KeyDown(view, Ctrl);
    ui->MouseMove(view, 10, 10);
    ui->LeftButtonDown(view, 10, 10);
    for (auto p : {std::pair<int, int>{5, 5}, {20, 20}, {19, 19}, {631, 471}, {630, 470}})
        ui->MouseMove(view, float(p.first), float(p.second));
    ui->LeftButtonUp(view, 630, 470);
    ui->KeyUp(view, Ctrl);
    const std::vector<std::pair<int, int>> tiles(view->coordinates.end() - 5, view->coordinates.end());
    EXPECT_EQ(tiles, (std::vector<std::pair<int, int>>{{0, 0}, {0, 0}, {0, 0}, {19, 14}, {20, 15}}));
    // A second window pans alone.
    const unsigned long second = s.windows.Make(320, 240);
    ASSERT_NE(second, 0u);
    EditorTest::View other(second);
    drive.Key(Letter('P'));
    ui->LeftButtonDown(&other, 100, 100);
    ui->MouseMove(&other, 90, 90);
    ui->LeftButtonUp(&other, 90, 90);
    ui->MouseMove(&other, 50, 50);
    ui->MouseMove(view, 0, 0);
    EXPECT_EQ(other.coordinates.back(), std::make_pair(2, 2));
    EXPECT_EQ(view->coordinates.back(), std::make_pair(1, 1));

    // The minimap draws a resized level at once, a changed tile at the
    // hundredth quiet tick, and its frame again once the view moved.
    EXPECT_TRUE(ui->MiniMapTick(s.window));
    world->SetTile(0, 0, -1);
    int ticks = 1;
    while (!ui->MiniMapTick(s.window) && ticks < 200)
        ++ticks;
    EXPECT_EQ(ticks, 100);
    // Its point (100, 50) of a 60 x 40 map is (960, 480), centred in the view.
    ui->CenterViewOnMiniMap(100, 50);
    EXPECT_TRUE(ui->MiniMapTick(s.window));
    EXPECT_FALSE(ui->MiniMapTick(s.window));
    ui->MouseMove(view, 0, 0);
    EXPECT_EQ(view->coordinates.back(), std::make_pair((960 - 320) / 32, (480 - 240) / 32));

    // Capture-the-flag flags too close: said when saving, saved all the same.
    ui->SetGameMode(1);
    pick(u"Objects", u"finland flag");
    drive.Click(1200, 800);
    pick(u"Objects", u"russian flag");
    drive.Click(1300, 800);
    drive.Key(Letter('V'));
    boxes.clear();
    Ui::SetMessageBackend(RecordBox);
    EXPECT_TRUE(SaveTo(ui, dir.File("close.lvl")));
    Ui::SetMessageBackend(nullptr);
    EXPECT_EQ(boxes,
              std::vector<std::u16string>(
                  {u"Save level: Flag's distance to other flag must be at least 320 pixels.\nLevel can't be played"}));

    // The grid's line at 1600 pixels and the map's top and right edges,
    // with the camera at (1408, -96); a size the interface was not told of
    // yet gives way to the window's own.
    ui->SetViewSize(1024, 768);
    ui->CenterViewOnMiniMap(200, 30);
    ui->SetViewSize(640, 480);
    int w = 0, h = 0;
    const std::vector<uint32_t> pixels = NextFrame(s, dir.File("frame"), &w, &h);
    ASSERT_EQ(std::make_pair(w, h), std::make_pair(1024, 768));
    EXPECT_NE(std::count(&pixels[size_t(760 * w + 188)], &pixels[size_t(760 * w + 196)], 0xFF0000B4u), 0)
        << "the grid's line reaches the window's foot";
    std::vector<uint32_t> crop;
    for (int y = 40; y < 160; ++y)
        crop.insert(crop.end(), &pixels[size_t(y * w + 100)], &pixels[size_t(y * w + 580)]);
    TestSupport::ExpectMatchesGolden("game/shell/editor/golden", "grid", crop, 480, 120);
    // Light areas less than a pixel past the view's top and right edges are
    // not outlined on them.
    drive.Key(Letter('A'));
    world->AddLightBox(new World::LightBox(1500, -200, 1600, -96.5f));
    world->AddLightBox(new World::LightBox(1408 + 1024.5f, 0, 2500, 100));
    const std::vector<uint32_t> edges = NextFrame(s, dir.File("edges"), &w, &h);
    ASSERT_EQ(edges.size(), pixels.size());
    int yellow = 0;
    for (int i = 0; i < w; ++i)
        yellow += (edges[size_t(i)] & 0xFFFFFFu) == 0x01EAFFu;
    for (int y = 0; y < h; ++y)
        yellow += (edges[size_t(y * w + w - 1)] & 0xFFFFFFu) == 0x01EAFFu;
    EXPECT_EQ(yellow, 0);

    // A level smaller than the minimap frames the view a pixel a pixel: the
    // frame's corner is the camera's (160, 96), not (166, 100).
    ui->CenterViewOnMiniMap(70, 50);
    ui->ResizeLevel(6, 4, 0, 0);
    const unsigned long mini = s.windows.Make(200, 200);
    ASSERT_NE(mini, 0u);
    ui->MiniMapTick(mini);
    const std::vector<uint32_t> map =
        NextFrame(s, dir.File("minimap"), &w, &h, [&] { ui->DrawMiniMap(mini, 200, 200); });
    ASSERT_EQ(map.size(), size_t(200 * 200));
    int column = 200, top = 200;
    for (int i = 0; i < 200 * 200; ++i)
        if ((map[size_t(i)] & 0xFFFFFFu) == 0x0000FFu)
            column = std::min(column, i % 200), top = std::min(top, i / 200);
    // A line's pixels may fall on either side of it.
    EXPECT_NEAR(column, 160, 1);
    EXPECT_NEAR(top, 96, 1);
}
