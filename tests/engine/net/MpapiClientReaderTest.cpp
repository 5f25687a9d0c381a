// The client's reading of object sections and its per-frame apply, fed
// with hand-built server packets through the receive path.
#include "MpapiTestObjects.h"
#include "engine/net/PacketBuffer.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

using namespace NetTest;
using MPAPI::ClientManager;
using MPAPI::PacketBuffer;

namespace {

// Builds one server data packet: no acknowledgements, no chunk, then the
// object section written by the test.
class Packet {
public:
    explicit Packet(uint16_t sequence)
    {
        p.Clear();
        p.WriteU8(0x40);
        p.WriteU8(0);
        p.WriteU16(sequence);
        p.WriteU16(0);
    }
    Packet& Head(uint32_t id, int op)
    {
        p.WriteU32(id);
        p.WriteBits(2, uint32_t(op));
        return *this;
    }
    // Every field of a Thing, its vector with or without x and y.
    Packet& ThingFields(uint8_t b, int32_t i, float x, float vx, bool withVector = true)
    {
        p.WriteBit(true), p.WriteU8(b);
        p.WriteBit(true), p.WriteU16(uint16_t(-5));
        p.WriteBit(true), p.WriteU32(uint32_t(i));
        p.WriteBit(true), p.WriteU32(77);
        p.WriteBit(true), p.WriteBit(true);
        p.WriteBit(true), p.WriteFloat(2.5f);
        if (withVector) {
            p.WriteBit(true), p.WriteFloat(x), p.WriteFloat(vx);
            p.WriteBit(true), p.WriteFloat(0), p.WriteFloat(0);
        } else {
            p.WriteBit(false), p.WriteBit(false);
        }
        p.WriteBit(false), p.WriteBit(false);
        return *this;
    }
    Packet& XAlone(float x)
    {
        for (int k = 0; k < 6; ++k)
            p.WriteBit(false);
        p.WriteBit(false), p.WriteBit(false), p.WriteBit(true), p.WriteFloat(x), p.WriteBit(false);
        return *this;
    }
    Packet& XWithVelocity(float x, float vx)
    {
        for (int k = 0; k < 6; ++k)
            p.WriteBit(false);
        p.WriteBit(true), p.WriteFloat(x), p.WriteFloat(vx), p.WriteBit(false), p.WriteBit(false), p.WriteBit(false);
        return *this;
    }
    std::vector<uint8_t> End(size_t cut = 0)
    {
        p.WriteU32(0);
        p.Finish();
        std::vector<uint8_t> b(p.GetData(), p.GetData() + p.GetSize());
        b.resize(b.size() - std::min(cut, b.size() - 1));
        return b;
    }
    PacketBuffer p;
};

class ClientReader : public ::testing::Test {
protected:
    void SetUp() override
    {
        client_.SetListener(&listener_);
        client_.GetHandler().OnConnected();
    }
    void Feed(const std::vector<uint8_t>& d) { client_.InjectDatagram(d.data(), int(d.size()), 0, 0); }
    Thing* Find(uint32_t id) { return static_cast<Thing*>(client_.GetHandler().FindObject(int32_t(id))); }

