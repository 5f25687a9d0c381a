// Replication over long matches and at the edges of the object section, the
// server and the client joined in memory so that tens of thousands of
// packets take a moment.
#include "WirePair.h"
#include "engine/net/PacketBuffer.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <memory>
#include <random>

using namespace NetTest;

namespace {

TEST(MpapiLongMatch, ChangeAfterALongQuietCrossesTheSequenceWrap)
{
    Thing player, mover, quiet;
    quiet.intValue = 1;
    WirePair w;
    w.connection->SetPlayerObject(&player);
    w.server.AddObject(&mover);
    w.server.AddObject(&quiet);
    int packets = 0;
    auto runFor = [&](int count) {
        for (int end = packets + count; packets < end;) {
            mover.x = float(packets % 500);
            mover.vx = float(packets % 7);
            packets += w.Step(0.01f);
        }
    };
    runFor(200);
    Thing* copy = w.Copy(quiet);
    ASSERT_NE(copy, nullptr);
    EXPECT_EQ(copy->intValue, 1);
    // Quiet for more than half the ring, then a change: and again past a
    // whole ring.
    runFor(40000);
    quiet.intValue = 2;
    runFor(50);
    EXPECT_EQ(copy->intValue, 2);
    runFor(32000);
    quiet.intValue = 3;
    runFor(50);
    EXPECT_EQ(copy->intValue, 3);
    EXPECT_GT(packets, 70000);
    w.server.RemoveAllObjects();
}

TEST(MpapiLongMatch, EveryObjectArrivesWhileAllOfThemMove)
{
    Thing player;
    std::vector<std::unique_ptr<Thing>> things;
    WirePair w;
    w.connection->SetPlayerObject(&player);
    for (int i = 0; i < 200; ++i) {
        things.push_back(std::make_unique<Thing>());
        things.back()->x = float(i % 20) * 20.0f;
        things.back()->y = float(i / 20) * 20.0f;
        w.server.AddObject(things.back().get());
    }
    // Two seconds of frames in which every object changes every frame.
    for (int frame = 0; frame < 100; ++frame) {
        for (auto& t : things) {
            t->health = float(frame);
            t->vx = float(frame % 9) + 1.0f;
            t->x += 0.5f;
        }
        w.Step(0.02f);
    }
    int missing = 0;
    for (auto& t : things)
        missing += w.Copy(*t) ? 0 : 1;
    EXPECT_EQ(missing, 0);
    w.server.RemoveAllObjects();
}

TEST(MpapiLongMatch, LevelObjectRemovedBeforeTheFirstRelevancePassLeavesTheClient)
{
    Thing player, door, window;
    bool doorGone = false;
    WirePair w;
    w.server.AddObjectUnlocked(&door);
    w.server.AddObjectUnlocked(&window);
    // The client built the same level; its copies carry the same ids.
    auto* doorCopy = new Thing();
    Thing windowCopy;
    doorCopy->onGone = [&](Thing*) { doorGone = true; };
    w.client.AddObject(doorCopy);
    w.client.AddObject(&windowCopy);
    EXPECT_EQ(doorCopy->GetNetworkId(), door.GetNetworkId());
    w.Step();
    w.server.RemoveObject(&door);
    w.connection->SetPlayerObject(&player);
    for (int frame = 0; frame < 100 && !doorGone; ++frame)
        w.Step();
    EXPECT_TRUE(doorGone);
    w.client.RemoveAllObjects();
    w.server.RemoveAllObjects();
    if (!doorGone)
        delete doorCopy;
}

TEST(MpapiLongMatch, SectionEndsWithItsTerminatorAtEveryRoomEdge)
{
    Thing player;
    std::vector<std::unique_ptr<Thing>> things;
    WirePair w;
    w.connection->SetPlayerObject(&player);
    for (int i = 0; i < 40; ++i) {
        things.push_back(std::make_unique<Thing>());
        things.back()->intValue = i * 977;
        things.back()->flag = i % 3 == 0;
        w.server.AddObject(things.back().get());
    }
    for (int frame = 0; frame < 20; ++frame)
        w.Step();
    auto* h = w.server.GetSlot(0);
    const uint16_t sequence = 0x1234;
    int cut = 0;
    for (int limit = 60; limit < 420; ++limit) {
        for (auto& t : things)
            t->intValue += 1;
        w.server.NoteChanges();
        MPAPI::PacketBuffer p;
        p.Clear();
        p.WriteU8(0x40);
        p.SetLimit(limit);
        bool wrote = h->WriteObjects(p, limit, sequence, nullptr);
        h->ForgetObjectId(sequence);
        p.Finish();
        ASSERT_TRUE(wrote);
        if (limit % 100 == 0) {
            // A seed of the client reader's fuzz target: sequence, length, section.
            int n = p.GetSize() - 1;
            std::vector<uint8_t> seed(size_t(n) + 4);
            std::memcpy(seed.data() + 4, p.GetData() + 1, size_t(n));
            seed[0] = 0x34;
            seed[1] = 0x12;
            seed[2] = uint8_t(n);
            seed[3] = uint8_t(n >> 8);
            TestSupport::WriteFuzzSeed("mpapi_client_objects", "section_" + std::to_string(limit), seed);
        }
        MPAPI::PacketBuffer r;
        r.SetupReader(p.GetData(), p.GetSize());
        r.SkipBytes(1);
        w.client.GetHandler().ReadPayload(r, sequence);
        cut += r.Overrun() ? 1 : 0;
    }
    EXPECT_EQ(cut, 0);
    w.server.RemoveAllObjects();
}

TEST(MpapiLongMatch, ClientKeepsFloatsFiniteAndExtrapolationBounded)
{
    Thing player, wild;
    WirePair w;
    w.connection->SetPlayerObject(&player);
    wild.health = 5.0f;
    w.server.AddObject(&wild);
    for (int frame = 0; frame < 20; ++frame)
        w.Step();
    Thing* copy = w.Copy(wild);
    ASSERT_NE(copy, nullptr);
    ASSERT_EQ(copy->health, 5.0f);
    // A broken or hostile server: not-a-number and infinity in a float, a
    // huge position with a huge velocity.
    const float huge = std::numeric_limits<float>::max();
    wild.health = std::numeric_limits<float>::quiet_NaN();
    wild.x = player.x = huge;
    wild.vx = huge;
    wild.y = player.y = -huge;
    wild.vy = -std::numeric_limits<float>::infinity();
    for (int frame = 0; frame < 20; ++frame)
        w.Step(frame % 2 ? 0.02f : 5.0f);
    wild.health = std::numeric_limits<float>::infinity();
    for (int frame = 0; frame < 20; ++frame)
        w.Step();
    EXPECT_EQ(copy->health, 5.0f);
    for (float v : {copy->x, copy->y, copy->vx, copy->vy}) {
        EXPECT_TRUE(std::isfinite(v));
        EXPECT_LE(std::fabs(v), 1.0e6f);
    }
    w.server.RemoveAllObjects();
}

TEST(MpapiLongMatch, PacketSequenceOffTheRingIsNeitherTakenNorAcknowledged)
{
    WirePair w;
    w.ToServer({0x40, 0, 0xFF, 0xFF, 2, 0, 3, 0, 'a', 'b', 'c'});
    w.server.Update(0.1f);
    w.server.Update(0.1f);
    EXPECT_EQ(w.connection->GetReceivedSize(), 0);
    for (auto& d : w.server.socket->outbox) {
        if (d.size() > 2 && d[0] == 0x40 && d[1] <= 16) {
            for (size_t k = 0; k < d[1] && 3 + 2 * k < d.size(); ++k)
                EXPECT_FALSE(d[2 + 2 * k] == 0xFF && d[3 + 2 * k] == 0xFF);
        }
    }
    // The same chunk with a sequence on the ring is taken.
    w.ToServer({0x40, 0, 2, 0, 2, 0, 3, 0, 'a', 'b', 'c'});
    EXPECT_EQ(w.connection->GetReceivedSize(), 3);
}

// Most objects hold still for long stretches and the server then skips
// them; a single member changed now and then, while a fifth of the
// datagrams are lost each way, must still reach the client exactly.
TEST(MpapiLongMatch, SparseChangesOfStillObjectsArriveUnderLoss)
{
    Thing player;
    std::vector<std::unique_ptr<Thing>> things;
    WirePair w;
    w.connection->SetPlayerObject(&player);
    std::mt19937 random(7);
    for (int i = 0; i < 60; ++i) {
        things.push_back(std::make_unique<Thing>());
        Thing& t = *things.back();
        // A sixth always relevant, a third starting out of range.
        t.always = i % 6 == 0;
        t.x = i % 3 == 0 ? 3000.0f + float(i) : float(i * 10);
        t.y = float(i % 7) * 50.0f;
        t.intValue = i;
        w.server.AddObject(&t);
    }
    auto lossyStep = [&] {
        w.server.Update(0.02f);
        std::vector<std::vector<uint8_t>> out;
        out.swap(w.server.socket->outbox);
        for (auto& d : out)
            if (random() % 5 != 0)
                w.client.InjectDatagram(d.data(), int(d.size()), 0, 0);
        w.client.Update(0.02f);
        out.clear();
        out.swap(w.client.socket->outbox);
        for (auto& d : out)
            if (random() % 5 != 0)
                w.ToServer(d);
    };
    for (int i = 0; i < 100; ++i)
        lossyStep();
    for (int round = 0; round < 600; ++round) {
        Thing& t = *things[random() % things.size()];
        switch (random() % 8) {
        case 0:
            t.byteValue = uint8_t(random());
            break;
        case 1:
            t.shortValue = int16_t(random());
            break;
        case 2:
            t.intValue = int32_t(random());
            break;
        case 3:
            t.flag = !t.flag;
            break;
        case 4:
            t.health = float(random() % 1000);
            break;
        case 5:
            t.x += float(random() % 100) - 50.0f;
            break; // small: waits for a full refresh
        case 6:
            t.vx = float(random() % 40) - 20.0f, t.x += t.vx * 0.02f;
            break;
        default:
            t.x = t.x > 1500.0f ? float(random() % 500) : 3000.0f;
            break; // in or out of range
        }
        if (round % 50 == 0)
            player.y = player.y == 0.0f ? 200.0f : 0.0f;
        for (int n = int(random() % 4); n > 0; --n)
            lossyStep();
    }
    for (auto& t : things)
        t->vx = 0.0f;
    int checked = 0;
    auto settleAndCheck = [&] {
        for (int i = 0; i < 400; ++i)
            w.Step();
        for (auto& t : things) {
            if (!t->IsNear(player.x, player.y, nullptr))
                continue;
            Thing* copy = w.Copy(*t);
            ASSERT_NE(copy, nullptr) << t->GetNetworkId();
            EXPECT_TRUE(SameValues(*copy, *t))
                << t->GetNetworkId() << ": " << copy->intValue << " " << t->intValue << " x " << copy->x << " " << t->x;
            ++checked;
        }
    };
    settleAndCheck();
    // Then the player walks to the still objects far away, the always
    // relevant among them never sent so far.
    player.x = 3000.0f;
    settleAndCheck();
    EXPECT_GT(checked, 40);
    w.server.RemoveAllObjects();
}

} // namespace
