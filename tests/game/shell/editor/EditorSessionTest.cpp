// A level made from nothing through the editing interface alone, as the
// editor program drives it with a view on a real X window: the map sized,
// painted, filled and lit, start points, flags, a door, a window and a
// light placed, moved, cloned and deleted, then saved. The file reads back
// as made, the real server hosts it and headless players download it and
// play.
#include "EditorRig.h"

#include "../Picture.h"
#include "HostedLevel.h"
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

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/resource.h>
#include <unistd.h>

#include <chrono>
#include <csignal>
#include <filesystem>
#include <map>
#include <thread>

namespace {

namespace fs = std::filesystem;
using namespace EditorKeys;

std::vector<std::u16string> g_boxes;
Ui::Answer RecordBox(const char16_t* title, const char16_t* text, Ui::Icon, Ui::Buttons)
{
    g_boxes.push_back(std::u16string(title) + u": " + text);
    return Ui::Answer::Ok;
}

// The file through a descriptor, as the editor's document opens it.
bool SaveTo(IEditorUI* ui, const std::string& path)
{
    const int fd = ::open(path.c_str(), O_RDWR | O_CREAT, 0644);
    const bool saved = fd >= 0 && ui->SaveLevel(fd);
    if (fd >= 0)
        ::close(fd);
    return saved;
}

struct Driver {
    IEditorUI* ui;
    EditorTest::View* view;
    void Click(float x, float y)
    {
        ui->MouseMove(view, x, y);
        ui->LeftButtonDown(view, x, y);
        ui->LeftButtonUp(view, x, y);
    }
    void Drag(float x0, float y0, float x1, float y1)
    {
        ui->MouseMove(view, x0, y0);
        ui->LeftButtonDown(view, x0, y0);
        ui->MouseMove(view, x1, y1);
        ui->LeftButtonUp(view, x1, y1);
    }
    void Key(unsigned key)
    {
        ui->KeyDown(view, key);
        ui->KeyUp(view, key);
    }
};

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
    EditorTest::Windows probe;
    if (!probe.HaveDisplay())
        GTEST_SKIP() << "no display";
    TestSupport::TempDir dir;
    const std::string folder = dir.File("editor");
    TestSupport::LayOutGameFolder(folder);
    const std::string saved = folder + "/levels/editor_made.lvl";
    // A folder of its own: the Editor program's tests keep theirs beside it.
    const std::string shots = std::string(VORNHAL_BUILD_DIR) + "/screenshots/editor/session";
    fs::remove_all(shots);
    fs::create_directories(shots);
    g_boxes.clear();
    Ui::SetMessageBackend(RecordBox);
    std::vector<uint8_t> level;
    int finland = 0, russia = 0;
    {
        EditorTest::Session s;
        std::string why;
        ASSERT_TRUE(s.Open(folder, &why)) << why;
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
        for (int x : {5, 8})
            ui->MouseMove(view, float(x * 32 + 5), 24 * 32 + 5);
        ui->LeftButtonUp(view, 8 * 32 + 5, 24 * 32 + 5);
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
        World::LightBox* box = world->GetLightBox(0);
        EXPECT_EQ(std::vector<float>({box->x0, box->y0, box->x1, box->y1}), std::vector<float>({64, 64, 256, 192}));
        EXPECT_TRUE(world->GetCell(3, 3) & World::kInLightBox);
        ui->RightButtonDown(view, 250, 200);
        EXPECT_EQ(view->areaMenus, 1);
        ASSERT_EQ(ui->GetLightBoxAtCursor(), box);
        ui->GetLightBoxAtCursor()->SetBrightness(0.5f);

        // Start points and flags of both teams, a door and a window in the wall.
        struct Place {
            const char16_t* name;
            float x, y;
        };
        const Place places[] = {{u"finland start", 96, 96},  {u"russia start", 896, 640},
                                {u"finland flag", 160, 100}, {u"russian flag", 832, 640},
                                {u"wooden door", 384, 512},  {u"window", 320, 384}};
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
        ui->ResizeLevel(40, 30, 0, 0);
        EXPECT_EQ(flag->GetX(), 160.0f);
        EXPECT_EQ(flag->GetY(), 96.0f);
        int windowCells = 0;
        for (int y = 0; y < 30; ++y)
            windowCells += (world->GetCell(10, y) & World::kWindow) ? 1 : 0;
        EXPECT_EQ(windowCells, 1) << "the window covers one wall cell";
        drive.Key(Letter('L'));
        drive.Click(500, 400);
        EXPECT_EQ(Services().objects->CountLights(), 1);

        // The move tool: the door dragged 64 pixels right and turned, the
        // light picked, moved, cloned through its menu, the clone deleted.
        drive.Key(Letter('V'));
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
        drive.Key(Right);
        EXPECT_EQ(door->GetAngle(), 45.0f);
        ui->LeftButtonDown(view, 498, 402);
        ASSERT_NE(ui->GetSelectedLight(), nullptr);
        ui->MouseMove(view, 560, 420);
        ui->LeftButtonUp(view, 560, 420);
        EXPECT_EQ(ui->GetSelectedLight()->GetX(), 560.0f);
        ui->RightButtonDown(view, 560, 420);
        EXPECT_EQ(view->objectMenus, 1);
        drive.Key(Clone);
        EXPECT_EQ(Services().objects->CountLights(), 2);
        ui->LeftButtonDown(view, 610, 420);
        ui->LeftButtonUp(view, 610, 420);
        drive.Key(Delete);
        EXPECT_EQ(Services().objects->CountLights(), 1);
        ui->LeftButtonDown(view, 560, 420);
        ui->LeftButtonUp(view, 560, 420);
        EXPECT_EQ(ui->GetSelectedLight()->GetX(), 560.0f) << "the first light stays";
        // The door selected again for the picture.
        drive.Click(cx + 64, cy);

        // A Space pan moves the view 4 pixels a mouse pixel; the motion the
        // cursor's warp back makes is no movement.
        ui->KeyDown(view, Space);
        ui->LeftButtonDown(view, 500, 400);
        ui->MouseMove(view, 550, 425);
        EXPECT_EQ(view->warps.back(), std::make_pair(500, 400));
        ui->Update();
        const size_t reported = view->coordinates.size();
        EXPECT_FALSE(ui->MouseMove(view, 500, 400));
        EXPECT_FALSE(ui->Update()) << "the warp's motion asks for no frame";
        EXPECT_EQ(view->coordinates.size(), reported);
        ui->LeftButtonUp(view, 500, 400);
        ui->KeyUp(view, Space);
        ui->MouseMove(view, 300, 200);
        EXPECT_EQ(view->coordinates.back(), std::make_pair(3, 3)) << "the view starts 200, 100 off the map";

        // A draw too soon after another is owed, not dropped.
        ui->Draw(s.window);
        ui->Draw(s.window);
        EXPECT_TRUE(ui->Update());
        s.renderer->SaveScreenshot(Util::Widen(shots.c_str()).c_str());
        // Taken at the next frame drawn once the 20 ms have passed.
        std::string shot;
        for (int i = 0; i < 200 && shot.empty(); ++i) {
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
            ui->Draw(s.window);
            for (const auto& entry : fs::directory_iterator(shots))
                shot = entry.path().string();
        }
        ASSERT_FALSE(shot.empty());
        FileManager files;
        Picture picture;
        ASSERT_TRUE(picture.Read(&files, Util::Widen(shot.c_str()), kOpenFullPath));
        // Camera (-200, -100): the map's left edge is the first grid line,
        // the light's circle and the selected door's outline are drawn.
        EXPECT_TRUE(NearAround(picture, 200, 400, 0xB40000, 39)) << "grid";
        EXPECT_TRUE(NearAround(picture, 760 + 128, 520, 0xFFFF00, 39)) << "light circle";
        EXPECT_TRUE(NearAround(picture, 648, 612, 0xFF0000, 39)) << "selected door";
        EXPECT_TRUE(ui->ExportGameMap(Util::Widen((shots + "/gamemap.png").c_str()).c_str()));

        // Saved through a descriptor; saved again, the same bytes.
        ASSERT_TRUE(SaveTo(ui, saved));
        EXPECT_TRUE(g_boxes.empty()) << "the flags stand far enough apart";
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
        drive.Key(Letter('S'));
        for (int stroke = 0; stroke < 2; ++stroke) {
            drive.Click(700, 300);
            drive.Key(Letter('B')); // drops the preview shown after the stroke
            drive.Key(Letter('S'));
        }
        drive.Key(Letter('B'));
        int pines = 0;
        Services().objects->ForEachObject([&](Object* o) { pines += o->GetDefinitionId() == pine->GetId(); });
        EXPECT_EQ(pines, 1);
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