    Listener listener_;
    ClientManager client_;
};

TEST_F(ClientReader, RepeatedCreateMakesOneObjectAndTakesTheNewValues)
{
    Packet a(10);
    a.Head(0x80000001u, 1);
    a.p.WriteU32(kThingType), a.p.WriteU32(3);
    a.ThingFields(1, 100, 10, 0);
    Feed(a.End());
    Packet b(11);
    b.Head(0x80000001u, 1);
    b.p.WriteU32(kThingType), b.p.WriteU32(3);
    b.ThingFields(2, 200, 10, 0);
    Feed(b.End());
    client_.Update(0.02f);
    Thing* t = Find(0x80000001u);
    ASSERT_NE(t, nullptr);
    EXPECT_EQ(listener_.ReadyThings(), 1);
    EXPECT_EQ(t->byteValue, 2);
    EXPECT_EQ(t->intValue, 200);
    EXPECT_EQ(t->shortValue, -5);
    EXPECT_TRUE(t->flag);
    EXPECT_EQ(t->health, 2.5f);
    EXPECT_EQ(t->initialOnly, 77);
    EXPECT_EQ(t->GetSubTypeId(), 3);
    EXPECT_EQ(t->x, 10.0f);
}

TEST_F(ClientReader, VectorSmoothingJumpsFarAndEasesNear)
{
    Packet a(20);
    a.Head(7, 1), a.p.WriteU32(kThingType), a.p.WriteU32(0);
    a.ThingFields(0, 0, 0, 0);
    Feed(a.End());
    client_.Update(0.02f);
    Thing* t = Find(7);
    ASSERT_NE(t, nullptr);
    struct Step {
        float target, velocity, dt, expected;
        bool alone;
    } steps[] = {
        {150.0f, 0, 0.02f, 150.0f, true},                          // 150 away: jumps
        {200.0f, 0, 0.02f, 150.0f + 15 * 0.02f * 50.0f, false},    // standing: 15 x dt
        {200.0f, 10.0f, 0.02f, 165.0f + 3 * 0.02f * 35.0f, false}, // moving: 3 x dt
        // Far again: jumps, and the settled axis moves on by dt x velocity.
        {400.0f, 10.0f, 0.02f, 400.0f + 0.02f * 10.0f, false},
    };
    uint16_t seq = 21;
    for (const Step& s : steps) {
        Packet u(seq++);
        u.Head(7, 0);
        if (s.alone)
            u.XAlone(s.target);
        else
            u.XWithVelocity(s.target, s.velocity);
        Feed(u.End());
        client_.Update(s.dt);
        EXPECT_NEAR(t->x, s.expected, 1e-3) << "target " << s.target;
    }
}

TEST_F(ClientReader, UnknownUpdateStopsTheSectionAndBadFloatsAreIgnored)
{
    Packet a(30);
    a.Head(999, 0).ThingFields(1, 1, 1, 0);
    a.Head(8, 1), a.p.WriteU32(kThingType), a.p.WriteU32(0);
    a.ThingFields(1, 1, 1, 0);
    Feed(a.End());
    client_.Update(0.02f);
    EXPECT_EQ(Find(8), nullptr);

    Packet b(31);
    b.Head(8, 1), b.p.WriteU32(kThingType), b.p.WriteU32(0);
    b.ThingFields(1, 1, 40, 0);
    Feed(b.End());
    client_.Update(0.02f);
    Thing* t = Find(8);
    ASSERT_NE(t, nullptr);
    Packet c(32);
    c.Head(8, 0).XAlone(std::numeric_limits<float>::quiet_NaN());
    Feed(c.End());
    Packet d(33);
    d.Head(8, 0).XWithVelocity(std::numeric_limits<float>::infinity(), 1.0f);
    Feed(d.End());
    client_.Update(0.02f);
    EXPECT_EQ(t->x, 40.0f);

    // Sections cut anywhere are read up to the cut and no further.
    Packet e(34);
    e.Head(9, 1), e.p.WriteU32(kThingType), e.p.WriteU32(0);
    e.ThingFields(5, 5, 5, 0);
    std::vector<uint8_t> whole = e.End();
    for (size_t cut = 1; cut + 7 < whole.size(); ++cut)
        Feed(std::vector<uint8_t>(whole.begin(), whole.end() - long(cut)));
    client_.Update(0.02f);
    EXPECT_EQ(listener_.readyTwice, 0);
}

TEST_F(ClientReader, EffectsAreDeliveredOnceAndRemovedObjectsStayGone)
{
    for (uint16_t seq = 40; seq < 43; ++seq) { // the create is resent
        Packet a(seq);
        a.Head(0x80000010u, 1), a.p.WriteU32(kEffectType);
        a.p.WriteBit(true), a.p.WriteU8(9), a.p.WriteBit(true), a.p.WriteU32(0x123);
        Feed(a.End());
        client_.Update(0.02f);
    }
    EXPECT_EQ(listener_.effectsMade.load(), 1);
    EXPECT_EQ(listener_.effectsReady, 1);
    for (MPAPI::Object* o : listener_.ready_) {
        if (o->GetTypeId() == kEffectType) {
            EXPECT_EQ(static_cast<Spark*>(o)->colour, 0x123);
        }
    }

    Packet create(50);
    create.Head(11, 1), create.p.WriteU32(kThingType), create.p.WriteU32(0);
    create.ThingFields(1, 1, 1, 0);
    std::vector<uint8_t> late = create.End();
    Feed(late);
    client_.Update(0.02f);
    ASSERT_NE(Find(11), nullptr);
    Packet remove(51);
    remove.Head(11, 3);
    Feed(remove.End());
    client_.Update(0.02f);
    EXPECT_EQ(Find(11), nullptr);
    EXPECT_EQ(listener_.ReadyThings(), 0);
    Feed(late); // a duplicate of the old create comes late
    client_.Update(0.02f);
    EXPECT_EQ(listener_.ReadyThings(), 0);
    // A newer create of the same id is a new object.
    Packet again(52);
    again.Head(11, 1), again.p.WriteU32(kThingType), again.p.WriteU32(0);
    again.ThingFields(3, 3, 3, 0);
    Feed(again.End());
    client_.Update(0.02f);
    ASSERT_NE(Find(11), nullptr);
    EXPECT_EQ(Find(11)->intValue, 3);
}

} // namespace
