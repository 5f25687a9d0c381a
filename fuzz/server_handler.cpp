// Arbitrary client message streams, connection losses, stream pressure and
// operator actions against a serving game state with a real level.
#include "ScratchFolder.h"
#include "engine/core/Engine.h"
#include "engine/files/IFile.h"
#include "engine/files/IFileManager.h"
#include "engine/net/IServer.h"
#include "engine/net/Object.h"
#include "game/shell/protocol/ServerHandler.h"
#include "game/world/map/LevelFile.h"
#include "game/world/map/World.h"
#include "game/world/modes/GameMod.h"
#include "game/world/resources/ObjectResource.h"
#include "game/world/resources/ResourceClass.h"
#include "game/world/resources/ResourceManager.h"
#include "game/world/system/GameSystem.h"
#include "tests/game/shell/protocol/MemoryConnection.h"

#include <cstdint>
#include <cstdlib>
#include <memory>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace {

class Server : public MPAPI::IServer {
public:
    std::vector<MPAPI::IConnection*> waiting;
    int32_t nextId = 100;
    void SetListener(MPAPI::IServerListener*) override {}
    int SetMaxPlayers(int n) override { return n; }
    void SetUpstreamBandwidth(int) override {}
    void SetPassword(const char16_t*) override {}
    int AddBan(uint32_t) override { return 0; }
    void RemoveBan(uint32_t) override {}
    MPAPI::IConnection* NextNewConnection() override
    {
        if (waiting.empty())
            return nullptr;
        MPAPI::IConnection* c = waiting.back();
        waiting.pop_back();
        return c;
    }
    bool Listen(int) override { return true; }
    void DisconnectAll() override {}
    void Update(float) override {}
    void ResetObjectStreams() override {}
    void AddObject(MPAPI::Object* o) override { o->SetNetworkId(nextId++); }
    void AddObjectUnlocked(MPAPI::Object*) override {}
    void RemoveObject(MPAPI::Object*) override {}
    void RemoveAllObjects() override { nextId = 100; }
    void SendNow(MPAPI::IConnection*, MPAPI::Object*) override {}
};

struct PlainMode : GameMod {
    MissionItem* CreateFlagObject(int) override { return nullptr; }
    void OnKill(Player*, Object*, int, int) override {}
};

struct Serving {
    std::unique_ptr<Engine> engine;
    ResourceManager resources{nullptr, nullptr, nullptr};
    std::unique_ptr<World> world;
    std::unique_ptr<GameSystem> game;
    std::unique_ptr<ServerHandler> handler;

    Serving()
    {
        // The engine takes the folder it starts in as its game folder; the
        // fuzzer's own paths (its corpus) stay relative to where it began.
        char old[4096];
        if (!getcwd(old, sizeof old) || chdir(Fuzz::ScratchFolder().c_str()) != 0 || mkdir("levels", 0700) != 0)
            abort();
        engine = std::make_unique<Engine>();
        if (chdir(old) != 0)
            abort();
        resources.CreateObjectResource(ResourceClass::Floor)->SetId(1);
        resources.CreateObjectResource(ResourceClass::Wall)->SetId(51);
        resources.BuildIndex();
        world = std::make_unique<World>(&resources);
        world->Resize(8, 8, 0, 0, 0, 0, -1, -1);
        for (int i = 0; i < 64; ++i)
            world->SetTileVariant(i % 8, i / 8, i % 3 ? 0 : 1, 0);
        game = std::make_unique<GameSystem>(engine.get(), world.get(), &resources, nullptr, nullptr);
        handler = std::make_unique<ServerHandler>(game.get());
        game->SetHandlers(handler.get(), nullptr);
        game->SetActiveHandler(handler.get());
        handler->SetServer(new Server());
        IFileManager* files = engine->GetFileManager();
        LevelHeader header;
        IFile* out = files->Open(u"levels/f.lvl", kOpenWrite, 0);
        if (!out || !WriteLevel(out, files, header, {}, *world, {}, {}, nullptr))
            abort();
        delete out;
        game->Options().AddMapCycleLevel(0, u"levels/f.lvl");
        game->Options().SetServerUploading(true);
    }

    void Frame()
    {
        handler->Update(0.01f);
        handler->ProcessNetwork();
        game->Update(0.5f);
    }
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static Serving* s = new Serving();
    Server* server = static_cast<Server*>(s->handler->GetServer());
    if (!s->handler->StartLevel())
        abort();
    s->game->SetGameMode(new PlainMode());
    std::vector<std::unique_ptr<MemoryConnection>> links;
    size_t at = 0;
    auto next = [&]() -> uint8_t { return at < size ? data[at++] : 0; };
    while (at < size) {
        uint8_t op = next();
        MemoryConnection* link = links.empty() ? nullptr : links[next() % links.size()].get();
        switch (op % 8) {
        case 0:
            if (links.size() < 4) {
                links.push_back(std::make_unique<MemoryConnection>());
                server->waiting.push_back(links.back().get());
            }
            break;
        case 1:
            if (link) {
                size_t n = next();
                n = n < size - at ? n : size - at;
                link->inbound.insert(link->inbound.end(), data + at, data + at + n);
                at += n;
            }
            break;
        case 2:
            if (link)
                link->state = next() & 1 ? MPAPI::IConnection::kClosed : MPAPI::IConnection::kTimedOut;
            break;
        case 3:
            if (link)
                link->sendSpace = next() * 60;
            break;
        case 4:
            s->handler->StartLevel();
            s->game->SetGameMode(new PlainMode());
            break;
        case 5:
            s->handler->SendPlayerStatus();
            break;
        case 6:
            s->handler->KickPlayer(100 + next() % 8);
            break;
        default:
            s->handler->BanPlayer(u"a");
            break;
        }
        s->Frame();
        if (link)
            link->sent.clear();
    }
    // Everybody leaves; the handler must let go of every connection.
    for (auto& link : links)
        link->state = MPAPI::IConnection::kClosed;
    server->waiting.clear();
    for (int i = 0; i < 8 && s->handler->CountConnections() > 0; ++i)
        s->Frame();
    if (s->handler->CountConnections() != 0 || s->handler->CountUploads() != 0)
        abort();
    return 0;
}
