// The shipped data set as the game loads it: a real renderer under X (so the
// pictures become textures), sounds on OpenAL's silent device, failures in
// message boxes.
#include "DataSetSuite.h"
#include "support/DisplayCheck.h"

#include "engine/audio/IAudio.h"
#include "engine/render/IRenderer.h"
#include "engine/render/Texture_SDL.h"
#include "game/world/resources/ResourceScript.h"
#include "platform/ui/Ui.h"

#include <cstdlib>

namespace {

std::vector<std::string>* reported = new std::vector<std::string>;

Ui::Answer Capture(const char16_t* title, const char16_t* text, Ui::Icon, Ui::Buttons)
{
    reported->push_back(DataSet::Narrow(title) + ": " + DataSet::Narrow(text));
    return Ui::Answer::Ok;
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

struct GameLoading {
    static constexpr bool kMedia = true;
    static constexpr const char* kSkip = "no X display: run under xvfb-run -a -s \"-screen 0 1280x1024x24\"";
    static bool Prepare()
    {
        if (!HaveDisplay())
            return false;
        // A silent device: the samples decode and load as they would play.
        setenv("ALSOFT_DRIVERS", "null", 1);
        setenv("ALSOFT_LOGLEVEL", "0", 1);
        return true;
    }
    static void Start(Engine* engine)
    {
        ASSERT_TRUE(engine->Init());
        renderer = engine->CreateRenderer(2);
        ASSERT_NE(renderer, nullptr);
        renderer->SetUseFonts(false);
        ASSERT_TRUE(renderer->Init(128, 128, 32, false, false));
        // The atlases the game makes before its first textures.
        renderer->CreateAtlas(0, 0);
        renderer->CreateAtlas(1, 1);
        renderer->CreateAtlas(2, 1);
        audio = engine->CreateAudio();
        if (audio && !audio->Init()) {
            delete audio;
            audio = nullptr;
        }
    }
    static IAudio* Audio() { return audio; }
    static void Stop()
    {
        delete audio;
        audio = nullptr;
    }

    static IRenderer* renderer;
    static IAudio* audio;
};

IRenderer* GameLoading::renderer = nullptr;
IAudio* GameLoading::audio = nullptr;

} // namespace DataSet

namespace {

using namespace DataSet;

INSTANTIATE_TYPED_TEST_SUITE_P(GameDataSet, DataSetTest, GameLoading);

using GameDataSet = DataSetTest<GameLoading>;

TEST_F(GameDataSet, LinkedSoundsHaveSamples)
{
    ASSERT_NE(GameLoading::audio, nullptr) << "the silent OpenAL device did not open";
    // Every sound resource, linked or not, has all its files.
    for (IResource* r : AllResources(*manager_))
        if (ISoundResource* s = r->GetSoundInterface()) {
            EXPECT_GE(s->GetSampleCount(), 1) << Describe(r);
        }
}

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
    ASSERT_TRUE(GameLoading::renderer->PrepareTextures());
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
