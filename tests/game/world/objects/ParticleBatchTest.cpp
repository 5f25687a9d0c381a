// A pass's particle quads reach the renderer in one upload and one draw per
// run of a texture, in the order they came, each with its alpha.
#include "game/world/objects/ParticleBatch.h"
#include "engine/render/IVertexBuffer.h"
#include "game/world/resources/RecordingRenderer.h"
#include "support/EngineFakes.h"

#include <gtest/gtest.h>

namespace {

class BufferRenderer : public RecordingRenderer, public IVertexBuffer {
public:
    IVertexBuffer* CreateVertexBuffer(int) override { return made++ ? nullptr : this; }
    void NoOp() override {}
    void SetLayeredQuads(const Quad*, const float*, const float*, const float*, const int*, int) override {}
    void SetQuads(const Quad* q, int count) override { quads.assign(q, q + count); }
    void DrawAll() override {}
    void Bind() override { calls.push_back({"Bind", {}, {}, {}}); }
    void Unbind() override { calls.push_back({"Unbind", {}, {}, {}}); }
    void DrawRange(int first, int count) override { calls.push_back({"Draw", {first, count}, {}, {}}); }
    int made = 0;
    std::vector<Quad> quads;
};

} // namespace

TEST(ParticleBatch, DrawsRunsOfATextureInOrderWithTheirAlpha)
{
    FakeTexture smoke(32, 32), flame(16, 16);
    auto* renderer = new BufferRenderer(); // the batch deletes its buffer
    {
        ParticleBatch batch;
        Quad q;
        for (auto [texture, alpha] : {std::pair<ITexture*, float>{&smoke, 0.5f},
                                      {&smoke, 1.0f},
                                      {&flame, 0.0f},
                                      {&flame, 1.0f},
                                      {&smoke, 3.0f}}) {
            q.topLeft.x += 1.0f;
            batch.Add(texture, q, alpha);
        }
        batch.Flush(renderer);
        ASSERT_EQ(renderer->quads.size(), 4u); // the invisible one is dropped
        EXPECT_EQ(renderer->quads[0].a, 128);
        EXPECT_EQ(renderer->quads[3].a, 255);
        EXPECT_EQ(renderer->quads[2].topLeft.x, 4.0f);
        std::vector<std::string> order;
        for (const RecordingRenderer::Call& c : renderer->calls)
            order.push_back(c.name == "SetTexture" ? (c.pointers[0] == &smoke ? "smoke" : "flame")
                            : c.name == "Draw"     ? std::to_string(c.ints[0]) + "+" + std::to_string(c.ints[1])
                                                   : c.name);
        EXPECT_EQ(order, (std::vector<std::string>{"Bind", "smoke", "0+2", "flame", "2+1", "smoke", "3+1", "Unbind"}));
        renderer->Clear();
        batch.Flush(renderer);
        EXPECT_TRUE(renderer->calls.empty()) << "an empty pass drew";
    }
}
