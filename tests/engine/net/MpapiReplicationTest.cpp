// Replication from a real server to real clients over loopback UDP, with
// and without loss.
#include "LossyRelay.h"
#include "MpapiTestObjects.h"
#include "engine/net/MpapiDatagram.h"

#include <gtest/gtest.h>

#include <algorithm>

#include <cstdio>
#include <map>
#include <memory>
#include <set>
#include <string>

using namespace NetTest;
using MPAPI::ClientManager;
using MPAPI::IConnection;
using MPAPI::ServerManager;

namespace {

bool DataHeader(const uint8_t* d, int n, MPAPI::MpapiDatagram::DataHeader* h)
{
    return n >= 2 && d[0] == 0x40 && MPAPI::MpapiDatagram::ParseDataBody(d + 1, n - 1, h);
}

// One client with its listener, its player on the server and, optionally,
// a lossy relay in between.
struct Peer {
    Listener listener;
    std::unique_ptr<LossyRelay> relay;
    ClientManager client;
    IConnection* server = nullptr; // the server's end
    Thing player;
};

class Replication : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(server_.Listen(0)); }
    void TearDown() override
    {
        for (auto& p : peers_)
            p->server = nullptr;
        server_.RemoveAllObjects();
    }

    // A filtered path drops what its filter picks and sends every other
    // datagram twice.
    Peer& AddPeer(float x, float y, double loss = 0, LossyRelay::Filter filter = nullptr)
    {
        peers_.push_back(std::make_unique<Peer>());
        Peer& p = *peers_.back();
        int port = server_.GetPort();
        if (loss > 0 || filter) {
            LossProfile profile;
            profile.loss = loss;
            profile.duplicate = filter ? 1.0 : 0.05;
            profile.reorder = filter ? 0.0 : 0.05;
            profile.maxDelay = filter ? 0 : 5;
            p.relay = std::make_unique<LossyRelay>(port, profile, uint32_t(peers_.size()), std::move(filter));
            EXPECT_TRUE(p.relay->Ok());
            port = p.relay->GetPort();
        }
        p.client.SetListener(&p.listener);
        IConnection* c = nullptr;
        for (int attempt = 0; attempt < 5 && !c; ++attempt)
            c = p.client.Connect(u"127.0.0.1", port, nullptr);
        EXPECT_NE(c, nullptr);
        EXPECT_TRUE(Pump(server_, Clients(), [&] { return (p.server = server_.NextNewConnection()) != nullptr; }));
        p.player.x = x;
        p.player.y = y;
        if (p.server)
            p.server->SetPlayerObject(&p.player);
        if (c) {
            EXPECT_TRUE(c->SetStreaming(true));
        }
        return p;
    }

    std::vector<ClientManager*> Clients()
    {
        std::vector<ClientManager*> v;
        for (auto& p : peers_)
            v.push_back(&p->client);
        return v;
    }

    Thing* NewThing(float x, float y, int seed)
    {
        things_.push_back(std::make_unique<Thing>(seed % 5));
        Thing* t = things_.back().get();
        t->x = x;
        t->y = y;
        t->byteValue = uint8_t(seed * 7);
        t->shortValue = int16_t(-seed * 300);
        t->intValue = seed * 100003;
        t->initialOnly = seed + 1;
        t->flag = seed % 2 == 1;
        t->health = float(seed) * 0.25f;
        return t;
    }

    // Every object relevant to a peer is on its client with the server's
    // values, and the client holds nothing the server does not list.
    bool Consistent(Peer& p, const std::vector<Thing*>& live)
    {
        std::map<int32_t, Thing*> byId;
        for (Thing* t : live)
            byId[t->GetNetworkId()] = t;
        for (Thing* t : live) {
            if (!t->IsNear(p.player.x, p.player.y, nullptr))
                continue;
            auto* c = static_cast<Thing*>(p.client.GetHandler().FindObject(t->GetNetworkId()));
            if (!c || !SameValues(*c, *t) || !p.listener.ready_.count(c))
                return false;
        }
        for (MPAPI::Object* o : p.listener.ready_)
            if (o->GetTypeId() == kThingType && !byId.count(o->GetNetworkId()))
                return false;
        return true;
    }

    bool AllConsistent(const std::vector<Thing*>& live)
    {
        for (auto& p : peers_)
            if (!Consistent(*p, live))
                return false;
        return true;
    }

    std::vector<Thing*> Live()
    {
        std::vector<Thing*> v;
        for (auto& t : things_)
            v.push_back(t.get());
        return v;
    }

    // What a relay's filter sees and holds; it outlives the relays.
    struct Watch {
        std::mutex m;
        std::set<uint16_t> held, acked;
        std::map<uint16_t, int> seen;
        std::vector<uint8_t> late;
        template <class F> auto operator()(F f)
        {
            std::lock_guard<std::mutex> lock(m);
            return f();
        }
    } watch_;
    ServerManager server_;
    std::vector<std::unique_ptr<Peer>> peers_;
    std::vector<std::unique_ptr<Thing>> things_;
};

