#include "MapFixture.h"

#include "engine/files/FileManager.h"
#include "engine/files/IFile.h"
#include "game/world/map/ILevelShell.h"

#include <memory>

namespace {

struct RecordingShell : ILevelShell {
    std::u16string name = u"Dock";
    int mode = 1;
    bool picture = false, spacingHolds = false;
    int renders = 0, emptied = 0;
    std::vector<uint8_t> decoded;
    std::vector<LevelObject> objects{{29097984, 10, 10, 0}, {29360128, 300, 10, 0}};
    std::vector<LevelLight> lights{LevelLight()};
    int lightTag = 0;
    std::vector<std::u16string> messages;

    std::u16string GetLevelName() override { return name; }
    void SetLevelName(const std::u16string& n) override { name = n; }
    int GetLevelMode() override { return mode; }
    void SetLevelMode(int m) override { mode = m; }
    bool HasCurrentPicture() override { return picture; }
    void SetCurrentPicture(bool held) override { picture = held; }
    void RenderGameMap() override { ++renders; }
    bool EncodePicture(std::vector<uint8_t>* png) override { return *png = {1, 2, 3, 4}, true; }
    bool DecodePicture(const uint8_t* png, int size) override { return decoded.assign(png, png + size), true; }
    void EmptyLevel() override { ++emptied; }
    std::vector<LevelObject> GetPlacedObjects() override { return objects; }
    std::vector<LevelLight> GetPlacedLights() override { return lights; }
    void SetPlacedObjects(const std::vector<LevelObject>& o) override { objects = o; }
    void SetPlacedLights(int tag, const std::vector<LevelLight>& l) override { lightTag = tag, lights = l; }
    bool FlagSpacingHolds(int) override { return spacingHolds; }
    void ShowMessage(const char16_t* text, const char16_t* caption, bool) override
    {
        messages.push_back(std::u16string(caption) + u": " + text);
    }
};

} // namespace

TEST(EditorLevel, CrowdedFlagsWarnButSaveAndLoadBack)
{
    FileManager files;
    MapFixture map(5, 4);
    map.Wall(2, 2);
    RecordingShell shell;
    std::unique_ptr<IFile> file(files.CreateMemoryFile(0));
    ASSERT_TRUE(SaveEditorLevel(file.get(), &files, *map.world, shell));
    ASSERT_EQ(shell.messages.size(), 1u);
    EXPECT_EQ(shell.messages[0],
              u"Save level: Flag's distance to other flag must be at least 320 pixels.\nLevel can't be played");
    EXPECT_EQ(shell.renders, 1) << "no picture held: the map is rendered first";
    EXPECT_TRUE(shell.picture);

    MapFixture other(9, 9);
    RecordingShell loaded;
    loaded.objects.clear();
    file->Seek(0);
    ASSERT_TRUE(LoadEditorLevel(file.get(), *other.world, loaded));
    EXPECT_EQ(loaded.name, u"Dock");
    EXPECT_EQ(loaded.mode, 1);
    EXPECT_EQ(loaded.decoded, (std::vector<uint8_t>{1, 2, 3, 4}));
    EXPECT_TRUE(loaded.picture);
    EXPECT_EQ(loaded.objects.size(), 2u);
    EXPECT_EQ(loaded.emptied, 1);
    EXPECT_EQ(loaded.lightTag, 4002);
    EXPECT_EQ(other.world->GetWidth(), 5);
    EXPECT_EQ(other.world->GetBlockAt(2, 2), MapFixture::kBrick);

    // An unknown world version: the box, and neither header nor map change.
    std::vector<uint8_t> bytes(size_t(file->GetSize()));
    file->Seek(0);
    file->Read(bytes.data(), int(bytes.size()));
    bytes[156] = 0xEC; // world version 1004, after the 4-byte picture
    std::unique_ptr<IFile> bad(files.CreateMemoryFile(0));
    bad->Write(bytes.data(), int(bytes.size()));
    bad->Seek(0);
    RecordingShell untouched;
    untouched.name = u"Before";
    EXPECT_FALSE(LoadEditorLevel(bad.get(), *other.world, untouched));
    EXPECT_EQ(untouched.messages, std::vector<std::u16string>{u"Error!: Unknown level version"});
    EXPECT_EQ(untouched.name, u"Before");
    EXPECT_EQ(untouched.emptied, 0) << "a file that fails keeps the placed things";
    EXPECT_EQ(other.world->GetWidth(), 5);
}
