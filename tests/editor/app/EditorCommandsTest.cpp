// The Editor's commands as its script runs them, and what it does when they fail.
#include "EditorWindowRig.h"

TEST_F(EditorWindow, EveryCommandDoesWhatItSaysToTheLevel)
{
    setenv("VORNHAL_UI", "headless", 1);
    const std::string shots = kBuild + "/screenshots/editor";
    std::string tools;
    const std::pair<const char*, int> entries[] = {
        {"Pan Tool", 1},    {"Move Tool", 4},       {"Fill Tool", 9},   {"Light Tool", 10},
        {"Object Tool", 3}, {"Light Area Tool", 7}, {"Block Brush", 2}, {"Object Scatter Brush", 8}};
    for (const auto& [entry, number] : entries)
        tools += std::string("menu \"Tools/") + entry + "\"\nexpect tool " + std::to_string(number) +
                 "\nexpect checked \"Tools/" + entry + "\" 1\nexpect checked \"Tools/Pan Tool\" " +
                 (number == 1 ? "1" : "0") + (number == 10 ? "\n" : "\nclick 50 50\n");
    auto editor = Start(
        R"(# New: the dialog's fields reach the empty level, which asks nothing
dialog "Map Properties" Width=12 Height=10 "Name=Made Here" "Game mode=King of the Hill" "Compress block data=1" press=OK
menu File/New
expect drawn
expect title "Untitled - Editor"
# every tool by its entry, ticked there alone; its click on nothing is no edit
)" + tools + R"(expect modified 0
move 300 200
status 4
# a line begun at the view's edge stays where it began; the fill tool grasses the rest
pick Walls "brick wall"
keydown Shift_L
drag 100 5 200 5
keyup Shift_L
expect modified 1
pick Floors grass
menu "Tools/Fill Tool"
move 200 200
click 200 200
expect drawn
# the lighting entries, each ticked alone, light the view as they say
menu "View/Lighting/Night"
expect drawn
expect checked "View/Lighting/Night" 1
expect checked "View/Lighting/Noon" 0
where frame
where LevelView
shot )" + shots +
            R"(/night.png
menu "View/Lighting/Evening"
expect checked "View/Lighting/Evening" 1
expect checked "View/Lighting/Night" 0
shot )" + shots +
            R"(/evening.png
menu "View/Lighting/Noon"
expect checked "View/Lighting/Noon" 1
expect checked "View/Lighting/Evening" 0
shot )" + shots +
            R"(/noon.png
file levels/new.lvl
menu "File/Save As..."
expect modified 0
expect title "new.lvl - Editor"
# a light area and its dialog
menu "Tools/Light Area Tool"
drag 32 64 160 160
dialog "Light Area Properties" Light=150 R=0 G=51 press=OK
context Properties
rpress 100 100
rrelease 100 100
expect modified 1
dialog "Light Area Properties" shot=)" +
            shots + R"(/dialog0.png ?Light=150 ?R=0 ?G=51 ?B=255 press=Cancel
context Properties
# a light placed, picked (no edit), set through its dialog, cloned; the clone deleted
menu "Tools/Light Tool"
click 200 250
menu "Tools/Move Tool"
menu File/Save
click 200 248
expect modified 0
rpress 200 248
rrelease 200 248
dialog "Light Properties" Size=2000 ?Size=1024 Size=1 ?Size=32 Type=Spot Size=500 Angle=90 Power=50 R=300 G=-5 B=128 press=OK
context Properties
expect modified 1
dialog "Light Properties" shot=)" +
            shots + R"(/dialog1.png ?Type=Spot ?Size=500 ?Angle=90 ?Power=50 ?R=255 ?G=0 ?B=128 press=Cancel
