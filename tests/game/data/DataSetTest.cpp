// The shipped data set as the game loads it: a real renderer under X (so the
// pictures become textures), sounds on OpenAL's silent device, failures in
// message boxes.
#include "DataSetChecks.h"

#include "engine/audio/IAudio.h"
#include "engine/core/Engine.h"
#include "engine/render/IRenderer.h"
#include "engine/render/Texture_SDL.h"
#include "game/world/resources/ResourceScript.h"
#include "platform/ui/Ui.h"

#include <cstdlib>

// Last: Xlib defines macros such as None and Bool.
#include <X11/Xlib.h>

namespace {

std::vector<std::string>* reported = new std::vector<std::string>;

Ui::Answer Capture(const char16_t* title, const char16_t* text, Ui::Icon, Ui::Buttons)
{
    reported->push_back(DataSet::Narrow(title) + ": " + DataSet::Narrow(text));
    return Ui::Answer::Ok;
}

bool HaveDisplay()
{
    const char* name = std::getenv("DISPLAY");
    Display* display = name && *name ? XOpenDisplay(name) : nullptr;
    if (display)
        XCloseDisplay(display);
    return display != nullptr;
}

} // namespace

namespace DataSet {

bool LoadScript(ResourceManager& manager, IFileManager* files, const std::string& name, std::string* message)
{
    reported->clear();
    Ui::SetMessageBackend(Capture);
    bool ok;
    {
        ResourceScript script(&manager, files);
        ok = script.Load(Util::Widen(name.c_str()).c_str());
    }
    Ui::SetMessageBackend(nullptr);
    message->clear();
    for (const std::string& m : *reported)
        *message += m;
    return ok && reported->empty();
}

} // namespace DataSet

namespace {

using namespace DataSet;

class GameDataSet : public testing::Test {
protected:
    static void SetUpTestSuite()
    {
        if (!HaveDisplay())
            return;
        // A silent device: the samples decode and load as they would play.
        setenv("ALSOFT_DRIVERS", "null", 1);
        setenv("ALSOFT_LOGLEVEL", "0", 1);
        {
            TestSupport::ScopedChdir in(GameDir());
            engine_ = new Engine();
        }
        ASSERT_TRUE(engine_->Init());
        renderer_ = engine_->CreateRenderer(2);
        ASSERT_NE(renderer_, nullptr);
        renderer_->SetUseFonts(false);
        ASSERT_TRUE(renderer_->Init(128, 128, 32, false, false));
        // The atlases the game makes before its first textures.
        renderer_->CreateAtlas(0, 0);
        renderer_->CreateAtlas(1, 1);
        renderer_->CreateAtlas(2, 1);
        audio_ = engine_->CreateAudio();
        if (audio_ && !audio_->Init()) {
            delete audio_;
            audio_ = nullptr;
        }
        manager_ = new ResourceManager(nullptr, engine_, audio_);
        for (const std::string& name : ScriptNames()) {
            std::string message;
            const bool ok = LoadScript(*manager_, engine_->GetFileManager(), name, &message);
            results_->push_back(name + (ok ? ": ok" : ": " + message));
        }
        manager_->BuildIndex();
        table_ = new WeaponTable(nullptr, manager_);
        manager_->ApplyItemDefinitions(table_);
    }
    static void TearDownTestSuite()
    {
        delete table_;
        delete manager_;
        delete audio_;
        if (engine_) {
            engine_->Shutdown();
            delete engine_;
        }
        results_->clear();
    }
    void SetUp() override
    {
        if (!engine_)
            GTEST_SKIP() << "no X display: run under xvfb-run -a -s \"-screen 0 1280x1024x24\"";
        ASSERT_NE(manager_, nullptr);
    }