TEST_F(Replication, EveryFieldTypeReachesTheClientsInRange)
{
    Peer& west = AddPeer(0, 0);
    Peer& east = AddPeer(5000, 0);
    Peer& both = AddPeer(2500, 0);
    for (int i = 0; i < 10; ++i)
        server_.AddObject(NewThing(float(i) * 500.0f, 300.0f, i));
    ASSERT_TRUE(Pump(server_, Clients(), [&] { return AllConsistent(Live()); }));
    EXPECT_EQ(west.listener.ReadyThings(), 2); // x = 0, 500
    EXPECT_EQ(east.listener.ReadyThings(), 1); // x = 4500
    EXPECT_EQ(both.listener.ReadyThings(), 3); // x = 2000, 2500, 3000

    // Changes follow; the initial-only field does not.
    for (auto& t : things_) {
        t->byteValue += 1;
        t->shortValue = int16_t(t->shortValue - 1);
        t->intValue ^= 0x5a5a;
        t->flag = !t->flag;
        t->health += 10.0f;
        t->y += 40.0f;
    }
    Thing* first = things_[0].get();
    int32_t before = first->initialOnly;
    first->initialOnly = 999;
    auto* copy = static_cast<Thing*>(west.client.GetHandler().FindObject(first->GetNetworkId()));
    ASSERT_NE(copy, nullptr);
    ASSERT_TRUE(Pump(server_, Clients(), [&] {
        return copy->health == first->health && copy->y == first->y && copy->flag == first->flag &&
               copy->intValue == first->intValue;
    }));
    EXPECT_EQ(copy->initialOnly, before);
    first->initialOnly = before;
    ASSERT_TRUE(Pump(server_, Clients(), [&] { return AllConsistent(Live()); }));
    for (auto& p : peers_)
        EXPECT_EQ(p->listener.wrongThread, 0);
}

TEST_F(Replication, ClientsSharingObjectsGetTheirOwnValuesWhileTheyChangeEveryPass)
{
    // Clients due the same fields of an object in a pass share its bits; one
    // that lost packets, and one that joins late, are due others.
    AddPeer(0, 0);
    AddPeer(100, 0, 0.3);
    for (int i = 0; i < 30; ++i)
        server_.AddObject(NewThing(float(i % 6) * 80.0f, float(i / 6) * 80.0f, i));
    int frame = 0;
    auto change = [&] {
        for (size_t i = 0; i < things_.size(); ++i) {
            Thing& t = *things_[i];
            t.vx = float((frame + int(i)) % 7) - 3.0f;
            t.x += t.vx;
            if ((frame + int(i)) % 4 == 0)
                t.intValue += 1;
            if ((frame + int(i)) % 9 == 0)
                t.flag = !t.flag;
        }
        ++frame;
        return false;
    };
    Pump(server_, Clients(), change, 150);
    AddPeer(50, 50);
    Pump(server_, Clients(), change, 150);
    for (auto& t : things_)
        t->vx = 0; // a client carries a moving object on by itself
    ASSERT_TRUE(Pump(server_, Clients(), [&] { return AllConsistent(Live()); }));
}