context Properties
menu File/Save
context Clone
expect drawn
expect modified 1
menu File/Save
click 250 248
expect modified 0
context Delete
expect drawn
expect modified 1
# two barrels: one turned, one deleted by its key
pick Objects "metal barrel"
move 288 96
click 288 96
move 96 192
click 96 192
menu "Tools/Move Tool"
menu File/Save
move 296 104
click 296 104
key Right
expect modified 1
move 104 200
click 104 200
menu File/Save
key Delete
expect modified 1
key Delete
# the Clipboard's settings reach the scatter brush: no spread, no turn
drop Objects pine
clipboard Scatter 0
clipboard Count 2
clipboard "Angle jitter" 0
menu "Tools/Object Scatter Brush"
move 300 260
click 300 260
# a barrel in the pine's place, and the count spun down to none and back to one
drop Objects "metal barrel"
clipboard key pine Delete
clipboard spin Count -1
clipboard spin Count -1
clipboard spin Count -1
menu "Tools/Object Scatter Brush"
move 100 280
click 100 280
clipboard spin Count 1
move 160 200
key r
click 160 200
# many at once, spread: all barrels, the pine being out
clipboard Count 6
clipboard Scatter 60
move 300 150
key r
click 300 150
menu "Tools/Move Tool"
# a bigger map with the level centred in it, by the shortcut's dialog
dialog "Map Properties" shot=)" +
            shots +
            R"(/dialog2.png "?Name=Made Here" "?Game mode=King of the Hill" "?Compress block data=1" "?Border Right=11" "?Border Bottom=9" Width=3 "press=Calculate Size" ?Width=12 ?Height=10 Width=14 Height=12 Alignment=Center ?Left=2 ?Top=2 press=OK
menu Map/Properties
expect drawn
# the bars, the Clipboard, the greyed Release, the Play entries that do nothing
menu View/Toolbar
expect checked View/Toolbar 0
menu View/Toolbar
expect checked View/Toolbar 1
menu "View/Status Bar"
where LevelView
expect checked "View/Status Bar" 0
menu "View/Status Bar"
menu View/Clipboard
expect checked View/Clipboard 1
shot )" + shots +
            R"(/clipboard.png Clipboard
expect enabled Map/Release 0
menu File/Save
menu "Tools/Pan Tool"
menu "Map/Play on server"
menu "Map/Play on client"
menu "Map/Play Standalone"
expect modified 0
expect tool 1
dialog "Game Map" press=Render shot=)" +
            shots + R"(/dialog3.png press=Export press=Close
file )" + shots +
            R"(/exported.png
menu "Map/Game Map"
expect modified 1
dialog "About Editor" shot=)" +
            shots + R"(/dialog4.png press=OK
menu "Help/About Editor..."
dialog "Environment Properties" shot=)" +
            shots +
            R"(/dialog5.png "?Environment=Generic" Size=500 Environment=Room "?Size=100.00" "?Environment size=1000" "Environment size=300" "?Size=30.00" press=Defaults "?Size=7.50" "?Environment size=75" "?Environment=Generic" press=Test press=OK
command 32804
menu Help/Manual
menu View/Clipboard
expect checked View/Clipboard 0
minimap 20 30 100 100
move 400 400
status 4
where LevelView
where MiniMap
where Toolbar
where Objects
where StatusBar
shot )" + shots +
            R"(/final.png
menu File/Save
# the game map's picture taken from a file; one that is none is said
dialog "Game Map" press=Import press=Import press=Close
file objects.cfg
file )" + shots +
            R"(/exported.png
