// The shipped data set as the dedicated server loads it: no renderer and no
// audio, textures that keep only their sizes, failures on the console.
#include "../../game/data/DataSetChecks.h"

#include "engine/core/Engine.h"
#include "game/world/resources/ResourceScript.h"

namespace DataSet {

bool LoadScript(ResourceManager& manager, IFileManager* files, const std::string& name, std::string* message)
{
    testing::internal::CaptureStdout();
    bool ok;
    {
        ResourceScript script(&manager, files);
        ok = script.Load(Util::Widen(name.c_str()).c_str());
    }
    *message = testing::internal::GetCapturedStdout();
    return ok && message->empty();
}

} // namespace DataSet

namespace {

using namespace DataSet;

class DedicatedDataSet : public testing::Test {
protected:
    static void SetUpTestSuite()
    {
        {
            // The engine's files are rooted where it is made.
            TestSupport::ScopedChdir in(GameDir());
            engine_ = new Engine();
        }
        manager_ = new ResourceManager(nullptr, engine_, nullptr);
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
        engine_->Shutdown();
        delete engine_;
        results_->clear();
    }

    static Engine* engine_;
    static ResourceManager* manager_;
    static WeaponTable* table_;
    static std::vector<std::string>* results_;
};

Engine* DedicatedDataSet::engine_ = nullptr;
ResourceManager* DedicatedDataSet::manager_ = nullptr;
WeaponTable* DedicatedDataSet::table_ = nullptr;
std::vector<std::string>* DedicatedDataSet::results_ = new std::vector<std::string>;

TEST_F(DedicatedDataSet, EveryScriptLoadsSilently)
{
    std::vector<std::string> expected;
    for (const std::string& name : ScriptNames())
        expected.push_back(name + ": ok");
    EXPECT_EQ(*results_, expected);
    EXPECT_GT(manager_->GetCount(), 150);
}

TEST_F(DedicatedDataSet, IdsAreExplicitUniqueAndInTheirRanges) { ExpectIdsExplicitUniqueAndInRange(*manager_); }

TEST_F(DedicatedDataSet, EveryReferencedFileExists) { ExpectReferencedFilesExist(); }

TEST_F(DedicatedDataSet, WallAlphaMasksFollowTheNeighbours) { ExpectWallAlphaMasks(); }

// The server keeps the sizes of the pictures; pick-ups and object centres
// depend on them.
TEST_F(DedicatedDataSet, ImagesKeepTheirSizes) { ExpectImagesLoaded(*manager_, false); }

TEST_F(DedicatedDataSet, LinkedSoundsHaveIds) { ExpectLinkedSounds(*manager_, false); }

TEST_F(DedicatedDataSet, WeaponsAreComplete) { ExpectWeapons(*manager_, *table_); }

TEST_F(DedicatedDataSet, PickUpsResolveAndHaveImages) { ExpectPickUps(*manager_, *table_); }

TEST_F(DedicatedDataSet, BothTeamsHaveStartPointsAndFlags) { ExpectStartPointsAndFlags(*manager_); }

TEST_F(DedicatedDataSet, LevelObjectsCarryWhatTheirClassesRead) { ExpectLevelObjects(*manager_, false); }

TEST_F(DedicatedDataSet, DefaultLevelsSeatBothTeamsAndNameTheirFlags)
{
    ExpectDefaultLevels(*manager_, engine_->GetFileManager());
}

} // namespace
