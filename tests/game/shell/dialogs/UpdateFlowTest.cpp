#include "DialogRig.h"

#include "game/shell/dialogs/UpdateCheck.h"

#include <sys/stat.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <sstream>
#include <thread>

using namespace DialogRig;
namespace fs = std::filesystem;

namespace {

// The updater as a script: it writes where it was started from and its
// arguments.
const std::string kRecordingUpdater =
    "#!/bin/sh\nprintf '%s\\n%s\\n%s\\n' \"$0\" \"$1\" \"$#\" > \"$VORNHAL_TEST_UPDATER_LOG.part\"\n"
    "mv \"$VORNHAL_TEST_UPDATER_LOG.part\" \"$VORNHAL_TEST_UPDATER_LOG\"\n";

std::vector<std::string> Lines(const std::string& text)
{
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);)
        lines.push_back(line);
    return lines;
}

std::string Entry(const std::string& package, const char16_t* name)
{
    FileManager files;
    std::unique_ptr<IFile> f(files.OpenInPackage(name, Util::FromOs(package).c_str()));
    if (!f)
        return "<none>";
    std::string bytes(size_t(f->GetSize()), '\0');
    f->Read(bytes.data(), int(bytes.size()));
    return bytes;
}

int Mode(const std::string& path)
{
    struct stat st;
    return ::lstat(path.c_str(), &st) == 0 ? int(st.st_mode & 0777) : -1;
}

} // namespace

class UpdateFlow : public Rig {
protected:
    void SetUp() override
    {
        Rig::SetUp();
        WritePackage(game_.File("game.data"), 3, {{"data/a.txt", "a of 3"}, {"data/keep.txt", "kept"}});
        ::setenv("VORNHAL_UI_UPDATE", "notes,yes", 1);
        ::setenv("VORNHAL_TEST_UPDATER_LOG", log_.c_str(), 1);
    }

    // An update list naming files of the stand-in: (version, file, size).
    void List(const std::vector<std::tuple<int, std::string, long long>>& entries)
    {
        std::string xml = "<updates>\n";
        for (const auto& [version, file, size] : entries)
            xml += "<updateFile><name>v" + std::to_string(version) + "</name><notes>n</notes><version>" +
                   std::to_string(version) + "</version><fileUrl>" + Util::ToOs(service_.Url("/" + file)) +
                   "</fileUrl><fileSize>" + std::to_string(size) + "</fileSize></updateFile>\n";
        TestSupport::WriteAll(service_.FilesDir() + "/updates.xml", xml.data(), xml.size());
    }
    std::string Offered(const std::string& file) const { return service_.FilesDir() + "/" + file; }
    int SizeOf(const std::string& file) const { return int(fs::file_size(Offered(file))); }

    std::string log_ = tmp_.File("updater.log");
};