menu "Map/Game Map"
expect modified 1
menu File/Save
# a new level asks nothing and starts empty; the recent file brings the
# saved one back
dialog "Map Properties" press=Cancel
menu File/New
expect title "Untitled - Editor"
file levels/empty.lvl
menu "File/Save As..."
menu "File/Recent File/2 new.lvl"
expect title "new.lvl - Editor"
# a second light, kept by the answer when leaving
menu "Tools/Light Tool"
move 40 300
click 40 300
answer Yes
exit
)",
        {});
    ASSERT_EQ(editor->WaitExit(90000), 0) << editor->Output();
    const std::string& out = editor->Output();
    EXPECT_NE(out.find("box: Vornhal Editor: File can't be loaded.\n"), std::string::npos);
    LevelContents empty;
    ASSERT_TRUE(TestGame::ReadLevelFile(Level("empty.lvl"), &empty));
    EXPECT_TRUE(empty.objects.empty() && empty.lights.empty() && empty.world.boxes.empty());
    EXPECT_EQ(std::count_if(empty.world.cells.begin(), empty.world.cells.end(),
                            [](uint32_t cell) { return (cell & World::kWall) != 0; }),
              0);
    LevelContents made;
    ASSERT_TRUE(TestGame::ReadLevelFile(Level("new.lvl"), &made));
    EXPECT_EQ(made.header.name, u"Made Here");
    EXPECT_EQ(made.header.gameMode, 2);
    EXPECT_TRUE(made.world.compressed);
    ASSERT_EQ(std::make_pair(made.world.width, made.world.height), std::make_pair(14, 12));
    // The level moved by (2, 2) tiles: the wall line of row 0, tiles 3 to 6.
    for (int x = 0; x < 14; ++x)
        EXPECT_EQ(bool(made.world.cells[size_t(2 * 14 + x)] & World::kWall), x >= 5 && x <= 8) << x;
    ASSERT_EQ(made.world.boxes.size(), 1u);
    EXPECT_EQ(made.world.boxes[0].intensity, 0.5f);
    EXPECT_EQ(made.world.boxes[0].red, 0.0f);
    EXPECT_EQ(made.world.boxes[0].green, 51 / 255.0f);
    ASSERT_EQ(made.lights.size(), 2u);
    const LevelLight& light = made.lights[0];
    EXPECT_EQ(light.type, 1);
    EXPECT_EQ(std::vector<float>({light.x, light.y, light.size, light.angle, light.power}),
              std::vector<float>({200, 248, 500, 90, 5}));
    EXPECT_EQ(std::vector<float>({light.red, light.green, light.blue}), std::vector<float>({1, 0, 128 / 255.0f}));
    ASSERT_GE(made.objects.size(), 4u);
    for (const LevelObject& o : made.objects)
        EXPECT_EQ(o.definitionId == made.objects[1].definitionId, &o == &made.objects[1]) << "one pine";
    EXPECT_EQ(std::vector<float>({made.objects[0].x, made.objects[0].y, made.objects[0].angle}),
              std::vector<float>({352, 160, 45}));
    EXPECT_EQ(std::vector<float>({made.objects[1].x, made.objects[1].y, made.objects[1].angle}),
              std::vector<float>({360, 320, 0}));
    EXPECT_EQ(made.objects[2].definitionId, made.objects[0].definitionId) << "a barrel";
    EXPECT_EQ(std::vector<float>({made.objects[2].x, made.objects[2].y, made.objects[2].angle}),
              std::vector<float>({224, 264, 0}));
    int w = 0, h = 0;
    std::vector<uint32_t> exported;
    ASSERT_TRUE(LoadPng(shots + "/exported.png", &w, &h, &exported));
    EXPECT_EQ(std::make_pair(w, h), std::make_pair(512, 512));
    // Noon is brighter than evening; night is darker still, and blue.
    const Rect frame = Where(out, "frame"), view = Where(out, "LevelView");
    const double noon = ViewMean(shots + "/noon.png", frame, view, 8),
                 evening = ViewMean(shots + "/evening.png", frame, view, 8),
                 night = ViewMean(shots + "/night.png", frame, view, 8);
    EXPECT_GT(noon, evening + 10);
    EXPECT_GT(evening, night + 10);
    EXPECT_GT(ViewMean(shots + "/night.png", frame, view, 0), ViewMean(shots + "/night.png", frame, view, 16));
    const size_t page = out.find("open page: file://");
    ASSERT_NE(page, std::string::npos) << out;
    const std::string path = out.substr(page + 18, out.find('\n', page) - page - 18);
    EXPECT_NE(TestSupport::ReadText(path).find("Fill Tool"), std::string::npos) << path;
    // The status bar's tile under the pointer, before and after the minimap
    // was dragged to centre the 14 x 12 level's point (224, 224) in the view;
    // the move after the button went up moved nothing.
    EXPECT_NE(out.find("status 4: X: 9, Y: 6\n"), std::string::npos);
    const Rect last = Where(out, "LevelView");
    // Without the status bar the view had its room.
    const size_t bare = out.find("script: menu \"View/Status Bar\"");
    EXPECT_GT(
        Where(out.substr(bare, out.find("script: expect checked \"View/Status Bar\"", bare) - bare), "LevelView").h,
        last.h);
    const std::string tile = "status 4: X: " + std::to_string((624 - last.w / 2) / 32) +
                             ", Y: " + std::to_string((624 - last.h / 2) / 32) + "\n";
    EXPECT_NE(out.find(tile), std::string::npos) << tile;
    EXPECT_NE(out.find("view: light area menu at 100 100\n"), std::string::npos);
    EXPECT_NE(out.find("view: object menu at 200 248\n"), std::string::npos);
    // A new file takes the usual mode.
    const mode_t mask = umask(0);
    umask(mask);
    struct stat st = {};
    ASSERT_EQ(stat(Level("new.lvl").c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0666 & ~mask);
    // The minimap, its view's frame where the view is; the toolbar, the
    // Move Tool's button pressed; the palette's page with the barrel picked;
    // the status bar; the dialogs as they opened and the Clipboard: against
    // one golden picture.
    std::vector<uint32_t> shot;
    ASSERT_TRUE(LoadPng(shots + "/final.png", &w, &h, &shot));
    const Rect map = Where(out, "MiniMap");
    ASSERT_EQ(std::make_pair(map.w, map.h), std::make_pair(200, 200));
    Stack parts;
    for (const char* name : {"MiniMap", "Toolbar", "Objects", "StatusBar"}) {
        Rect r = Where(out, name);
        r.x -= frame.x, r.y -= frame.y;
        parts.Add(shot, w, r);
    }
    for (const std::string name : {"dialog0", "dialog1", "dialog2", "dialog3", "dialog4", "dialog5", "clipboard"}) {
        std::vector<uint32_t> window;
        ASSERT_TRUE(LoadPng(shots + "/" + name + ".png", &w, &h, &window));
        parts.Add(window, w, {0, 0, w, h});
    }
    parts.ExpectGolden("windows");
}

