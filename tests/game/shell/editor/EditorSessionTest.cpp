// A level made from nothing through the editing interface alone, as the
// editor program drives it with a view on a real X window: the map sized,
// painted, filled and lit, start points, flags, a door, a window and a
// light placed, moved, cloned and deleted, then saved. The file reads back
// as made, the real server hosts it and headless players download it and
// play.
#include "EditorRig.h"
#include "support/DisplayCheck.h"

#include "HostedLevel.h"
#include "engine/core/Random.h"
#include "engine/core/StringKit.h"
#include "engine/files/FileManager.h"
#include "engine/render/ITexture.h"
#include "game/shell/editor/EditorKeys.h"
#include "game/world/map/ILight.h"
#include "game/world/map/LevelFile.h"
#include "game/world/map/World.h"
#include "game/world/objects/Object.h"
#include "game/world/state/ObjectManager.h"
#include "game/world/state/WorldServices.h"
#include "platform/ui/Ui.h"
#include "support/GameFolder.h"
#include "support/Golden.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/resource.h>
#include <unistd.h>

#include <chrono>
#include <cmath>
#include <csignal>
#include <filesystem>
#include <map>
#include <thread>

namespace {

namespace fs = std::filesystem;
using namespace EditorKeys;
using namespace EditorTest;

constexpr struct {
    int w, h, count;
} kCrop{240, 180, 8};

int CountObjects()
{
    int count = 0;
    Services().objects->ForEachObject([&](Object*) { ++count; });
    return count;
}

Object* OnlyObjectOf(IResource* definition)
{
    Object* found = nullptr;
    int count = 0;
    Services().objects->ForEachObject([&](Object* o) {
        if (o->GetDefinitionId() == definition->GetId())
            found = o, ++count;
    });
    return count == 1 ? found : nullptr;
}

} // namespace

