// The Editor on a display: real keys and mouse through XTEST on its menus and its view.
#include "EditorWindowRig.h"

TEST_F(EditorWindow, RealKeysAndMouseDriveTheMenusAndTheView)
{
    unsetenv("VORNHAL_UI");
    const std::vector<uint8_t> before = TestSupport::ReadAll(Level("tdm_riotcity.lvl"));
    ASSERT_EQ(chmod(Level("tdm_riotcity.lvl").c_str(), 0751), 0);
    auto editor =
        Start("where LevelView\nwhere Floors\ntab Objects\npick Floors grass\nmenu \"Tools/Light Tool\"\n"
              "click 200 250\nmenu \"Tools/Move Tool\"\nclick 200 248\nrpress 200 248\nrrelease 200 248\nstay\n",
              {"levels/tdm_riotcity.lvl"});
    ASSERT_TRUE(editor->WaitFor("script: staying", 60000)) << editor->Output();
    const Rect view = Where(editor->Output(), "LevelView"), floors = Where(editor->Output(), "Floors"),
               objectsTab = Where(editor->Output(), "Objects tab");
    ASSERT_GT(view.w, 300);
    ASSERT_GT(floors.w, 60);

    XDriver x;
    ASSERT_TRUE(x.Ok());
    const XWindow main = x.WaitForWindow("tdm_riotcity.lvl - Editor");
    ASSERT_NE(main, 0u);
    // A right click on the light placed and picked brought its menu (white
    // below its top edge), where C clones it.
    EXPECT_TRUE(x.WaitUntil(
        x.Screen(), [&](const XShot& s) { return s.CountOther(0xffffff, view.x + 204, view.y + 252, 100, 1) == 0; }));
    x.Key("c");
    x.Focus(main);
    // The first floor of the palette, then a stroke across the view.
    x.MoveTo(x.Screen(), floors.x + 40, floors.y + 40);
    x.Button(true);
    x.Button(false);
    x.MoveTo(x.Screen(), view.x + 60, view.y + 80);
    x.Button(true);
    for (int i = 1; i <= 10; ++i) {
        x.MoveTo(x.Screen(), view.x + 60 + i * 24, view.y + 80);
        std::this_thread::sleep_for(std::chrono::milliseconds(15));
    }
    x.Button(false);
    // Ctrl+N let go in the question box, which Escape closes: no Ctrl stays
    // held, so B takes the brush, which made 2 wide paints a square of grass.
    x.Key(0xffe3 /* Control_L */, true);
    x.Key("n");
    const XWindow ask = x.WaitForWindow("Editor");
    x.Focus(ask);
    x.Key(0xffe3, false);
    x.Key("Escape");
    EXPECT_TRUE(x.WaitGone(ask));
    x.Focus(main);
    x.Type("b=");
    x.Click(x.Screen(), view.x + 100, view.y + 200);
    EXPECT_TRUE(x.WaitUntil(x.Screen(), [&](const XShot& s) { return MostlyOf(s, 8, view.x + 136, view.y + 232, 16); }))
        << "the grass of the brush's square, not its corner alone";
    // All tabs show at the side bar's first width: the Objects tab brings its page.
    XShot palette;
    ASSERT_TRUE(x.Capture(x.Screen(), &palette));
    x.Click(x.Screen(), objectsTab.x + objectsTab.w / 2, objectsTab.y + objectsTab.h / 2);
    EXPECT_TRUE(x.WaitForChange(x.Screen(), palette, floors.x, floors.y, floors.w, floors.h));
    // View > Clipboard through the menu's keys.
    x.Chord("Alt_L", "v");
    x.Key("c");
    const XWindow clipboard = x.WaitForWindow("Clipboard");
    EXPECT_NE(clipboard, 0u);
    // The Clipboard has the keyboard: B hides it, and picks no tool.
    if (clipboard) {
        x.Focus(clipboard);
        x.Key("b");
        EXPECT_TRUE(x.WaitGone(clipboard));
    }
    // File > Save by its accelerator, then File > Exit, which asks nothing
    // once the level is saved.
    x.Focus(main);
    x.Chord("Control_L", "s");
    for (int i = 0; i < 300 && TestSupport::ReadAll(Level("tdm_riotcity.lvl")) == before; ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    x.Chord("Alt_L", "f");
    x.Key("x");
    EXPECT_EQ(editor->WaitExit(30000), 0) << editor->Output();

    LevelContents old, now;
    TestSupport::WriteAll(dir_.File("old.lvl"), before);
    ASSERT_TRUE(TestGame::ReadLevelFile(dir_.File("old.lvl"), &old));
    ASSERT_TRUE(TestGame::ReadLevelFile(Level("tdm_riotcity.lvl"), &now));
    EXPECT_NE(now.world.cells, old.world.cells);
    struct stat st = {};
    ASSERT_EQ(stat(Level("tdm_riotcity.lvl").c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0751u) << "a saved level keeps its file's mode";
    EXPECT_EQ(now.objects.size(), old.objects.size());
    EXPECT_EQ(now.lights.size(), old.lights.size() + 2);
    EXPECT_EQ(now.header.name, old.header.name);
}

TEST_F(EditorWindow, AnOpenedLevelShowsItsMinimapAndEveryPaletteItemAndTheClipboardAreReached)
{
    unsetenv("VORNHAL_UI");
    const std::vector<uint8_t> before = TestSupport::ReadAll(Level("tdm_riotcity.lvl"));
    auto editor = Start("pick Objects \"metal barrel\"\nwhere MiniMap\nwhere Objects\nitems Objects\nwhere LevelView\n"
                        "menu \"Tools/Light Area Tool\"\ndrag 40 40 200 200\nrpress 100 100\nrrelease 100 100\n"
                        "where R\nstay\n",
                        {"levels/tdm_riotcity.lvl"});
    ASSERT_TRUE(editor->WaitFor("script: menu \"Tools/Light Area Tool\"", 60000)) << editor->Output();
    const Rect map = Where(editor->Output(), "MiniMap"), objects = Where(editor->Output(), "Objects"),
               view = Where(editor->Output(), "LevelView");
    XDriver x;
    ASSERT_TRUE(x.Ok());
    const XWindow main = x.WaitForWindow("tdm_riotcity.lvl - Editor");
    ASSERT_NE(main, 0u);
    // A light area's colour typed, Return pressed in the last field.
    EXPECT_TRUE(x.WaitUntil(
        x.Screen(), [&](const XShot& s) { return s.CountOther(0xffffff, view.x + 104, view.y + 104, 20, 1) == 0; }));
    x.Key("p");
    ASSERT_TRUE(editor->WaitFor("script: staying", 30000)) << editor->Output();
    const XWindow dialog = x.WaitForWindow("Light Area Properties");
    ASSERT_NE(dialog, 0u);
    const Rect red = Where(editor->Output(), "R");
    x.Focus(dialog);
    x.Click(x.Screen(), red.x + red.w / 2, red.y + red.h / 2);
    x.Chord("Control_L", "a");
    for (const char* channel : {"0", "0"})
        x.Type(channel), x.Key("Tab");
    x.Type("255");
    x.Key("Return");
    EXPECT_TRUE(x.WaitGone(dialog));
    // Drawn in its colour, under the level's lights: blue inside it.
    EXPECT_TRUE(x.WaitUntil(x.Screen(), [&](const XShot& s) { return MostlyOf(s, 0, view.x + 72, view.y + 72, 80); }));
    x.Focus(main);
    x.MoveTo(x.Screen(), view.x + 300, view.y + 300);
    x.Key("p");
    x.MoveTo(x.Screen(), view.x + 300, view.y + 300);
    // The level's picture comes while the designer keeps typing: it does not
    // wait for the editor to go quiet.
    EXPECT_TRUE(x.WaitUntil(x.Screen(), [&](const XShot& s) {
        x.Key("Control_L");
        return s.CountOther(0x000000, map.x, map.y, map.w, map.h) > 5000;
    }));
    XShot shot;
    ASSERT_TRUE(x.Capture(main, &shot));
    SavePng(kBuild + "/screenshots/editor/opened_level.png", shot);
    // The palette's items fill rows from the left and wrap at the pane's
    // width, each label drawn under its picture; its scroll bar runs down
    // the list at rest, and scrolls it.
    ASSERT_TRUE(x.Capture(x.Screen(), &shot));
    const auto item = [&](int i, const char* part) {
        return Where(editor->Output(), "Objects/" + std::to_string(i) + part);
    };
    const Rect first = item(0, "");
    int i = 1, lowest = 0;
    for (; item(i, "").w > 0; ++i) {
        const Rect p = item(i, ""), before = item(i - 1, ""), label = item(i, "/label");
        if (p.y == before.y) {
            EXPECT_GT(p.x, before.x + before.w) << i;
        } else {
            EXPECT_EQ(p.x, first.x) << i;
            EXPECT_GE(p.y, item(i - 1, "/label").y + item(i - 1, "/label").h) << i;
            EXPECT_GT(before.x + item(1, "").x - first.x + before.w, objects.x + objects.w) << "wrapped early at " << i;
        }
        EXPECT_LE(std::max(p.x + p.w, label.x + label.w), objects.x + objects.w) << i;
        EXPECT_TRUE(label.y >= p.y + p.h && label.y < p.y + p.h + 10) << i;
        EXPECT_LE(std::abs(2 * label.x + label.w - 2 * p.x - p.w), 2) << i;
        if (label.y >= objects.y && label.y + label.h < objects.y + objects.h) {
            EXPECT_GT(shot.CountOther(0xffffff, label.x, label.y, label.w, label.h), 0) << i;
        }
        lowest = std::max(lowest, label.y + label.h);
    }
    EXPECT_GT(i, 12);
    EXPECT_GT(lowest - first.y, objects.h) << "the rows end short of the pane's foot";
    // Up, when picking the barrel scrolled it into sight.
    const int barX = objects.x + objects.w - 7;
    EXPECT_EQ(shot.CountOther(0xffffff, barX, objects.y + 4, 1, objects.h - 8), objects.h - 8);
    x.Click(x.Screen(), barX, first.y < objects.y ? objects.y + 12 : objects.y + objects.h - 12);
    EXPECT_TRUE(x.WaitForChange(x.Screen(), shot, objects.x, objects.y, objects.w - 20, objects.h));
    // A pan drag in the view moves the minimap's frame with it; Ctrl+B there
    // shows the Clipboard; the pan changed nothing, so leaving asks nothing.
    ASSERT_TRUE(x.Capture(x.Screen(), &shot));
    x.MoveTo(x.Screen(), view.x + 300, view.y + 300);
    x.Button(true);
    int step = 0;
    EXPECT_TRUE(x.WaitUntil(x.Screen(), [&](const XShot& s) {
        x.MoveTo(x.Screen(), view.x + 300 - ++step % 2 * 40, view.y + 300);
        return !s.SameIn(shot, map.x, map.y, map.w, map.h);
    }));
    x.Button(false);
    x.Chord("Control_L", "b");
    const XWindow clipboard = x.WaitForWindow("Clipboard");
    ASSERT_NE(clipboard, 0u);
    // Its close box hides it.
    x.Close(clipboard);
    EXPECT_TRUE(x.WaitGone(clipboard));
    // Saved, a level file dropped on the window opens.
    x.Focus(main);
    x.Chord("Control_L", "s");
    for (int i = 0; i < 300 && TestSupport::ReadAll(Level("tdm_riotcity.lvl")) == before; ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    EXPECT_TRUE(x.DropFile(main, 400, 300, Level("ctf_harbour.lvl")));
    EXPECT_NE(x.WaitForWindow("ctf_harbour.lvl - Editor"), 0u);
    x.Focus(main);
    x.Chord("Alt_L", "f");
    x.Key("x");
    EXPECT_EQ(editor->WaitExit(30000), 0) << editor->Output();
}

TEST_F(EditorWindow, ADoorShadowsWhereItStandsAndAnEdgeDragStopsAtTheLevelsEdge)
{
    setenv("VORNHAL_UI", "headless", 1); // the script answers the dialog
    auto editor = Start("dialog \"Map Properties\" Width=40 Height=30 press=OK\nmenu File/New\npick Floors grass\n"
                        "menu \"Tools/Fill Tool\"\nclick 200 200\nmenu \"View/Lighting/Noon\"\n"
                        "pick Objects \"wooden door\"\nmenu \"Tools/Object Tool\"\nwhere LevelView\nstay\n",
                        {});
    ASSERT_TRUE(editor->WaitFor("script: staying", 60000)) << editor->Output();
    const Rect v = Where(editor->Output(), "LevelView");
    XDriver x;
    ASSERT_TRUE(x.Ok() && v.w > 400 && v.h > 400);
    x.Focus(x.WaitForWindow("Untitled - Editor"));
    auto pastLevel = [&](const XShot& s) { return s.CountOther(0, v.x + v.w - 40, v.y + v.h - 40, 30, 30) < 900; };
    XShot before, placed, last;
    const int doorX = v.x + v.w - 200, doorY = v.y + v.h - 200;
    ASSERT_TRUE(x.Capture(x.Screen(), &before));
    x.Click(x.Screen(), doorX, doorY);
    // Its shadow falls below it; the rest of the view keeps its grass.
    ASSERT_TRUE(x.WaitUntil(
        x.Screen(), [&](const XShot& s) { return !(placed = s).SameIn(before, doorX + 20, doorY + 40, 30, 30); }));
    SavePng(kBuild + "/screenshots/editor/door_at_noon.png", placed);
    EXPECT_TRUE(placed.SameIn(before, v.x + 10, v.y + 10, 300, 300)) << "the door's shadow lies beside it";
    // A rectangle drag between the middle and the corner: it scrolls at the
    // corner once it has left the edges.
    x.Key(0xffe3 /* Control_L */, true);
    x.MoveTo(x.Screen(), v.x + v.w / 2, v.y + v.h / 2);
    x.Button(true);
    int still = 0, step = 0;
    last = placed;
    EXPECT_TRUE(x.WaitUntil(
        x.Screen(),
        [&](const XShot& s) {
            still = s.SameIn(last, v.x, v.y, v.w, v.h) ? still + 1 : 0;
            last = s;
            const bool corner = ++step % 2 != 0;
            x.MoveTo(x.Screen(), corner ? v.x + v.w - 3 : v.x + v.w / 2 + step % 4,
                     corner ? v.y + v.h - 3 : v.y + v.h / 2);
            return pastLevel(s) || (still >= 40 && !s.SameIn(placed, v.x, v.y, v.w / 3, v.h / 3));
        },
        60000));
    x.Button(false);
    x.Key(0xffe3, false);
    SavePng(kBuild + "/screenshots/editor/edge_drag.png", last);
    EXPECT_FALSE(pastLevel(last)) << "the view scrolled past the level";
    editor->Signal(SIGTERM);
    EXPECT_NE(editor->WaitExit(30000), -1);
}