TEST_F(EditorWindow, FailuresAreReportedAndNoEditIsLostOrMisrouted)
{
    setenv("VORNHAL_UI", "headless", 1);
    TestSupport::WriteAll(Level("broken.lvl"), std::vector<uint8_t>(40, 7));
    const std::vector<uint8_t> level = TestSupport::ReadAll(Level("tdm_riotcity.lvl"));
    const std::vector<uint8_t> data = TestSupport::ReadAll(folder_ + "/game.data");
    const std::string longName(70, 'x');
    // A script that cannot be read ends the program, and so does a level
    // named on the command line that does not open.
    TestSupport::ChildProcess unread(kBuild + "/Editor", {"--script", dir_.File("none.script")}, folder_);
    EXPECT_NE(unread.WaitExit(30000), 0);
    EXPECT_NE(unread.Output().find("Editor: "), std::string::npos);
    // So does a renderer without its GL drivers, said first.
    setenv("LIBGL_DRIVERS_PATH", "/nonexistent", 1);
    auto noGl = Start("exit\n", {});
    unsetenv("LIBGL_DRIVERS_PATH");
    EXPECT_NE(noGl->WaitExit(30000), 0);
    EXPECT_NE(noGl->Output().find("box: Error!: Failed to initialize renderer\n"), std::string::npos);
    auto refused = Start("stay\n", {"levels/missing.lvl"});
    EXPECT_NE(refused->WaitExit(30000), 0);
    EXPECT_NE(refused->Output().find("box: Error!: Cannot open levels/missing.lvl"), std::string::npos);
    // A question or a file chooser the script did not answer fails the run,
    // and so does a menu entry other than the script expects.
    for (const auto& [script, said] :
         {std::pair{"menu \"Tools/Light Tool\"\nclick 10 10\nexit\n", "script: no "},
          {"menu File/Open...\nexit\n", "script: no "},
          {"expect checked View/Toolbar 0\nexit\n", "script: line 1: View/Toolbar is not checked 0\n"},
          // The package's list, the scripts first, one name a line.
          {"dialog \"Make Package\" \"?Following files will be packed:=\" press=Cancel\nmenu \"Map/Make "
           "Package\"\nexit\n",
           "packed:=blocks.cfg\nobjects.cfg\nitems.cfg\nweapons_fin_vs_rus.cfg\ngfx/"}}) {
        auto unanswered = Start(script, {});
        EXPECT_EQ(unanswered->WaitExit(30000), 1) << script;
        EXPECT_NE(unanswered->Output().find(said), std::string::npos) << unanswered->Output();
    }
    // So does a dialog that shows other than the script looks for.
    auto differs = Start("dialog \"Map Properties\" ?Width=999 press=Cancel\nmenu Map/Properties\nexit\n", {});
    EXPECT_EQ(differs->WaitExit(30000), 1);
    EXPECT_NE(differs->Output().find("shows Width="), std::string::npos) << differs->Output();
    // Said after the line that showed it, as the lines are said when they run.
    EXPECT_LT(differs->Output().find("script: menu Map/Properties\n"), differs->Output().find("shows Width="));
    // A level whose path, 4090 characters long, leaves no room for the name
    // of the file a save writes first.
    std::string deep = "deep";
    for (int i = 0; i < 16; ++i)
        deep += "/" + std::string(250, 'd');
    deep += "/" + std::string(4090 - 17 - deep.size() - 1, 'e');
    const std::string far = deep + "/tdm_riotcity.lvl";
    ASSERT_EQ(far.size(), 4090u);
    // Made and read relative to the game folder: the whole path is too long.
    const int top = ::open(folder_.c_str(), O_DIRECTORY | O_RDONLY);
    for (size_t slash = deep.find('/'); slash != std::string::npos; slash = deep.find('/', slash + 1))
        ::mkdirat(top, deep.substr(0, slash).c_str(), 0755);
    ::mkdirat(top, deep.c_str(), 0755);
    auto farBytes = [&](const std::vector<uint8_t>* write) {
        const int fd = ::openat(top, far.c_str(), write ? O_WRONLY | O_CREAT | O_TRUNC : O_RDONLY, 0644);
        std::vector<uint8_t> bytes(1 << 20);
        const ssize_t n = write ? ::write(fd, write->data(), write->size()) : ::read(fd, bytes.data(), bytes.size());
        ::close(fd);
        bytes.resize(size_t(std::max<ssize_t>(n, 0)));
        return bytes;
    };
    farBytes(&level);
    auto editor = Start(R"(# a level that does not load: said, and nothing taken for it
file levels/broken.lvl
menu File/Open...
expect title "Untitled - Editor"
file )" + far + R"(
menu File/Open...
expect modified 0
# keys typed into a text field stay there; the level gets them from the view
pick Floors grass
expect tool 2
key v in Scatter
expect tool 2
key v in Floors
expect tool 4
key p
expect tool 1
# a modifier held by its own lines holds for the keys between; one pressed
# and let go holds nothing
keydown Control_L
key b
keyup Control_L
expect tool 1
key Control_L
key b
expect tool 2
# a key that edits marks the level changed
menu "Tools/Block Brush"
move 200 200
key 1
expect modified 1
# a save that cannot be written is said, and the changes stay unsaved
menu File/Save
expect modified 1
file /nonexistent/folder/x.lvl
menu "File/Save As..."
expect modified 1
expect title "tdm_riotcity.lvl - Editor"
# names the script could not hold are refused
rename Objects "metal barrel" )" +
                            longName + R"(
rename Objects "metal barrel" "steel barrel"
# the game map twice: each leaves nothing behind; an export that cannot be
# written is said
dialog "Game Map" press=Render press=Export press=Close
file /nonexistent/folder/map.png
menu "Map/Game Map"
dialog "Game Map" press=Close
menu "Map/Game Map"
# sides out of range are refused, the dialog kept open
dialog "Map Properties" Width=0 press=OK Width=12 Height=4097 press=OK press=Cancel
menu Map/Properties
# the package: the version is checked before anything is asked or written,
# and the game.data the editor reads is never the target
dialog "Make Package" Version=2000000 press=OK press=Cancel
menu "Map/Make Package"
dialog "Make Package" Version=3 press=OK press=Cancel
file game.data
menu "Map/Make Package"
# leaving asks first
answer No
exit
)",
                        {});
    ASSERT_EQ(editor->WaitExit(90000), 0) << editor->Output();
    const std::string& out = editor->Output();
    EXPECT_NE(out.find("box: Error!: Failed to load level levels/broken.lvl"), std::string::npos) << out;
    EXPECT_NE(out.find("box: Error!: Cannot write deep/"), std::string::npos) << out;
    EXPECT_NE(out.find("box: Error!: Cannot write /nonexistent/folder/x.lvl"), std::string::npos) << out;
    EXPECT_NE(out.find("rename: refused\n"), std::string::npos) << out;
    EXPECT_NE(out.find("rename: taken\n"), std::string::npos) << out;
    EXPECT_NE(out.find("box: Editor: Save changes to tdm_riotcity.lvl?"), std::string::npos) << out;
    EXPECT_NE(out.find("box: Vornhal Editor: File can't be saved."), std::string::npos) << out;
    const size_t side = out.find("box: Error!: Width and height must be between 1 and 4096.");
    EXPECT_NE(out.find("box: Error!: Width and height must be between 1 and 4096.", side + 1), std::string::npos)
        << out;
    EXPECT_NE(out.find("box: Error!: Enter a version between 0 and 1000000."), std::string::npos) << out;
    EXPECT_NE(out.find("box: Error!: The editor reads its data from this game.data"), std::string::npos) << out;
    EXPECT_EQ(TestSupport::ReadAll(folder_ + "/game.data"), data);
    // Nothing was saved over the level; the script holds the new name.
    EXPECT_EQ(farBytes(nullptr), level);
    ::close(top);
    const std::string objects = TestSupport::ReadText(folder_ + "/objects.cfg");
    EXPECT_NE(objects.find("\"steel barrel\""), std::string::npos);
    EXPECT_EQ(objects.find(longName), std::string::npos);
}

TEST_F(EditorWindow, StopSignalsEndItAtOnce)
{
    unsetenv("VORNHAL_UI");
    // Without XDG_CONFIG_HOME the settings go to the home folder's .config.
    unsetenv("XDG_CONFIG_HOME");
    const std::string home = std::getenv("HOME") ? std::getenv("HOME") : "";
    setenv("HOME", dir_.Path().c_str(), 1);
    for (int signal : {SIGTERM, SIGINT, SIGHUP}) {
        auto editor = Start("stay\n", {"levels/tdm_riotcity.lvl"});
        ASSERT_TRUE(editor->WaitFor("script: staying", 60000)) << editor->Output();
        editor->Signal(signal);
        EXPECT_EQ(editor->WaitExit(30000), 128 + signal) << editor->Output();
    }
    setenv("HOME", home.c_str(), 1);
    EXPECT_TRUE(std::filesystem::is_directory(dir_.File(".config/vornhal")));
}