TEST_F(UpdateFlow, TwoNewerVersionsAreMergedInListOrderAndTheNewestsUpdaterStarts)
{
    // No list file: the stand-in offers the packages it has, by version.
    WritePackage(Offered("patch5.data"), 5,
                 {{"data/a.txt", "a of 5"}, {"data/five.txt", "only in 5"}, {"updater.exe", "#!/bin/sh\nexit 3\n"}});
    WritePackage(Offered("patch7.data"), 7, {{"data/a.txt", "a of 7"}, {"updater.exe", kRecordingUpdater}});

    std::unique_ptr<InGame> game = Start();
    testing::internal::CaptureStderr();
    const bool started = RunUpdateCheck(&game->engine);
    // The window's status lines, in the order it showed them.
    const std::string shown = testing::internal::GetCapturedStderr();
    ASSERT_TRUE(started);
    EXPECT_TRUE(Boxes().empty()) << Boxes().front();
    const size_t seven = shown.find("Downloading patch7\n", shown.find("Downloading patch5\n"));
    EXPECT_NE(shown.find("Patching data file\n", seven), std::string::npos) << shown;

    const std::string merged = game_.File("game_new.data");
    EXPECT_EQ(TestSupport::PackageVersion(merged), 7);
    EXPECT_EQ(Entry(merged, u"data/a.txt"), "a of 7");
    EXPECT_EQ(Entry(merged, u"data/five.txt"), "only in 5");
    EXPECT_EQ(Entry(merged, u"data/keep.txt"), "kept");
    EXPECT_EQ(Entry(game_.File("game.data"), u"data/a.txt"), "a of 3");

    // The updater runs on its own; it says when it has.
    for (int i = 0; i < 1000 && !fs::exists(log_); ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    std::vector<std::string> argv = Lines(ReadText(log_));
    ASSERT_EQ(argv.size(), 3u);
    const fs::path program = argv[0];
    EXPECT_EQ(program.filename(), "vnupd.exe");
    EXPECT_EQ(program.parent_path().parent_path(), fs::path(tmp_.Path()));
    EXPECT_EQ(Mode(program.parent_path().string()), 0700);
    EXPECT_EQ(Mode(program.string()), 0700);
    EXPECT_EQ(ReadText(program.string()), kRecordingUpdater);
    EXPECT_EQ(argv[2], "1");
    const size_t bar = argv[1].find('|');
    ASSERT_NE(bar, std::string::npos);
    EXPECT_EQ(argv[1].substr(bar + 1), game_.Path());
    const std::string newest = argv[1].substr(0, bar);
    EXPECT_EQ(fs::path(newest).parent_path(), program.parent_path());
    EXPECT_EQ(ReadText(newest), ReadText(Offered("patch7.data")));
    // Both downloads stay for the updater.
    EXPECT_EQ(std::distance(fs::directory_iterator(program.parent_path()), fs::directory_iterator()), 3);
}

TEST_F(UpdateFlow, EveryFailureAfterYesGoesOnWithTheOldData)
{
    WritePackage(Offered("good5.data"), 5, {{"data/a.txt", "a of 5"}, {"updater.exe", kRecordingUpdater}});
    WritePackage(Offered("bare7.data"), 7, {{"data/a.txt", "a of 7"}});
    // A program of another system: it cannot be started here.
    WritePackage(Offered("foreign7.data"), 7, {{"updater.exe", "MZ: not for this system"}});
    std::map<std::string, std::string> big = {{"updater.exe", kRecordingUpdater}};
    const std::vector<uint8_t> noise = TestSupport::PseudoRandomBytes(400000, 7);
    big["data/big.bin"] = std::string(noise.begin(), noise.end());
    WritePackage(Offered("big7.data"), 7, big);

    struct Case {
        const char* what;
        std::vector<std::tuple<int, std::string, long long>> list;
        const char* answers;
        const char* download;
        const char* box;
    } cases[] = {
        {"file not found", {{5, "missing.data", 100}}, "yes", nullptr, "Error: Update file could not be downloaded."},
        {"truncated",
         {{5, "good5.data", SizeOf("good5.data") + 1000}},
         "yes",
         nullptr,
         "Error: Update file could not be downloaded."},
        // Refused before anything is fetched: the download window's first
        // report would press Cancel, and no box would show.
        {"absurd size",
         {{5, "good5.data", SizeOf("good5.data")}, {7, "big7.data", 9223372036854775807LL}},
         "yes",
         "cancel-after:1",
         "Error: Update file could not be downloaded: the update list gives it no usable size."},
        {"negative size",
         {{5, "good5.data", -400000}},
         "yes",
         "cancel-after:1",
         "Error: Update file could not be downloaded: the update list gives it no usable size."},
        {"no updater in the newest",
         {{5, "good5.data", SizeOf("good5.data")}, {7, "bare7.data", SizeOf("bare7.data")}},
         "yes",
         nullptr,
         "Error: The newest update file holds no updater."},
        {"updater cannot start",
         {{7, "foreign7.data", SizeOf("foreign7.data")}},
         "yes",
         nullptr,
         "Error: The updater could not be started."},
        // A folder where the merged data file would go.
        {"merge cannot be written",
         {{5, "good5.data", SizeOf("good5.data")}},
         "yes",
         nullptr,
         "Error: The data file could not be patched."},
        {"cancelled",
         {{5, "good5.data", SizeOf("good5.data")}, {7, "big7.data", SizeOf("big7.data")}},
         "yes",
         "cancel-after:5",
         nullptr},
        {"no temporary folder",
         {{5, "good5.data", SizeOf("good5.data")}},
         "yes",
         nullptr,
         "Error: No temporary directory"},
        {"no", {{5, "good5.data", SizeOf("good5.data")}}, "notes,no", nullptr, nullptr},
        // As new as installed: nothing is asked, so nothing is fetched.
        {"not newer", {{3, "missing.data", 100}}, "yes", nullptr, nullptr},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Boxes().clear();
        List(c.list);
        ::setenv("VORNHAL_UI_UPDATE", c.answers, 1);
        if (c.download)
            ::setenv("VORNHAL_UI_DOWNLOAD", c.download, 1);
        else
            ::unsetenv("VORNHAL_UI_DOWNLOAD");
        const bool blocked = std::string(c.what) == "merge cannot be written";
        if (blocked)
            fs::create_directory(game_.File("game_new.data"));
        // A folder whose path leaves no room for a name inside it.
        std::string deep = game_.File("d");
        while (std::string(c.what) == "no temporary folder" && deep.size() + 2 < 4090)
            deep += "/" + std::string(std::min<size_t>(200, 4089 - deep.size()), 'd');
        if (deep.size() > 4000) {
            fs::create_directories(deep);
            ::setenv("TMPDIR", deep.c_str(), 1);
        }
        {
            std::unique_ptr<InGame> game = Start();
            EXPECT_FALSE(RunUpdateCheck(&game->engine)); // the client goes on
        }
        ::setenv("TMPDIR", tmp_.Path().c_str(), 1);
        fs::remove_all(game_.File("d"));
        if (blocked)
            fs::remove(game_.File("game_new.data"));
        if (c.box) {
            ASSERT_EQ(Boxes().size(), 1u);
            EXPECT_EQ(Boxes()[0], c.box);
        } else {
            EXPECT_TRUE(Boxes().empty()) << Boxes().front();
        }
        EXPECT_FALSE(fs::exists(game_.File("game_new.data")));
        EXPECT_EQ(Entry(game_.File("game.data"), u"data/a.txt"), "a of 3");
        // Nothing of the update is left in the temporary folder.
        EXPECT_EQ(std::distance(fs::directory_iterator(tmp_.Path()), fs::directory_iterator()), 0);
        EXPECT_FALSE(fs::exists(log_));
    }
}
