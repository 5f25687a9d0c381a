#pragma once

// The real handlers over UDP on loopback: the fixture's game state serves
// with a ServerHandler, two client game states of their own worlds join it
// with ClientHandlers, and each side runs its handler's frame as the
// programs do, so that nothing reaches a mode but through the protocol.

#include "StateFixture.h"

#include "engine/net/IClient.h"
#include "game/world/modes/GameMod.h"
#include "game/world/objects/ObjectKind.h"
#include "game/world/player/Player.h"
#include "game/world/state/ObjectManager.h"
#include "game/world/state/WorldServices.h"
#include "support-game/ServiceSides.h"

#include <functional>
#include <memory>
#include <unistd.h>

namespace StateTest {

struct Peer {
    std::unique_ptr<World> world;
    std::unique_ptr<GameSystem> game;
    std::unique_ptr<ClientHandler> handler;
    std::unique_ptr<MPAPI::IClient> client;
    WorldServices services;
};

class HandlerMatch : public GameState {
protected:
    void SetUp() override
    {
        GameState::SetUp();
        if (IsSkipped())
            return;
        GameOptions& o = game_->Options();
        o.SetServerTimeLimit(0);
        o.SetServerFragLimit(12);
        o.SetServerTeamFragLimit(0);
        o.SetServerBalanced(false);
        o.ClearMapCycle();
        serverSide_ = Services();
    }

    void TearDown() override
    {
        // The game first: its objects leave the client's replication.
        for (Peer& p : peers_) {
            if (!p.game)
                continue;
            sides_.Enter(p.services);
            {
                ServiceSides::Held held = sides_.Hold();
                p.game.reset();
            }
            p.handler->SetClient(nullptr);
            sides_.RemoveClient(p.client.get());
            p.client.reset();
        }
        sides_.Enter(serverSide_);
        // Skipped without a display: there is no game state.
        if (game_)
            game_->SetHandlers(&server_, &client_);
        handler_.reset();
        GameState::TearDown();
    }

    void Serve(int mode)
    {
        game_->Options().SetServerMode(mode);
        handler_ = std::make_unique<ServerHandler>(game_);
        game_->SetHandlers(handler_.get(), &client_);
        ASSERT_TRUE(game_->StartServer(0));
        ASSERT_TRUE(handler_->StartLevel());
        serverSide_ = Services();
        const int port = engine_->GetMasterServerUpdater().GetServerPort();
        for (int i = 0; i < 2; ++i) {
            Peer& p = peers_[i];
            p.world = std::make_unique<World>(resources_);
            {
                // The first client is already connected.
                ServiceSides::Held held = sides_.Hold();
                p.game = std::make_unique<GameSystem>(engine_, p.world.get(), resources_, nullptr, nullptr);
            }
            p.services = Services();
            p.services.renderer = nullptr, p.services.spritePainter = nullptr, p.services.particlePainter = nullptr;
            sides_.Enter(p.services);
            p.game->Options().SetPlayerName(i == 0 ? u"Anna" : u"Boris");
            // The clients' own settings are not the server's.
            p.game->Options().SetServerTimeLimit(20);
            p.game->Options().SetMovingMode(i == 0 ? 1 : 0);
            p.handler = std::make_unique<ClientHandler>(p.game.get());
            p.game->SetHandlers(nullptr, p.handler.get());
            p.client.reset(engine_->CreateClient());
            sides_.AddClient(p.client.get());
            p.client->SetListener(p.game.get());
            ASSERT_NE(p.client->Connect(u"127.0.0.1", port, nullptr), nullptr);
            p.game->SetActiveHandler(p.handler.get());
            p.handler->SetClient(p.client.get());
        }
        sides_.Enter(serverSide_);
        ASSERT_TRUE(Run(10.0f, [&] { return Joined(); }))
            << peers_[0].handler->IsLevelLoaded() << peers_[0].handler->GetLocalPlayerId() << " "
            << peers_[1].handler->IsLevelLoaded() << peers_[1].handler->GetLocalPlayerId() << " "
            << handler_->CountPlayers() << " " << handler_->CountConnections();
        for (int i = 0; i < 2; ++i) {
            sides_.Enter(peers_[i].services);
            peers_[i].handler->RequestTeamChange(i + 1);
        }
        sides_.Enter(serverSide_);
        ASSERT_TRUE(Run(5.0f, [&] {
            return Server(0) && Server(0)->GetTeam() == GameMod::kFinland && Server(1) &&
                   Server(1)->GetTeam() == GameMod::kRussia;
        }));
    }

    bool Joined()
    {
        for (int i = 0; i < 2; ++i)
            if (!peers_[i].handler->IsLevelLoaded() || peers_[i].handler->GetLocalPlayerId() == 0 || !Server(i))
                return false;
        return handler_->CountConnections() == 2;
    }

    // Each side's frame in the order its program runs it.
    bool Run(float seconds, const std::function<bool()>& done)
    {
        const float dt = 0.05f;
        for (int i = 0; i < int(seconds / dt); ++i) {
            sides_.Enter(serverSide_);
            game_->Update(dt);
            handler_->Update(dt);
            handler_->ProcessNetwork();
            for (Peer& p : peers_) {
                sides_.Enter(p.services);
                p.handler->Update(dt);
                p.handler->ProcessNetwork();
                p.game->Update(dt);
            }
            sides_.Enter(serverSide_);
            if (done())
                return true;
            usleep(1000);
        }
        return false;
    }

    template <class T> T OnPeer(int i, const std::function<T()>& f)
    {
        sides_.Enter(peers_[i].services);
        T value = f();
        sides_.Enter(serverSide_);
        return value;
    }

    // The server's player of a client.
    Player* Server(int i)
    {
        Object* o = Services().objects->FindObject(peers_[i].handler->GetLocalPlayerId());
        return o && o->GetKind() == ObjectKind::Player ? static_cast<Player*>(o) : nullptr;
    }

    static void KillBy(Player* victim, Player* killer)
    {
        victim->TakeBulletDamage(1000, 0, killer, 0, 0, false, -1);
        victim->ResetForSpawn();
    }

    std::unique_ptr<ServerHandler> handler_;
    WorldServices serverSide_;
    Peer peers_[2];
    ServiceSides sides_;
};

} // namespace StateTest
