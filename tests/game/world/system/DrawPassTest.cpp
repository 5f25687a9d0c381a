#include "StateFixture.h"

#include "game/world/map/ILight.h"
#include "game/world/resources/RecordingRenderer.h"
#include "game/world/state/ObjectManager.h"
#include "game/world/state/WorldServices.h"

#include <set>

namespace StateTest {
namespace {

class FakeLight : public ILight {
public:
    explicit FakeLight(int type) : type_(type) {}
    void SetType(int type) override { type_ = type; }
    void SetAngle(float) override {}
    void SetSize(float) override {}
    void SetPower(float) override {}
    void SetColor(float, float, float) override {}
    int GetType() override { return type_; }
    float GetX() override { return 300.0f; }
    float GetY() override { return 200.0f; }
    float GetAngle() override { return 0.0f; }
    float GetSize() override { return 256.0f; }
    float GetPower() override { return 1.0f; }
    void GetColor(float* r, float* g, float* b) override { *r = *g = *b = 1.0f; }
    bool IsEnabled() override { return true; }
    bool Update(float) override { return false; }

private:
    int type_;
};

std::vector<std::string> LightCalls(const RecordingRenderer& renderer)
{
    static const std::set<std::string> wanted = {"SetClipRect",     "BeginOccluderPass", "EndOccluderPass",
                                                 "BeginPointLight", "BeginLightPass",    "EndLightPass",
                                                 "ResetClipRect",   "BeginTubeLight"};
    std::vector<std::string> names;
    for (const auto& call : renderer.calls)
        if (wanted.count(call.name))
            names.push_back(call.name);
    return names;
}

} // namespace

// The light passes in their order; a light of an unknown kind clears and
// shadows its square but opens no light pass that nothing would close.
TEST_F(GameState, LightPassesKeepTheirOrderAndBalance)
{
    world_->ReplaceCells(40, 30, {});
    world_->SetLighting(2);
    RecordingRenderer recording;
    game_->SetRenderer(&recording);
    game_->Options().SetRenderLights(true);
    Services().objects->AddLight(new FakeLight(0));
    Services().objects->AddLight(new FakeLight(4));
    game_->DrawLightsAndOverlays();
    const std::vector<std::string> expected = {"SetClipRect",       "BeginOccluderPass", "EndOccluderPass",
                                               "BeginPointLight",   "BeginLightPass",    "BeginPointLight",
                                               "EndLightPass",      "ResetClipRect",     "SetClipRect",
                                               "BeginOccluderPass", "EndOccluderPass",   "ResetClipRect"};
    EXPECT_EQ(LightCalls(recording), expected);

    // Without the light passes the frame only clears its alpha.
    recording.Clear();
    game_->Options().SetRenderLights(false);
    game_->DrawLightsAndOverlays();
    EXPECT_TRUE(LightCalls(recording).empty());
    EXPECT_FALSE(recording.Named("FillAlphaRect").empty());
    game_->SetRenderer(renderer_);
}

} // namespace StateTest