TEST(EditorSession, ALevelFromNothingIsSavedHostedAndPlayed)
{
    if (!HaveDisplay())
        GTEST_SKIP() << "no display";
    TestSupport::TempDir dir;
    const std::string folder = dir.File("editor");
    TestSupport::LayOutGameFolder(folder);
    const std::string saved = folder + "/levels/editor_made.lvl";
    // A folder of its own: the Editor program's tests keep theirs beside it.
    const std::string shots = std::string(VORNHAL_BUILD_DIR) + "/screenshots/editor/session";
    fs::remove_all(shots);
    fs::create_directories(shots);
    boxes.clear();
    Ui::SetMessageBackend(RecordBox);
    std::vector<uint8_t> level;
    int finland = 0, russia = 0;
    {
        EditorTest::Session s;
        std::string why;
        ASSERT_TRUE(s.Open(folder, &why)) << why;
        // Painted floors take random variants: the same ones every run.
        Util::SeedRandom(41);
        IEditorUI* ui = s.ui;
        EditorTest::View* view = s.view.get();
        Driver drive{ui, view};
        World* world = s.game->GetWorld();
        const RecordingListener& palette = s.palette;
        ASSERT_EQ(palette.pages.size(), 3u);
        auto pick = [&](const char16_t* page, const char16_t* name) {
            IResource* r = palette.Find(page, name);
            EXPECT_NE(r, nullptr) << Util::Narrow(name);
            if (r)
                r->SelectInManager();
            return r;
        };

        // A new map: sizes nobody can hold change nothing; an empty map is
        // used whole.
        ui->NewLevel();
        ui->ResizeLevel(40, 30, 0, 0);
        for (auto bad : {std::pair<int, int>{0, 30}, {-3, 30}, {5000, 30}, {40, 0}})
            ui->ResizeLevel(bad.first, bad.second, 0, 0);
        int w = 0, h = 0, l = -1, t = -1, r = -1, b = -1;
        ui->GetLevelSize(&w, &h);
        EXPECT_EQ(std::make_pair(w, h), std::make_pair(40, 30));
        ui->GetUsedArea(&l, &t, &r, &b);
        EXPECT_EQ(std::vector<int>({l, t, r, b}), std::vector<int>({0, 0, 39, 29}));
        ui->SetLevelName(u"Editor made, with a name longer than the sixty-four units a level keeps");
        EXPECT_EQ(std::u16string(ui->GetLevelName()).size(), 64u);
        ui->SetLevelName(u"Editor Made");
        ui->SetGameMode(1);
        ui->SetCompressBlocks(true);

        // Grass over everything with the fill tool, a concrete yard by a
        // rectangle, a brick wall by a line, dirt with a wide brush.
        IResource* grass = pick(u"Floors", u"grass");
        EXPECT_EQ(ui->GetTool(), 2);
        drive.Key(Letter('F'));
        drive.Click(100, 100);
        EXPECT_TRUE(ui->TakeLevelEdit());
        drive.Click(100, 100);
        EXPECT_FALSE(ui->TakeLevelEdit()) << "a fill over its own block changes nothing";
        pick(u"Floors", u"concrete");
        EXPECT_EQ(ui->GetTool(), 9) << "a palette pick keeps the fill tool";
        drive.Key(Letter('B'));
        ui->KeyDown(view, Ctrl);
        drive.Drag(15 * 32 + 5, 8 * 32 + 5, 20 * 32 + 5, 12 * 32 + 5);
        ui->KeyUp(view, Ctrl);
        IResource* brick = pick(u"Walls", u"brick wall");
        ui->KeyDown(view, Shift);
        ui->MouseMove(view, 10 * 32 + 5, 5 * 32 + 5);
        ui->LeftButtonDown(view, 10 * 32 + 5, 5 * 32 + 5);
        ui->MouseMove(view, 11 * 32 + 5, 20 * 32 + 5);
        ui->KeyUp(view, Shift);
        ui->LeftButtonUp(view, 11 * 32 + 5, 20 * 32 + 5);
        pick(u"Floors", u"dirt");
        drive.Key(OemPlus);
        drive.Key(Add);
        ui->MouseMove(view, 2 * 32 + 5, 24 * 32 + 5);
        ui->LeftButtonDown(view, 2 * 32 + 5, 24 * 32 + 5);
        EXPECT_TRUE(view->captured);
        for (int x : {5, 8})
            ui->MouseMove(view, float(x * 32 + 5), 24 * 32 + 5);
        ui->LeftButtonUp(view, 8 * 32 + 5, 24 * 32 + 5);
        EXPECT_FALSE(view->captured);
        EXPECT_TRUE(ui->TakeLevelEdit());
        // A pan there and back holds the pointer while it lasts and edits nothing.
        drive.Key(Letter('P'));
        drive.Drag(500, 400, 510, 400);
        drive.Drag(500, 400, 490, 400);
        EXPECT_FALSE(view->captured);
        ui->RightButtonDown(view, 500, 400);
        ui->RightButtonUp(view, 500, 400);
        EXPECT_FALSE(ui->TakeLevelEdit());
        drive.Key(Letter('B'));
        ui->MouseMove(view, 300, 200);
        EXPECT_EQ(view->coordinates.back(), std::make_pair(9, 6)) << "the pan came back";
        // The engine's own input has the mouse: the view's moves do nothing.
        ASSERT_TRUE(ui->AttachInput(s.window));
        EXPECT_FALSE(ui->MouseMove(view, 10, 10));
        EXPECT_TRUE(ui->DetachInput());
        EXPECT_FALSE(ui->IsInputAttached());
        drive.Key(OemMinus);
        drive.Key(OemMinus);
        const int dirt = world->GetBlockAt(2, 24);
        EXPECT_NE(dirt, world->GetBlockAt(0, 0));
        EXPECT_EQ(world->GetBlockAt(10, 26), dirt) << "three tiles square at each stop";
        EXPECT_EQ(world->GetBlockAt(0, 0), world->GetBlockAt(39, 29)) << Util::Narrow(grass->GetName());
        EXPECT_EQ(world->GetBlockAt(18, 10), world->GetBlockAt(15, 8));
        EXPECT_NE(world->GetBlockAt(18, 10), world->GetBlockAt(0, 0));
        for (int y = 5; y <= 20; ++y)
            EXPECT_TRUE(world->GetCell(10, y) & World::kWall) << "the line runs down column 10, row " << y;
        EXPECT_FALSE(world->GetCell(11, 20) & World::kWall);
        (void)brick;

        // A light area, its menu, and its brightness.
        drive.Key(Letter('A'));
        drive.Drag(66, 60, 250, 200);
        ASSERT_EQ(world->GetLightBoxCount(), 1);
        EXPECT_TRUE(ui->TakeLevelEdit());
        World::LightBox* box = world->GetLightBox(0);
        EXPECT_EQ(std::vector<float>({box->x0, box->y0, box->x1, box->y1}), std::vector<float>({64, 64, 256, 192}));
        EXPECT_TRUE(world->GetCell(3, 3) & World::kInLightBox);
        ui->RightButtonDown(view, 250, 200);
        EXPECT_EQ(view->areaMenus, 1);
        EXPECT_FALSE(ui->TakeLevelEdit());
        ASSERT_EQ(ui->GetLightBoxAtCursor(), box);
        ui->GetLightBoxAtCursor()->SetBrightness(0.5f);

        // Start points and flags of both teams, a door and a window in the wall.
        struct Place {
            const char16_t* name;
            float x, y;
        };
        const Place places[] = {{u"finland start", 96, 96},  {u"russia start", 896, 640}, {u"finland flag", 160, 100},
                                {u"russian flag", 832, 640}, {u"wooden door", 384, 512},  {u"window", 320, 384},
                                {u"metal barrel", 704, 192}};
        std::map<std::u16string, IResource*> placed;
        for (const Place& p : places) {
            placed[p.name] = pick(u"Objects", p.name);
            EXPECT_EQ(ui->GetTool(), 3);
            drive.Click(p.x, p.y);
        }
        // A resize moves the placed objects with the map; sizes nobody can
        // hold move nothing.
        Object* flag = OnlyObjectOf(placed[u"finland flag"]);
        ASSERT_NE(flag, nullptr);
        ui->ResizeLevel(41, 30, 1, 0);
        EXPECT_EQ(flag->GetX(), 192.0f);
        ui->ResizeLevel(0, 30, 5, 5);
        ui->ResizeLevel(5000, 30, 5, 5);
        ui->ResizeLevel(40, 5000, 5, 5);
        ui->ResizeLevel(40, 30, 0, 0);
        EXPECT_EQ(flag->GetX(), 160.0f);
        EXPECT_EQ(flag->GetY(), 96.0f);
        int windowCells = 0;
        for (int y = 0; y < 30; ++y)
            windowCells += (world->GetCell(10, y) & World::kWindow) ? 1 : 0;
        EXPECT_EQ(windowCells, 1) << "the window covers one wall cell";
        ui->MouseMove(view, 900, 700);
        EXPECT_EQ(CountObjects(), 8) << "seven placed and the preview";
        drive.Key(Letter('L'));
        EXPECT_EQ(CountObjects(), 7) << "the preview goes with its tool";
        EXPECT_TRUE(ui->TakeLevelEdit());
        drive.Click(500, 400);
        EXPECT_EQ(Services().objects->CountLights(), 1);
        EXPECT_TRUE(ui->TakeLevelEdit());

        // The move tool: the door dragged 64 pixels right and turned, the
        // light picked, moved, cloned through its menu, the clone deleted.
        drive.Key(Letter('V'));
        Object* barrel = OnlyObjectOf(placed[u"metal barrel"]);
        ASSERT_NE(barrel, nullptr);
        drive.Click(barrel->GetX() + 8, barrel->GetY() + 8);
        EXPECT_FALSE(ui->TakeLevelEdit()) << "a selection is no edit";
        drive.Key(Delete);
        EXPECT_EQ(CountObjects(), 6);
        EXPECT_TRUE(ui->TakeLevelEdit());
        drive.Key(Delete);
        EXPECT_EQ(CountObjects(), 6) << "one object a press";
        EXPECT_FALSE(ui->TakeLevelEdit());
        Object* door = OnlyObjectOf(placed[u"wooden door"]);
        ASSERT_NE(door, nullptr);
        ITexture* doorImage = placed[u"wooden door"]->GetImage();
        ASSERT_NE(doorImage, nullptr);
        const float cx = door->GetX() + float(doorImage->GetWidth()) / 2;
        const float cy = door->GetY() + float(doorImage->GetHeight()) / 2;
        EXPECT_TRUE(ui->MouseMove(view, cx, cy)) << "hovered";
        drive.Drag(cx, cy, cx + 64, cy);
        EXPECT_EQ(door->GetX(), 448.0f);
        EXPECT_EQ(door->GetY(), 512.0f);
        EXPECT_TRUE(ui->TakeLevelEdit());
        // Turned by the right button: 30 degrees for 30 pixels left, the
        // pointer put back and let go; then Right turns to the next 45.
        ui->RightButtonDown(view, cx + 64, cy);
        EXPECT_TRUE(view->captured);
        ui->MouseMove(view, cx + 34, cy);
        EXPECT_EQ(door->GetAngle(), 30.0f);
        EXPECT_EQ(view->warps.back(), std::make_pair(int(cx) + 64, int(cy)));
        ui->MouseMove(view, cx + 64, cy); // the warp's own motion
        EXPECT_EQ(door->GetAngle(), 30.0f);
        ui->RightButtonUp(view, cx + 64, cy);
        EXPECT_FALSE(view->captured);
        drive.Key(Right);
        EXPECT_EQ(door->GetAngle(), 45.0f);
        ui->LeftButtonDown(view, 498, 402);
        ASSERT_NE(ui->GetSelectedLight(), nullptr);
        ui->MouseMove(view, 560, 420);
        ui->LeftButtonUp(view, 560, 420);
        EXPECT_EQ(ui->GetSelectedLight()->GetX(), 560.0f);
        // The clone takes all the light's properties say; they are put back
        // after, for the picture.
        ILight* first = ui->GetSelectedLight();
        const int type = first->GetType();
        const float angle = first->GetAngle(), power = first->GetPower(), size = first->GetSize();
        float red = 0, green = 0, blue = 0;
        first->GetColor(&red, &green, &blue);
        first->SetType(type + 1);
        first->SetAngle(angle + 90.0f);
        first->SetPower(power / 2);
        first->SetSize(size + 50.0f);
        first->SetColor(0.25f, 0.5f, 0.75f);
        ui->RightButtonDown(view, 560, 420);
        EXPECT_EQ(view->objectMenus, 1);
        drive.Key(Clone);
        EXPECT_EQ(Services().objects->CountLights(), 2);
        EXPECT_TRUE(ui->TakeLevelEdit());
        ui->LeftButtonDown(view, 610, 420);
        ui->LeftButtonUp(view, 610, 420);
        EXPECT_FALSE(ui->TakeLevelEdit());
        {
            ILight* clone = ui->GetSelectedLight();
            ASSERT_NE(clone, nullptr);
            ASSERT_NE(clone, first);
            float cr = 0, cg = 0, cb = 0;
            clone->GetColor(&cr, &cg, &cb);
            EXPECT_EQ(clone->GetType(), type + 1);
            EXPECT_EQ(clone->GetAngle(), angle + 90.0f);
            EXPECT_EQ(clone->GetPower(), power / 2);
            EXPECT_EQ(clone->GetSize(), size + 50.0f);
            EXPECT_EQ(std::vector<float>({cr, cg, cb}), std::vector<float>({0.25f, 0.5f, 0.75f}));
            first->SetType(type);
            first->SetAngle(angle);
            first->SetPower(power);
            first->SetSize(size);
            first->SetColor(red, green, blue);
        }
        drive.Key(Delete);
        EXPECT_EQ(Services().objects->CountLights(), 1);
        EXPECT_TRUE(ui->TakeLevelEdit());
        ui->LeftButtonDown(view, 560, 420);
        ui->LeftButtonUp(view, 560, 420);
        EXPECT_EQ(ui->GetSelectedLight()->GetX(), 560.0f) << "the first light stays";
        // The door selected again for the picture.
        drive.Click(cx + 64, cy);

        // A Space pan moves the view 4 pixels a mouse pixel; the motion the
        // cursor's warp back makes is no movement.
        ui->KeyDown(view, Space);
        EXPECT_EQ(view->cursor, 1);
        ui->LeftButtonDown(view, 500, 400);
        ui->MouseMove(view, 550, 425);
        EXPECT_EQ(view->warps.back(), std::make_pair(500, 400));
        ui->Update();
        const size_t reported = view->coordinates.size();
        EXPECT_FALSE(ui->MouseMove(view, 500, 400));
        EXPECT_FALSE(ui->Update()) << "the warp's motion asks for no frame";
        EXPECT_EQ(view->coordinates.size(), reported);
        // Once 40 ms of frames went by a pan that moves draws at once; one
        // that did not move leaves it to the timer.
        for (const auto since = std::chrono::steady_clock::now();
             std::chrono::steady_clock::now() - since < std::chrono::milliseconds(50);)
            std::this_thread::yield();
        EXPECT_FALSE(ui->MouseMove(view, 500, 400));
        EXPECT_TRUE(ui->Update());
        EXPECT_TRUE(ui->MouseMove(view, 499, 400));
        ui->MouseMove(view, 500, 400); // the warp's own motion
        ui->MouseMove(view, 501, 400);
        ui->LeftButtonUp(view, 500, 400);
        EXPECT_TRUE(view->captured) << "Space still held";
        EXPECT_FALSE(ui->RightButtonDown(view, 520, 410)) << "a tool took a press while Space pans";
        ui->RightButtonUp(view, 520, 410);
        ui->KeyUp(view, Space);
        EXPECT_FALSE(view->captured);
        EXPECT_EQ(view->cursor, 0);
        EXPECT_FALSE(ui->TakeLevelEdit());
        ui->MouseMove(view, 300, 200);
        EXPECT_EQ(view->coordinates.back(), std::make_pair(3, 3)) << "the view starts 200, 100 off the map";

        // A draw too soon after another is owed, not dropped.
        ui->Draw(s.window);
        ui->Draw(s.window);
        EXPECT_TRUE(ui->Update());
        // The view with each tool's marks on the level, against its golden
        // picture; the camera stands at (-200, -100).
        std::vector<uint32_t> strip(size_t(kCrop.w) * kCrop.count * kCrop.h);
        int crops = 0;
        auto frame = [&](int x, int y) {
            int w = 0, h = 0;
            const std::vector<uint32_t> pixels = NextFrame(s, shots + "/frame", &w, &h);
            ASSERT_EQ(std::make_pair(w, h), std::make_pair(1024, 768));
            for (int row = 0; row < kCrop.h; ++row)
                std::copy_n(&pixels[size_t(y + row) * size_t(w) + size_t(x)], kCrop.w,
                            &strip[size_t(row) * kCrop.w * kCrop.count + size_t(crops) * kCrop.w]);
            ++crops;
        };
        // The selected door's outline, the light's circle and red mark.
        frame(560, 490);
        // The light area under the cursor in red, its start cross in blue.
        drive.Key(Letter('A'));
        ui->MouseMove(view, 328, 228);
        frame(220, 130);
        // Dragged down from there: a cross at either end, the blue line
        // between them and the area yellow; a line makes no area.
        ui->LeftButtonDown(view, 328, 228);
        ui->MouseMove(view, 328, 328);
        frame(220, 130);
        ui->LeftButtonUp(view, 328, 328);
        EXPECT_EQ(world->GetLightBoxCount(), 1);
        // A rectangle of concrete being dragged, the two-tile brush square.
        drive.Key(Letter('B'));
        pick(u"Floors", u"concrete");
        drive.Key(OemPlus);
        ui->MouseMove(view, 650, 300);
        ui->KeyDown(view, Ctrl);
        ui->LeftButtonDown(view, 650, 300);
        ui->MouseMove(view, 780, 360);
        frame(630, 270);
        ui->LeftButtonUp(view, 780, 360);
        ui->KeyUp(view, Ctrl);
        drive.Key(OemMinus);
        EXPECT_EQ(world->GetBlockAt(18, 8), world->GetBlockAt(15, 8));
        // A line of brick wall being dragged, on its upper row.
        pick(u"Walls", u"brick wall");
        ui->MouseMove(view, 650, 430);
        ui->KeyDown(view, Shift);
        ui->LeftButtonDown(view, 650, 430);
        ui->MouseMove(view, 780, 470);
        frame(630, 400);
        ui->LeftButtonUp(view, 780, 470);
        ui->KeyUp(view, Shift);
        // The object tool's door turned by 45 degrees, at the cursor.
        pick(u"Objects", u"wooden door");
        drive.Key(Right);
        ui->MouseMove(view, 400, 600);
        frame(330, 520);
        // The light tool's circle at the level's top-left corner.
        drive.Key(Letter('L'));
        ui->MouseMove(view, 260, 190);
        frame(180, 80);
        // A light area's start cross on the level's top-left corner.
        drive.Key(Letter('A'));
        ui->MouseMove(view, 200, 100);
        frame(180, 80);
        ASSERT_EQ(crops, kCrop.count);
        TestSupport::ExpectMatchesGolden("game/shell/editor/golden", "view_tools", strip, kCrop.w * kCrop.count,
                                         kCrop.h);
        drive.Key(Letter('V'));
        EXPECT_TRUE(ui->ExportGameMap(Util::Widen((shots + "/gamemap.png").c_str()).c_str()));

        // Saved through a descriptor; saved again, the same bytes.
        ASSERT_TRUE(SaveTo(ui, saved));
        EXPECT_TRUE(boxes.empty()) << "the flags stand far enough apart";
        level = TestSupport::ReadAll(saved);
        ASSERT_TRUE(SaveTo(ui, saved));
        EXPECT_EQ(TestSupport::ReadAll(saved), level);

        // A file that fails to load leaves the level as it was.
        const std::string broken = folder + "/levels/broken.lvl";
        TestSupport::WriteAll(broken, level.data(), level.size() - 40);
        EXPECT_FALSE(ui->LoadLevelByName(Util::Widen(broken.c_str()).c_str()));
        ASSERT_TRUE(SaveTo(ui, folder + "/again.lvl"));
        EXPECT_EQ(TestSupport::ReadAll(folder + "/again.lvl"), level);

        // A save that cannot be written whole keeps the file it was to replace.
        drive.Key(Letter('B'));
        pick(u"Walls", u"brick wall");
        drive.Click(20 * 32 + 200 + 5, 3 * 32 + 100 + 5); // the view starts at (-200, -100)
        ASSERT_TRUE(world->GetCell(20, 3) & World::kWall);
        struct rlimit was;
        getrlimit(RLIMIT_FSIZE, &was);
        auto previous = std::signal(SIGXFSZ, SIG_IGN);
        struct rlimit small = was;
        small.rlim_cur = level.size() / 2;
        setrlimit(RLIMIT_FSIZE, &small);
        const bool written = SaveTo(ui, saved);
        setrlimit(RLIMIT_FSIZE, &was);
        std::signal(SIGXFSZ, previous);
        EXPECT_FALSE(written);
        EXPECT_EQ(TestSupport::ReadAll(saved), level);

        // Loaded back into the editor, the level saves to the same bytes.
        const int fd = ::open(saved.c_str(), O_RDONLY);
        ASSERT_TRUE(ui->LoadLevel(fd));
        ::close(fd);
        ASSERT_TRUE(SaveTo(ui, folder + "/again.lvl"));
        EXPECT_EQ(TestSupport::ReadAll(folder + "/again.lvl"), level);
        // The scatter brush with no radius: one pine per stroke, and none
        // where a pine already stands within the range.
        IResource* pine = palette.Find(u"Objects", u"pine");
        ASSERT_NE(pine, nullptr);
        ui->AddClipboardItem(pine->GetId());
        ui->SetScatterOptions(true, 0, 2, 32);
        Util::SeedRandom(2); // a draw that turns it
        drive.Key(Letter('S'));
        for (int stroke = 0; stroke < 2; ++stroke) {
            drive.Click(700, 300);
            drive.Key(Letter('B')); // drops the preview shown after the stroke
            drive.Key(Letter('S'));
        }
        drive.Key(Letter('B'));
        int pines = 0;
        float pineAngle = -1.0f;
        Services().objects->ForEachObject([&](Object* o) {
            if (o->GetDefinitionId() == pine->GetId())
                ++pines, pineAngle = o->GetAngle();
        });
        EXPECT_EQ(pines, 1);
        // Jittered to one of the eight directions.
        EXPECT_EQ(std::fmod(pineAngle, 45.0f), 0.0f) << pineAngle;
        EXPECT_NE(pineAngle, 0.0f) << "not turned";
        finland = placed[u"finland start"]->GetId();
        russia = placed[u"russia start"]->GetId();
    }
    Ui::SetMessageBackend(nullptr);

    // Read back as made; the bytes the level format writes are its own
    // tests' concern.
    LevelContents contents;
    ASSERT_TRUE(TestGame::ReadLevelFile(saved, &contents));
    EXPECT_EQ(contents.header.name, u"Editor Made");
    EXPECT_EQ(contents.header.gameMode, 1) << "capture the flag";
    ASSERT_GT(contents.picture.size(), 8u) << "the game map's picture";
    EXPECT_EQ(std::string(contents.picture.begin() + 1, contents.picture.begin() + 4), "PNG");
    EXPECT_EQ(std::make_pair(contents.world.width, contents.world.height), std::make_pair(40, 30));
    EXPECT_TRUE(contents.world.compressed);
    EXPECT_EQ(contents.world.boxes.size(), 1u);
    EXPECT_EQ(contents.objects.size(), 6u);
    EXPECT_EQ(contents.lights.size(), 1u);
    int starts = 0;
    for (const LevelObject& o : contents.objects)
        starts += (o.definitionId == finland || o.definitionId == russia) ? 1 : 0;
    EXPECT_EQ(starts, 2);

    // The real server hosts it; a player of each team downloads it and plays.
    TestSupport::TempDir hosting;
    TestGame::HostAndPlay(hosting.Path(), "editor_made.lvl", level, 1, {1, 2});
}
