// The shipped data set as the dedicated server loads it: no renderer and no
// audio, textures that keep only their sizes, failures on the console.
#include "../../game/data/DataSetSuite.h"

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

struct ServerLoading {
    static constexpr bool kMedia = false;
    static constexpr const char* kSkip = "";
    static bool Prepare() { return true; }
    static void Start(Engine*) {}
    static IAudio* Audio() { return nullptr; }
    static void Stop() {}
};

} // namespace DataSet

namespace {

using namespace DataSet;

INSTANTIATE_TYPED_TEST_SUITE_P(DedicatedDataSet, DataSetTest, ServerLoading);

using DedicatedDataSet = DataSetTest<ServerLoading>;

TEST_F(DedicatedDataSet, DefaultLevelsSeatBothTeamsAndNameTheirFlags)
{
    ExpectDefaultLevels(*manager_, engine_->GetFileManager());
}

} // namespace