    static Engine* engine_;
    static IRenderer* renderer_;
    static IAudio* audio_;
    static ResourceManager* manager_;
    static WeaponTable* table_;
    static std::vector<std::string>* results_;
};

Engine* GameDataSet::engine_ = nullptr;
IRenderer* GameDataSet::renderer_ = nullptr;
IAudio* GameDataSet::audio_ = nullptr;
ResourceManager* GameDataSet::manager_ = nullptr;
WeaponTable* GameDataSet::table_ = nullptr;
std::vector<std::string>* GameDataSet::results_ = new std::vector<std::string>;

TEST_F(GameDataSet, EveryScriptLoadsWithoutAMessage)
{
    std::vector<std::string> expected;
    for (const std::string& name : ScriptNames())
        expected.push_back(name + ": ok");
    EXPECT_EQ(*results_, expected);
    EXPECT_GT(manager_->GetCount(), 150);
}

TEST_F(GameDataSet, IdsAreExplicitUniqueAndInTheirRanges) { ExpectIdsExplicitUniqueAndInRange(*manager_); }

TEST_F(GameDataSet, EveryReferencedFileExists) { ExpectReferencedFilesExist(); }

TEST_F(GameDataSet, WallAlphaMasksFollowTheNeighbours) { ExpectWallAlphaMasks(); }

TEST_F(GameDataSet, EveryImageIsATexture) { ExpectImagesLoaded(*manager_, true); }

TEST_F(GameDataSet, LinkedSoundsHaveIdsAndSamples)
{
    ASSERT_NE(audio_, nullptr) << "the silent OpenAL device did not open";
    ExpectLinkedSounds(*manager_, true);
    // Every sound resource, linked or not, has all its files.
    for (IResource* r : AllResources(*manager_))
        if (ISoundResource* s = r->GetSoundInterface()) {
            EXPECT_GE(s->GetSampleCount(), 1) << Describe(r);
        }
}

TEST_F(GameDataSet, WeaponsAreComplete) { ExpectWeapons(*manager_, *table_); }

TEST_F(GameDataSet, PickUpsResolveAndHaveImages) { ExpectPickUps(*manager_, *table_); }

TEST_F(GameDataSet, BothTeamsHaveStartPointsAndFlags) { ExpectStartPointsAndFlags(*manager_); }

TEST_F(GameDataSet, LevelObjectsCarryWhatTheirClassesRead) { ExpectLevelObjects(*manager_, true); }

// Tile thumbnails read the sheets' pixels back through the textures.
TEST_F(GameDataSet, TilesReadTheirPixelsFromTheSheets)
{
    for (int cls : {ResourceClass::Floor, ResourceClass::Wall})
        for (IResource* block : BlocksOfClass(*manager_, cls)) {
            IResource* tile = block->GetGraphics();
            ASSERT_NE(tile, nullptr) << Describe(block);
            const uint32_t* thumb = tile->CreateThumbnail();
            ASSERT_NE(thumb, nullptr) << Describe(block);
            // No holes, and a picture rather than one flat colour.
            std::set<uint32_t> colours(thumb, thumb + 64 * 64);
            EXPECT_EQ(colours.count(0u), 0u) << Describe(block);
            EXPECT_GT(colours.size(), 8u) << Describe(block);
            tile->FreeThumbnail();
        }
}

// The game packs the sheets into one atlas of kind 1 and the object
// pictures into one of kind 2, shared with the common media; a picture that
// finds no room there stays blank.
TEST_F(GameDataSet, PicturesFitTheirAtlases)
{
    std::map<int, long> area;
    std::vector<Texture*> packed;
    for (IResource* r : AllResources(*manager_)) {
        ITexture* t = nullptr;
        if (auto* g = dynamic_cast<GraphicsResource*>(r))
            t = g->GetTexture();
        else if (auto* b = dynamic_cast<BlockResource*>(r))
            t = b->GetSheet();
        else
            continue;
        auto* texture = dynamic_cast<Texture*>(t);
        ASSERT_NE(texture, nullptr) << Describe(r);
        if (!texture->GetPackIntoAtlas() || std::find(packed.begin(), packed.end(), texture) != packed.end())
            continue;
        packed.push_back(texture);
        area[texture->GetKind()] += long(texture->GetWidth()) * texture->GetHeight();
        EXPECT_LE(texture->GetWidth(), 1024) << Describe(r);
        EXPECT_LE(texture->GetHeight(), 1024) << Describe(r);
    }
    EXPECT_EQ(area.size(), 2u);
    EXPECT_GT(area[1], 0);
    // Leave at least half of the smallest atlas to the common media.
    EXPECT_LE(area[1], 512L * 1024);
    EXPECT_LE(area[2], 512L * 1024);
    ASSERT_TRUE(renderer_->PrepareTextures());
    for (Texture* texture : packed)
        EXPECT_NE(texture->GetAtlas(), nullptr) << Narrow(texture->GetName());
}

// The editor loads the scripts in edit mode and writes an id into every
// definition that lacks one; the shipped scripts must leave it nothing to
// write.
TEST_F(GameDataSet, EditModeFindsNoDefinitionWithoutAnId)
{
    ResourceManager editor(nullptr, engine_, nullptr);
    reported->clear();
    Ui::SetMessageBackend(Capture);
    for (const std::string& name : ScriptNames()) {
        ResourceScript script(&editor, engine_->GetFileManager());
        script.SetEditMode(true);
        EXPECT_TRUE(script.Load(Util::Widen(name.c_str()).c_str())) << name;
        EXPECT_EQ(script.GetPendingCount(), 0) << name;
        EXPECT_FALSE(script.GetTokenizer().IsModified()) << name;
    }
    Ui::SetMessageBackend(nullptr);
    EXPECT_TRUE(reported->empty());
    EXPECT_EQ(editor.GetCount(), manager_->GetCount());
}

} // namespace
