// Thirty-two clients through lossy relays while five hundred objects move.
#include "LossyRelay.h"
#include "MpapiTestObjects.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <map>
#include <memory>

using namespace NetTest;
using MPAPI::ClientManager;
using MPAPI::IConnection;
using MPAPI::ServerManager;

namespace {

struct SoakPeer {
    Listener listener;
    std::unique_ptr<LossyRelay> relay;
    ClientManager client;
    IConnection* link = nullptr;
    IConnection* server = nullptr;
    Thing player;
};

// While everything moves a client lags the server by its packets in flight
// and their resends: values it holds may be that old, no older.
struct Agreement {
    int checked = 0;
    int missing = 0;
    float worstLag = 0;      // frames behind, from the value that changes each frame
    float worstDistance = 0; // from the server's position
};

void CheckWhileMoving(SoakPeer& p, const std::map<int32_t, Thing*>& live, Agreement* a)
{
    for (auto& [id, t] : live) {
        float dx = t->x - p.player.x, dy = t->y - p.player.y;
        // Objects at the edge of the range may just have left it.
        if (dx * dx + dy * dy > (kNearRange - 100.0f) * (kNearRange - 100.0f))
            continue;
        ++a->checked;
        auto* c = static_cast<Thing*>(p.client.GetHandler().FindObject(id));
        if (!c || !p.listener.ready_.count(c) || c->intValue != t->intValue || c->initialOnly != t->initialOnly) {
            ++a->missing;
            continue;
        }
        a->worstLag = std::max(a->worstLag, t->health - c->health);
        a->worstDistance = std::max(a->worstDistance, std::hypot(c->x - t->x, c->y - t->y));
    }
}

bool Consistent(SoakPeer& p, const std::map<int32_t, Thing*>& live)
{
    for (auto& [id, t] : live) {
        if (!t->IsNear(p.player.x, p.player.y, nullptr))
            continue;
        auto* c = static_cast<Thing*>(p.client.GetHandler().FindObject(id));
        if (!c || !SameValues(*c, *t) || !p.listener.ready_.count(c))
            return false;
    }
    for (MPAPI::Object* o : p.listener.ready_)
        if (!live.count(o->GetNetworkId()))
            return false;
    return true;
}

TEST(MpapiSoak, ThirtyTwoLossyClientsStayConsistent)
{
    constexpr int kClients = 32;
    constexpr int kObjects = 500;
    ServerManager server;
    ASSERT_TRUE(server.Listen(0));
    std::vector<std::unique_ptr<SoakPeer>> peers;
    LossProfile profile;
    profile.loss = 0.10;
    profile.maxDelay = 3;
    for (int i = 0; i < kClients; ++i) {
        peers.push_back(std::make_unique<SoakPeer>());
        SoakPeer& p = *peers.back();
        p.relay = std::make_unique<LossyRelay>(server.GetPort(), profile, uint32_t(100 + i));
        ASSERT_TRUE(p.relay->Ok());
        p.client.SetListener(&p.listener);
        p.player.x = float(i % 8) * 600.0f;
        p.player.y = float(i / 8) * 600.0f;
    }
    std::vector<std::thread> connecting;
    for (auto& pp : peers)
        connecting.emplace_back([p = pp.get()] {
            for (int attempt = 0; attempt < 5 && !p->link; ++attempt)
                p->link = p->client.Connect(u"127.0.0.1", p->relay->GetPort(), nullptr);
        });
    for (auto& t : connecting)
        t.join();
    std::vector<ClientManager*> clients;
    for (auto& p : peers) {
        ASSERT_NE(p->link, nullptr) << "status " << p->client.GetStatus();
        clients.push_back(&p->client);
    }
    int accepted = 0;
    ASSERT_TRUE(Pump(server, clients, [&] {
        while (server.NextNewConnection())
            ++accepted;
        return accepted == kClients;
    }));
    std::vector<IConnection*> links;
    for (int i = 0; i < ServerManager::kSlots; ++i)
        links.push_back(server.GetSlot(i));
    for (auto& p : peers)
        ASSERT_TRUE(p->link->SetStreaming(true));
    // Each client names itself in its state block, which binds the server's
    // end to the player it stands for.
    for (int i = 0; i < kClients; ++i)
        peers[size_t(i)]->client.SetClientState(0, 0, 0, 0, i + 1, 0, 0, 0);
    ASSERT_TRUE(Pump(server, clients, [&] {
        for (IConnection* c : links)
            if (c->GetClientIntA() == 0)
                return false;
        return true;
    }));
    for (IConnection* c : links) {
        SoakPeer* p = peers[size_t(c->GetClientIntA() - 1)].get();
        p->server = c;
        c->SetPlayerObject(&p->player);
    }

    std::vector<std::unique_ptr<Thing>> things;
    std::map<int32_t, Thing*> live;
    for (int i = 0; i < kObjects; ++i) {
        things.push_back(std::make_unique<Thing>(i % 3));
        Thing* t = things.back().get();
        t->x = float(i % 25) * 200.0f;
        t->y = float(i / 25) * 100.0f;
        t->intValue = i;
        t->initialOnly = i * 3;
        server.AddObject(t);
        live[t->GetNetworkId()] = t;
    }
    // Move everything and keep every client streaming its state.
    int frame = 0;
    auto step = [&] {
        for (size_t i = 0; i < things.size(); ++i) {
            Thing* t = things[i].get();
            float a = float(frame) * 0.05f + float(i);
            t->vx = 40.0f * std::cos(a);
            t->vy = 40.0f * std::sin(a);
            t->x += t->vx * 0.02f;
            t->y += t->vy * 0.02f;
            t->health = float(frame);
            t->flag = (frame / 25) % 2 == 0;
        }
        for (size_t i = 0; i < peers.size(); ++i)
            peers[i]->client.SetClientState(frame & 3, peers[i]->player.x, peers[i]->player.y, float(frame), int(i) + 1,
                                            frame, 0, 0);
        server.Update(0.02f);
        for (ClientManager* c : clients)
            c->Update(0.02f);
        Os::SleepMs(1);
        ++frame;
    };
    // Every create lost on the way, or whose acknowledgement is lost, costs
    // a whole resend time, so when the last one lands has a long tail: wait
    // until every client holds every object near it, no older than one
    // resend time.
    auto caughtUp = [&] {
        Agreement a;
        for (auto& p : peers)
            CheckWhileMoving(*p, live, &a);
        return a.missing == 0 && a.worstLag <= 50.0f;
    };
    while (frame < 3000 && !(frame % 10 == 0 && caughtUp()))
        step();
    ASSERT_LT(frame, 3000) << "some client never caught up";
    // From then on every client keeps up with the server while they move.
    Agreement agreement;
    for (int end = frame + 200; frame < end;) {
        if (frame % 20 == 0)
            for (auto& p : peers)
                CheckWhileMoving(*p, live, &agreement);
        step();
    }
    // A lost packet holds its slot for the 1 s resend time, and four slots
    // can be held at once: some seconds behind at worst, never frozen.
    EXPECT_GT(agreement.checked, 10000);
    EXPECT_EQ(agreement.missing, 0);
    EXPECT_LE(agreement.worstLag, 250.0f);
    EXPECT_LE(agreement.worstDistance, 250.0f);
    for (auto& t : things)
        t->vx = t->vy = 0;
    // Remove a fifth while the rest settles.
    for (size_t i = 0; i < things.size(); i += 5) {
        live.erase(things[i]->GetNetworkId());
        server.RemoveObject(things[i].get());
    }
    int checks = 0;
    EXPECT_TRUE(Pump(
        server, clients,
        [&] {
            if (++checks % 10 != 0)
                return false;
            for (auto& p : peers)
                if (!Consistent(*p, live))
                    return false;
            return true;
        },
        4000));
    for (auto& p : peers) {
        EXPECT_EQ(p->listener.wrongThread, 0);
        EXPECT_EQ(p->listener.readyTwice, 0);
        EXPECT_EQ(p->link->GetState(), IConnection::kConnected);
    }
    server.RemoveAllObjects();
}

} // namespace
