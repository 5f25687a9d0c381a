// The particles' quads of a pass reach the renderer in one upload and one
// draw per run of a texture, in the order they came, each with its alpha.
#include "engine/render/IVertexBuffer.h"
#include "game/resources/RecordingRenderer.h"
#include "game/resources/ResourceFakes.h"
#include "game/world/ParticleBatch.h"

#include <gtest/gtest.h>

namespace {

class RecordingBuffer : public IVertexBuffer {
public:
    explicit RecordingBuffer(RecordingRenderer* r) : renderer(r) {}
    void NoOp() override {}
    void SetLayeredQuads(const Quad*, const float*, const float*, const float*, const int*, int) override {}
    void SetQuads(const Quad* q, int count) override { quads.assign(q, q + count); }
    void DrawAll() override {}
    void Bind() override { renderer->calls.push_back({"Bind", {}, {}, {}}); }
    void Unbind() override { renderer->calls.push_back({"Unbind", {}, {}, {}}); }
    void DrawRange(int first, int count) override { renderer->calls.push_back({"DrawRange", {first, count}, {}, {}}); }
    RecordingRenderer* renderer;
    std::vector<Quad> quads;
};

class BufferRenderer : public RecordingRenderer {
public:
    IVertexBuffer* CreateVertexBuffer(int kind) override
    {
        EXPECT_EQ(kind, 1);
        return buffer = new RecordingBuffer(this);
    }
    RecordingBuffer* buffer = nullptr;
};

} // namespace

TEST(ParticleBatch, DrawsRunsOfATextureInOrderWithTheirAlpha)
{
    FakeTexture smoke(32, 32), flame(16, 16);
    BufferRenderer renderer;
    ParticleBatch batch;
    Quad q;
    for (auto [texture, alpha] : {std::pair<ITexture*, float>{&smoke, 0.5f}, {&smoke, 1.0f}, {&flame, 0.0f},
                                  {&flame, 1.0f}, {&smoke, 3.0f}}) {
        q.topLeft.x += 1.0f;
        batch.Add(texture, q, alpha);
    }
    batch.Flush(&renderer);
    ASSERT_NE(renderer.buffer, nullptr);
    const std::vector<Quad>& sent = renderer.buffer->quads;
    ASSERT_EQ(sent.size(), 4u); // the invisible one is dropped
    EXPECT_EQ(sent[0].a, 128);
    EXPECT_EQ(sent[1].a, 255);
    EXPECT_EQ(sent[3].a, 255);
    EXPECT_EQ(sent[2].topLeft.x, 4.0f);

    std::vector<std::string> order;
    for (const RecordingRenderer::Call& c : renderer.calls) {
        order.push_back(c.name);
        if (c.name == "SetTexture")
            order.back() += c.pointers[0] == &smoke ? " smoke" : " flame";
        if (c.name == "DrawRange")
            order.back() += " " + std::to_string(c.ints[0]) + "+" + std::to_string(c.ints[1]);
    }
    EXPECT_EQ(order, (std::vector<std::string>{"Bind", "SetTexture smoke", "DrawRange 0+2", "SetTexture flame",
                                               "DrawRange 2+1", "SetTexture smoke", "DrawRange 3+1", "Unbind"}));

    // A pass with nothing to draw touches nothing.
    renderer.Clear();
    batch.Flush(&renderer);
    EXPECT_TRUE(renderer.calls.empty());
}
