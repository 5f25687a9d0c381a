#pragma once

// The data-set checks both builds run, as one typed test suite over the
// data set loaded once per program. A program instantiates it with its way
// of loading, a class with
//   kMedia          true when pictures become textures with their shadows
//                   and sounds get their samples (the game), false when only
//                   what the server needs is kept;
//   kSkip           why the suite is skipped when Prepare says no;
//   Prepare()       before the engine is made: false to skip;
//   Start(engine)   readies the engine before the scripts load;
//   Audio(), Stop() the audio the resources play through, and the end;
// and defines DataSet::LoadScript.

#include "DataSetChecks.h"

#include "engine/core/Engine.h"

namespace DataSet {

template <class Loading> class DataSetTest : public testing::Test {
protected:
    static void SetUpTestSuite()
    {
        if (!Loading::Prepare())
            return;
        {
            // The engine's files are rooted where it is made.
            TestSupport::ScopedChdir in(GameDir());
            engine_ = new Engine();
        }
        Loading::Start(engine_);
        if (HasFatalFailure())
            return;
        manager_ = new ResourceManager(nullptr, engine_, Loading::Audio());
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
        Loading::Stop();
        if (engine_) {
            engine_->Shutdown();
            delete engine_;
        }
        table_ = nullptr;
        manager_ = nullptr;
        engine_ = nullptr;
        results_->clear();
    }
    void SetUp() override
    {
        if (!engine_)
            GTEST_SKIP() << Loading::kSkip;
        ASSERT_NE(manager_, nullptr);
    }

    static Engine* engine_;
    static ResourceManager* manager_;
    static WeaponTable* table_;
    static std::vector<std::string>* results_;
};

template <class Loading> Engine* DataSetTest<Loading>::engine_ = nullptr;
template <class Loading> ResourceManager* DataSetTest<Loading>::manager_ = nullptr;
template <class Loading> WeaponTable* DataSetTest<Loading>::table_ = nullptr;
template <class Loading> std::vector<std::string>* DataSetTest<Loading>::results_ = new std::vector<std::string>;

TYPED_TEST_SUITE_P(DataSetTest);

TYPED_TEST_P(DataSetTest, EveryScriptLoadsWithoutAMessage)
{
    std::vector<std::string> expected;
    for (const std::string& name : ScriptNames())
        expected.push_back(name + ": ok");
    EXPECT_EQ(*this->results_, expected);
    EXPECT_GT(this->manager_->GetCount(), 150);
}

TYPED_TEST_P(DataSetTest, IdsAreExplicitUniqueAndInTheirRanges) { ExpectIdsExplicitUniqueAndInRange(*this->manager_); }

TYPED_TEST_P(DataSetTest, EveryReferencedFileExists) { ExpectReferencedFilesExist(); }

TYPED_TEST_P(DataSetTest, WallAlphaMasksFollowTheNeighbours) { ExpectWallAlphaMasks(); }

// Without the media the server still keeps the sizes of the pictures:
// pick-ups and object centres depend on them.
TYPED_TEST_P(DataSetTest, EveryImageLoads) { ExpectImagesLoaded(*this->manager_, TypeParam::kMedia); }

TYPED_TEST_P(DataSetTest, LinkedSoundsHaveIds) { ExpectLinkedSounds(*this->manager_, TypeParam::kMedia); }

TYPED_TEST_P(DataSetTest, WeaponsAreComplete) { ExpectWeapons(*this->manager_, *this->table_); }

TYPED_TEST_P(DataSetTest, PickUpsResolveAndHaveImages) { ExpectPickUps(*this->manager_, *this->table_); }

TYPED_TEST_P(DataSetTest, BothTeamsHaveStartPointsAndFlags) { ExpectStartPointsAndFlags(*this->manager_); }

TYPED_TEST_P(DataSetTest, LevelObjectsCarryWhatTheirClassesRead)
{
    ExpectLevelObjects(*this->manager_, TypeParam::kMedia);
}

REGISTER_TYPED_TEST_SUITE_P(DataSetTest, EveryScriptLoadsWithoutAMessage, IdsAreExplicitUniqueAndInTheirRanges,
                            EveryReferencedFileExists, WallAlphaMasksFollowTheNeighbours, EveryImageLoads,
                            LinkedSoundsHaveIds, WeaponsAreComplete, PickUpsResolveAndHaveImages,
                            BothTeamsHaveStartPointsAndFlags, LevelObjectsCarryWhatTheirClassesRead);

} // namespace DataSet
