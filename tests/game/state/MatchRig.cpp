#include "MatchRig.h"

#include "engine/net/IConnection.h"
#include "game/shell/GameMessage.h"
#include "game/world/GameMod.h"
#include "game/world/Player.h"

#include <unistd.h>

namespace StateTest {
namespace {

const char16_t* const kNames[MatchRig::kClients] = {u"Anna", u"Boris"};

} // namespace

void MatchServer::Broadcast(GamePacket* p, MPAPI::IConnection* except)
{
    for (MPAPI::IConnection* c : joined)
        if (c != except)
            p->Send(c);
}

void MatchServer::ChangeTeam(Player* player, int choice)
{
    Services().game->GetGameMode()->SetPlayerTeam(player, choice, true, true);
    UpdatePlayer(player->GetNetworkId(), -1000, -1000, 0, player->GetTeam(), nullptr);
}

void MatchServer::SendTable()
{
    for (int i = 0; i < kSlotCount; ++i)
        if (const PlayerSlot* s = GetSlot(i); s->id != 0) {
            GameMessages::WritePlayerEntry(outgoing_, s->id, s->name);
            Broadcast(&outgoing_, nullptr);
            GameMessages::WritePlayerSlotUpdate(outgoing_, s->id, 0, uint16_t(s->team));
            Broadcast(&outgoing_, nullptr);
        }
}

void MatchClient::Step(float dt)
{
    client->Update(dt);
    GameMod* mode = Services().game->GetGameMode();
    while (GamePacket* p = ReceiveNext(client->GetConnection()))
        if (!HandleTableMessage(p) && mode)
            mode->HandleMessage(client->GetConnection(), p);
    if (mode)
        mode->CheckLimits(dt);
}

MatchRig::MatchRig(Engine* engine, ResourceManager* resources, GameSystem* serverGame, ServerHandler* fixtureServer,
                   ClientHandler* fixtureClient)
    : engine_(engine), resources_(resources), serverGame_(serverGame), fixtureServer_(fixtureServer),
      fixtureClient_(fixtureClient)
{
}

MatchRig::~MatchRig()
{
    // Each client goes under its own services, its game before its link.
    for (MatchClient& c : clients)
        if (c.game || c.client)
            Services() = c.services, c.game.reset(), c.client.reset();
    if (serverSide.game)
        Services() = serverSide;
    serverGame_->SetHandlers(fixtureServer_, fixtureClient_);
}

bool MatchRig::Serve()
{
    serverGame_->SetHandlers(&server, fixtureClient_);
    if (!serverGame_->StartServer(0))
        return false;
    port_ = engine_->GetMasterServerUpdater().GetServerPort();
    return true;
}

bool MatchRig::AddClients(const char16_t* level, const std::function<void(GameSystem*)>& configure)
{
    serverSide = Services();
    bool ok = true;
    for (MatchClient& c : clients) {
        c.world = std::make_unique<World>(resources_);
        c.game = std::make_unique<GameSystem>(engine_, c.world.get(), resources_, nullptr, nullptr);
        c.services = Services();
        c.services.renderer = nullptr, c.services.spritePainter = nullptr, c.services.particlePainter = nullptr;
        Services() = c.services;
        c.client.reset(engine_->CreateClient());
        c.client->SetListener(c.game.get());
        c.game->SetHandlers(nullptr, &c);
        c.game->SetActiveHandler(&c);
        if (configure)
            configure(c.game.get());
        ok = ok && c.client->Connect(u"127.0.0.1", port_, nullptr) != nullptr;
        ok = ok && c.game->CreateGameMode(level) != 0 && c.game->LoadLevel(level);
        if (ok)
            c.game->GetGameMode()->Restart();
        c.services = Services();
        if (!ok)
            break;
    }
    Services() = serverSide;
    return ok;
}

bool MatchRig::Run(float seconds, const std::function<bool()>& done)
{
    GameMod* serverMode = serverGame_->GetGameMode();
    for (int i = 0; i < int(seconds / 0.05f); ++i) {
        Services() = serverSide;
        server.GetServer()->Update(0.05f);
        if (MPAPI::IConnection* c = server.GetServer()->NextNewConnection()) {
            const int n = int(server.joined.size());
            server.joined.push_back(c);
            if (n < kClients) {
                players[n] = server.AcceptJoin(c, kNames[n], "uid");
                if (onJoin)
                    onJoin(players[n], n);
            }
            c->SetStreaming(true);
        }
        serverGame_->Update(0.05f);
        if (serverMode)
            serverMode->Update(0.05f);
        for (MatchClient& c : clients) {
            Services() = c.services;
            c.Step(0.05f);
            c.game->Update(0.05f);
        }
        Services() = serverSide;
        if (done())
            return true;
        usleep(1000);
    }
    return false;
}

void MatchRig::OnClients(const std::function<void(MatchClient&)>& fn)
{
    for (MatchClient& c : clients) {
        Services() = c.services;
        fn(c);
    }
    Services() = serverSide;
}

} // namespace StateTest