TEST_F(Replication, EffectsReachNearbyClientsOnceEvenUnderLoss)
{
    Peer& near = AddPeer(0, 0, 0.3);
    Peer& far = AddPeer(9000, 9000);
    std::vector<std::unique_ptr<Spark>> sparks;
    for (int i = 0; i < 20; ++i) {
        sparks.push_back(std::make_unique<Spark>());
        sparks.back()->power = uint8_t(i);
        sparks.back()->colour = 0x10000 * i;
        sparks.back()->x = float(i);
        server_.AddObject(sparks.back().get());
        EXPECT_LT(uint32_t(sparks.back()->GetNetworkId()), 0xFFFFFFFFu);
        EXPECT_GE(uint32_t(sparks.back()->GetNetworkId()), 0x80000000u);
    }
    ASSERT_TRUE(Pump(server_, Clients(),
                     [&] { return near.listener.effectsReady == 20 && server_.GetSlot(0)->GetEffectCount() == 0; }));
    // Let resends of lost acknowledgements come and go.
    Pump(
        server_, Clients(), [] { return false; }, 200);
    EXPECT_EQ(near.listener.effectsReady, 20);
    EXPECT_EQ(near.listener.readyTwice, 0);
    EXPECT_EQ(far.listener.effectsReady, 0);
    std::set<int> powers;
    for (MPAPI::Object* o : near.listener.ready_)
        if (o->GetTypeId() == kEffectType)
            powers.insert(static_cast<Spark*>(o)->power * 1000 + static_cast<Spark*>(o)->colour / 0x10000);
    EXPECT_EQ(powers.size(), 20u);
    for (int p : powers)
        EXPECT_EQ(p / 1000, p % 1000);
}

TEST_F(Replication, RemovalsReachEveryClientUnderLoss)
{
    for (int i = 0; i < 3; ++i)
        AddPeer(float(i) * 100.0f, 0, 0.3);
    for (int i = 0; i < 60; ++i)
        server_.AddObject(NewThing(float(i % 10) * 50.0f, float(i / 10) * 50.0f, i));
    ASSERT_TRUE(Pump(server_, Clients(), [&] { return AllConsistent(Live()); }));
    for (auto& p : peers_)
        EXPECT_EQ(p->listener.ReadyThings(), 60);
    for (int i = 0; i < 60; i += 2)
        server_.RemoveObject(things_[size_t(i)].get());
    std::vector<Thing*> live;
    for (int i = 1; i < 60; i += 2)
        live.push_back(things_[size_t(i)].get());
    ASSERT_TRUE(Pump(server_, Clients(), [&] {
        for (auto& p : peers_)
            if (p->listener.ReadyThings() != 30)
                return false;
        return AllConsistent(live);
    }));
    // The server forgets the acknowledged removals.
    ASSERT_TRUE(Pump(server_, Clients(), [&] {
        for (int i = 0; i < 3; ++i)
            if (server_.GetSlot(i)->GetEntryCount() != 30)
                return false;
        return true;
    }));
}

TEST_F(Replication, ObjectLeavingRangeGoesStaleOnce)
{
    Peer& p = AddPeer(0, 0);
    Thing* t = NewThing(100, 0, 3);
    server_.AddObject(t);
    ASSERT_TRUE(Pump(server_, Clients(), [&] { return AllConsistent(Live()); }));
    auto* copy = static_cast<Thing*>(p.client.GetHandler().FindObject(t->GetNetworkId()));
    ASSERT_NE(copy, nullptr);
    t->x = 5000;
    ASSERT_TRUE(Pump(server_, Clients(), [&] { return copy->stales.load() == 1; }));
    Pump(
        server_, Clients(), [] { return false; }, 150);
    EXPECT_EQ(copy->stales.load(), 1);
    t->x = 200;
    ASSERT_TRUE(Pump(server_, Clients(), [&] { return copy->x == 200.0f; }));
    EXPECT_EQ(p.listener.ReadyThings(), 1);
}

TEST_F(Replication, LevelAndRunTimeIdsAndJoiningClientRemovesGoneLevelObjects)
{
    std::vector<Thing*> level;
    for (int i = 0; i < 5; ++i) {
        level.push_back(NewThing(float(i) * 10.0f, 0, i));
        server_.AddObjectUnlocked(level.back());
        EXPECT_EQ(level.back()->GetNetworkId(), 100 + i);
    }
    Thing* dynamic = NewThing(0, 0, 9);
    server_.AddObject(dynamic);
    EXPECT_EQ(uint32_t(dynamic->GetNetworkId()), 0x80000000u);
    // Three gone before the client comes: their entries stand side by side.
    for (int i = 1; i < 4; ++i)
        server_.RemoveObject(level[size_t(i)]);

    // The client builds the same level itself; its copies get the same ids.
    Peer& p = AddPeer(0, 0);
    std::vector<std::unique_ptr<Thing>> copies;
    for (int i = 0; i < 5; ++i) {
        copies.push_back(std::make_unique<Thing>());
        copies.back()->onGone = [&p](Thing* gone) { p.listener.Gone(gone); };
        p.client.AddObject(copies.back().get());
        p.listener.ready_.insert(copies.back().get());
        EXPECT_EQ(copies.back()->GetNetworkId(), 100 + i);
    }
    std::vector<Thing*> gone;
    for (int i = 1; i < 4; ++i)
        gone.push_back(copies[size_t(i)].release());
    ASSERT_TRUE(Pump(server_, Clients(), [&] {
        return std::none_of(gone.begin(), gone.end(), [&](Thing* t) { return p.listener.ready_.count(t) != 0; });
    }));
    for (int id = 101; id < 104; ++id)
        EXPECT_EQ(p.client.GetHandler().FindObject(id), nullptr) << id;
    EXPECT_NE(p.client.GetHandler().FindObject(104), nullptr);
    ASSERT_TRUE(Pump(server_, Clients(), [&] { return copies[0]->intValue == level[0]->intValue; }));
    // The game drops its own copy: the client no longer holds it.
    p.client.RemoveObject(copies[4].get());
    EXPECT_EQ(p.client.GetHandler().FindObject(104), nullptr);

    server_.RemoveAllObjects();
    Thing* again = NewThing(0, 0, 4);
    server_.AddObjectUnlocked(again);
    EXPECT_EQ(again->GetNetworkId(), 100);
    Thing* next = NewThing(0, 0, 5);
    server_.AddObject(next);
    EXPECT_EQ(uint32_t(next->GetNetworkId()), 0x80000001u);
    for (auto& c : copies)
        if (c)
            p.listener.ready_.erase(c.get());
}

TEST_F(Replication, OwnPlayerVectorOnlyWhenForced)
{
    Peer& p = AddPeer(0, 0);
    server_.AddObject(&p.player);
    ASSERT_TRUE(Pump(server_, Clients(), [&] { return p.client.GetHandler().FindObject(p.player.GetNetworkId()); }));
    auto* copy = static_cast<Thing*>(p.client.GetHandler().FindObject(p.player.GetNetworkId()));
    ASSERT_TRUE(Pump(server_, Clients(), [&] { return copy->x == p.player.x; }));
    p.player.x = 400;
    Pump(
        server_, Clients(), [] { return false; }, 100);
    EXPECT_EQ(copy->x, 0.0f);
    p.player.force = true;
    ASSERT_TRUE(Pump(server_, Clients(), [&] { return copy->x == 400.0f; }));
    server_.RemoveObject(&p.player);
    EXPECT_EQ(p.server->GetPlayerObject(), nullptr);
}

// Only a move sends out of turn: a value changing every pass goes out
// every other one.
TEST_F(Replication, OnlyAMoveSendsOutOfTurn)
{
    Peer& p = AddPeer(0, 0);
    Thing* t = NewThing(100, 0, 3);
    server_.AddObject(t);
    ASSERT_TRUE(Pump(server_, Clients(), [&] { return AllConsistent(Live()); }));
    const int sent = p.server->GetPacketsSent();
    auto change = [&] {
        ++t->intValue;
        return false;
    };
    Pump(server_, Clients(), change, 40);
    EXPECT_LE(p.server->GetPacketsSent() - sent, 30);
}

TEST_F(Replication, ClientStateReachesTheServer)
{
    ServerListener sl;
    server_.SetListener(&sl);
    Peer& p = AddPeer(0, 0);
    p.client.SetClientState(0x41, 12.5f, -3.0f, 90.0f, 7, 8, 1.5f, 2.5f);
    ASSERT_TRUE(Pump(server_, Clients(), [&] { return sl.changes.load() > 0 && p.server->GetClientIntB() == 8; }));
    EXPECT_EQ(sl.lastFlags.load(), 0x41);
    EXPECT_EQ(p.server->GetClientX(), 12.5f);
    EXPECT_EQ(p.server->GetClientY(), -3.0f);
    EXPECT_EQ(p.server->GetClientValue(), 90.0f);
    EXPECT_EQ(p.server->GetClientIntA(), 7);
    float u = 0, v = 0;
    p.server->GetClientPoint(&u, &v);
    EXPECT_EQ(u, 1.5f);
    EXPECT_EQ(v, 2.5f);
}

// One client message a chunk from just short of the wrap. The second is held
// back, so the ten behind it wait; one more is eleven ahead, beyond the
// re-order slots, and refused until the gap closes. All enter once, in order.
TEST_F(Replication, ReliableMessagesWaitForAGapAndEnterOnceInOrderAcrossTheWrap)
{
    Watch& w = watch_;
    w.held = {0xFFFE, 10, 11};
    Peer& p = AddPeer(0, 0, 0, [&](const uint8_t* d, int n, bool toServer) {
        MPAPI::MpapiDatagram::DataHeader h;
        if (!toServer || !DataHeader(d, n, &h) || h.chunkSequence == 0)
            return false;
        return w([&] {
            ++w.seen[h.chunkSequence];
            return w.held.count(h.chunkSequence) > 0;
        });
    });
    MPAPI::GameStateHandler& client = p.client.GetHandler();
    auto* server = dynamic_cast<MPAPI::GameStateHandler*>(p.server);
    ASSERT_NE(server, nullptr);
    client.StartSequencesAt(0, 0xFFFD);
    server->StartSequencesAt(0, 0xFFFD);
    std::string sent;
    int room = client.GetSendSpace();
    for (int i = 0; i <= 12; ++i) { // chunks 0xFFFD, 0xFFFE, 2, ..., 12
        char piece[4];
        std::snprintf(piece, sizeof piece, "m%02d", i);
        sent += piece;
        ASSERT_TRUE(client.Send(piece, 3));
        ASSERT_TRUE(Pump(server_, Clients(), [&] { return client.GetSendSpace() == room; })) << i;
    }
    ASSERT_TRUE(Pump(server_, Clients(), [&] { return w([&] { return w.seen[12] >= 3; }); }));
    EXPECT_EQ(server->GetWaitingChunks(), 8);
    EXPECT_EQ(server->GetReceivedSize(), 3);
    EXPECT_EQ(client.GetSlotsInFlight(), 4);
    w([&] { return w.held.erase(10) + w.held.erase(11); });
    ASSERT_TRUE(Pump(server_, Clients(), [&] { return server->GetWaitingChunks() == 10; }));
    w([&] { return w.held.erase(0xFFFE); });
    ASSERT_TRUE(Pump(server_, Clients(), [&] { return client.GetSlotsInFlight() == 0; }));
    std::string got(sent.size() + 1, '\0');
    EXPECT_EQ(server->Receive(&got[0], int(sent.size())), int(sent.size()));
    EXPECT_EQ(got.c_str(), sent);
    EXPECT_EQ(server->GetReceivedSize(), 0);
}

// The packet just before the packet wrap is held back while the value it
// carries goes on changing; when it comes after the newer ones it is
// acknowledged, and the newer value stays.
TEST_F(Replication, LatePacketFromBeforeTheWrapDoesNotUndoANewerValue)
{
    Watch& w = watch_;
    Peer& p = AddPeer(0, 0, 0, [&](const uint8_t* d, int n, bool toServer) {
        MPAPI::MpapiDatagram::DataHeader h;
        std::lock_guard<std::mutex> lock(w.m);
        if (!DataHeader(d, n, &h))
            return false;
        w.acked.insert(h.acks, h.acks + (toServer ? h.ackCount : 0));
        if (toServer || h.packetSequence != 0xFFFE || !w.late.empty())
            return false;
        w.late.assign(d, d + n);
        return true;
    });
    auto* server = dynamic_cast<MPAPI::GameStateHandler*>(p.server);
    ASSERT_NE(server, nullptr);
    server->StartSequencesAt(0xFFF0, 0);
    Thing* t = NewThing(100, 100, 3);
    server_.AddObject(t);
    ASSERT_TRUE(Pump(server_, Clients(), [&] {
        ++t->intValue;
        return w([&] { return !w.late.empty(); });
    }));
    Thing* copy = nullptr;
    ASSERT_TRUE(Pump(server_, Clients(), [&] {
        copy = static_cast<Thing*>(p.client.GetHandler().FindObject(t->GetNetworkId()));
        return copy && copy->intValue == t->intValue;
    }));
    p.relay->Inject(w([&] { return w.late; }), false);
    ASSERT_TRUE(Pump(server_, Clients(), [&] { return w([&] { return w.acked.count(0xFFFE) > 0; }); }));
    p.client.Update(0.02f);
    EXPECT_EQ(copy->intValue, t->intValue);
}

} // namespace
