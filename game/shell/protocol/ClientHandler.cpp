#include "game/shell/protocol/ClientHandler.h"

#include "engine/core/IEngine.h"
#include "engine/core/StringKit.h"
#include "engine/net/IClient.h"
#include "engine/net/IConnection.h"
#include "game/world/map/World.h"
#include "game/world/modes/GameMod.h"
#include "game/world/net/GameMessage.h"
#include "game/world/objects/ParticleSystem.h"
#include "game/world/resources/Inventory.h"
#include "game/world/state/WorldServices.h"
#include "game/world/system/GameSystem.h"
#include "game/world/system/LoadingListener.h"
#include "platform/os/StopSignals.h"

#include <chrono>
#include <thread>

namespace {

constexpr int kIdleSleepMs = 100;
constexpr int kMismatchPauseMs = 2000;

} // namespace

ClientHandler::ClientHandler(GameSystem* game) : MultiplayerHandler(game)
{
    outgoing_.Reset();
    incoming_.Reset();
}

ClientHandler::~ClientHandler() { download_.Reset(); }

void ClientHandler::SetClient(MPAPI::IClient* client)
{
    download_.Reset();
    client_ = client;
    levelLoaded_ = playerIdReceived_ = joined_ = localCopy_ = false;
    levelMismatch_ = refused_ = progressChanged_ = false;
}

MPAPI::IConnection* ClientHandler::Connection() { return client_ ? client_->GetConnection() : nullptr; }

void ClientHandler::Send()
{
    if (MPAPI::IConnection* connection = Connection())
        outgoing_.Send(connection);
}

void ClientHandler::ShowText(const char16_t* text, bool newLine)
{
    GameSystem* game = game_;
    if (LoadingListener* listener = game ? game->GetLoadingListener() : nullptr)
        listener->ShowLoadingText(text, newLine);
}

void ClientHandler::Refuse(const char16_t* format)
{
    ShowText(Util::Format(format, levelPath_.c_str()).c_str(), true);
    download_.Reset();
    refused_ = true;
    if (client_)
        client_->Disconnect();
}

// ---- operations of the handler ---------------------------------------------

void ClientHandler::RemoveObject(MPAPI::Object* object)
{
    if (client_)
        client_->RemoveObject(object);
}

void ClientHandler::AddLevelObject(MPAPI::Object* object)
{
    if (client_)
        client_->AddObject(object);
}

void ClientHandler::ResetObjects()
{
    if (client_)
        client_->RemoveAllObjects();
}

int ClientHandler::GetPing()
{
    MPAPI::IConnection* c = Connection();
    return c ? c->GetPing() : 0;
}

float ClientHandler::GetBytesOutPerSecond()
{
    MPAPI::IConnection* c = Connection();
    return c ? c->GetBytesOutPerSecond() : 0.0f;
}

float ClientHandler::GetBytesInPerSecond()
{
    MPAPI::IConnection* c = Connection();
    return c ? c->GetBytesInPerSecond() : 0.0f;
}

int ClientHandler::GetPacketsSent()
{
    MPAPI::IConnection* c = Connection();
    return c ? c->GetPacketsSent() : 0;
}

int ClientHandler::GetPacketsReceived()
{
    MPAPI::IConnection* c = Connection();
    return c ? c->GetPacketsReceived() : 0;
}

int ClientHandler::GetConnectionState()
{
    MPAPI::IConnection* c = Connection();
    return c ? c->GetState() : MPAPI::IConnection::kClosed;
}

void ClientHandler::Stop()
{
    // A download cut off here never becomes the level.
    download_.Reset();
    if (client_)
        client_->Disconnect();
}

void ClientHandler::SetClientState(int flags, float x, float y, float value, int a, int b, float u, float v)
{
    if (client_)
        client_->SetClientState(flags, x, y, value, a, b, u, v);
}

void ClientHandler::Update(float dt)
{
    // The sound sources play from the game state's update.
    if (!client_)
        return;
    client_->Update(dt);
    GameSystem* game = game_;
    if (GameMod* mode = game ? game->GetGameMode() : nullptr)
        mode->CheckLimits(dt);
}

void ClientHandler::SendChat(const char16_t* text, bool teamOnly)
{
    if (!client_)
        return;
    // The server drops a longer line; sent without its text it would come
    // back to everybody as an empty one.
    const size_t n = text ? Util::StrLen(text) : 0;
    if (n == 0 || n > size_t(GameMessages::kTextUnits))
        return;
    outgoing_.Begin(uint16_t(GameMessage::Chat));
    outgoing_.WriteByte(teamOnly ? 1 : 0);
    outgoing_.WriteChars(text, int(n));
    Send();
}

void ClientHandler::RequestTeamChange(int team)
{
    if (!client_)
        return;
    GameMessages::WriteTeamChange(outgoing_, uint32_t(team));
    Send();
}

void ClientHandler::SendPlayerAction(int power)
{
    if (!client_)
        return;
    GameMessages::WriteThrowRequest(outgoing_, uint8_t(power));
    Send();
}

// ---- the receive loop --------------------------------------------------------

bool ClientHandler::ProcessNetwork()
{
    MPAPI::IConnection* connection = Connection();
    if (!connection)
        return false;
    // The rest of a download will not come; a level ready still waiting
    // in the stream must not load what the cut-off download left.
    if (connection->GetState() != MPAPI::IConnection::kConnected)
        download_.Cancel();
    bool handled = false;
    while (GamePacket* packet = ReceiveNext(connection)) {
        HandleMessage(*packet);
        handled = true;
        // A refusal disconnected: what is left is not for us.
        if (refused_)
            break;
    }
    return handled;
}

void ClientHandler::HandleMessage(GamePacket& packet)
{
    switch (GameMessage(packet.GetType())) {
    case GameMessage::LevelStart:
        OnLevelStart(packet);
        return;
    case GameMessage::PlayerId:
        OnPlayerId(packet);
        return;
    case GameMessage::LevelReady:
        OnLevelReady(packet);
        return;
    case GameMessage::FileChunk:
        ++joinSteps_;
        progressChanged_ = true;
        download_.TakeChunk(packet);
        return;
    case GameMessage::DownloadAbort:
        progressChanged_ = false;
        download_.Reset();
        return;
    case GameMessage::LevelMismatch:
        levelMismatch_ = true;
        return;
    case GameMessage::WallState:
        OnWallState(packet);
        return;
    case GameMessage::ObjectNotice:
        return;
    default:
        break;
    }
    if (HandleTableMessage(&packet) || HandleInventoryMessage(packet) || HandleWorldMessage(packet))
        return;
    // The game modes' own messages (2001, 2002, 2004); the mode drops the rest.
    GameSystem* game = game_;
    if (GameMod* mode = game ? game->GetGameMode() : nullptr)
        mode->HandleMessage(Connection(), &packet);
}

// ---- joining a level ---------------------------------------------------------

void ClientHandler::OnLevelStart(GamePacket& packet)
{
    std::u16string path;
    if (!GameMessages::ReadLevelStart(packet, &path))
        return;
    ++joinSteps_;
    MPAPI::IConnection* connection = Connection();
    if (connection)
        connection->SetStreaming(false);
    ResetObjects();
    ClearPlayerSlots();
    GameSystem* game = game_;
    if (game && game->GetInventory())
        game->GetInventory()->Clear();
    if (ParticleSystem* particles = Services().particles)
        particles->Clear();
    levelLoaded_ = playerIdReceived_ = joined_ = false;
    levelMismatch_ = refused_ = false;
    progressChanged_ = false;
    std::u16string safe;
    if (!LevelDownload::NormalizeLevelPath(path, &safe)) {
        // Anything else could name a file outside the levels folder.
        levelPath_ = path;
        Refuse(u"Level %s not found");
        return;
    }
    levelPath_ = safe;
    const bool fetched = fetched_.count(levelPath_) != 0;
    int32_t check = game ? game->CreateGameMode(levelPath_.c_str(), fetched) : 0;
    localCopy_ = check != 0;
    IEngine* engine = Services().engine;
    download_.Expect(levelPath_, engine ? engine->GetFileManager() : nullptr);
    GameMessages::WriteLevelCheck(outgoing_, uint32_t(check));
    if (connection)
        outgoing_.SendOrDisconnect(connection);
}

void ClientHandler::OnLevelReady(GamePacket& packet)
{
    uint32_t lighting = GameMessages::ReadLevelReady(packet);
    ++joinSteps_;
    // A started download that did not bring the whole level: the local copy
    // (if any) is not the server's.
    bool broken = download_.Failed() || download_.GetState() == LevelDownload::State::Writing;
    // A level just fetched is on disk; a copy in the package must not hide it.
    if (download_.GetState() == LevelDownload::State::Done)
        fetched_.insert(levelPath_);
    const bool fetched = fetched_.count(levelPath_) != 0;
    download_.Reset();
    if (broken) {
        levelMismatch_ = true;
        Refuse(u"Level %s is not same than on server.");
        return;
    }
    if (World* world = Services().world)
        world->SetLighting(int(lighting));
    GameSystem* game = game_;
    if (game && (!game->GetGameMode() || fetched))
        game->CreateGameMode(levelPath_.c_str(), fetched);
    if (GameMod* mode = game ? game->GetGameMode() : nullptr)
        mode->Restart();
    if (!game || !game->LoadLevel(levelPath_.c_str(), fetched)) {
        Refuse(u"Level %s not found");
        return;
    }
    MPAPI::IConnection* connection = Connection();
    if (connection)
        connection->SetStreaming(true);
    levelLoaded_ = true;
    IEngine* engine = Services().engine;
    const char16_t* uid = engine ? engine->GetLoginUid() : nullptr;
    GameOptions& options = game->Options();
    GameMessages::WriteJoin(outgoing_, uid ? uid : u"", options.GetPlayerName(), uint32_t(options.GetMovingMode()));
    if (connection)
        outgoing_.SendOrDisconnect(connection);
    joined_ = true;
}

void ClientHandler::OnPlayerId(GamePacket& packet)
{
    ownPlayerId_ = int32_t(GameMessages::ReadValue(packet));
    ++joinSteps_;
    GameMessages::WriteWallStateRequest(outgoing_, 0);
    Send();
    playerIdReceived_ = true;
}

void ClientHandler::OnWallState(GamePacket& packet)
{
    uint32_t start = 0, next = 0;
    const uint8_t* data = nullptr;
    int size = 0;
    GameMessages::ReadWallState(packet, &start, &next, &data, &size);
    if (size <= 0)
        return;
    // Only forward: an index that does not move on would chain forever.
    if (next > start) {
        GameMessages::WriteWallStateRequest(outgoing_, next);
        Send();
    }
    World* world = Services().world;
    if (world && start <= uint32_t(INT32_MAX))
        world->DecodeWallDamage(data, size, int(start));
}

// ---- waiting for the level ---------------------------------------------------

void ClientHandler::Sleep(int ms)
{
    if (sleep_)
        sleep_(ms);
    else
        std::this_thread::sleep_for(std::chrono::milliseconds(ms));
}

double ClientHandler::Now()
{
    if (now_)
        return now_();
    using namespace std::chrono;
    return duration<double>(steady_clock::now().time_since_epoch()).count();
}

void ClientHandler::Pump()
{
    float dt = 0.0f;
    if (IEngine* engine = Services().engine) {
        engine->UpdateFrameTime2();
        dt = engine->GetFrameTime2();
    }
    if (client_)
        client_->Update(dt);
}

bool ClientHandler::WaitForLevel()
{
    if (MPAPI::IConnection* connection = Connection())
        connection->SetStreaming(false);
    levelLoaded_ = playerIdReceived_ = joined_ = localCopy_ = false;
    return AwaitLevel();
}

bool ClientHandler::AwaitLevel()
{
    progressShown_ = false;
    double lastStep = Now();
    unsigned steps = joinSteps_;
    for (;;) {
        Pump();
        if (!ProcessNetwork())
            Sleep(kIdleSleepMs);
        // Other messages do not count: a server that only chats is not
        // bringing the level.
        if (steps != joinSteps_)
            steps = joinSteps_, lastStep = Now();
        if (levelMismatch_) {
            if (!refused_)
                ShowText(Util::Format(u"Level %s is not same than on server.", levelPath_.c_str()).c_str(), true);
            Sleep(kMismatchPauseMs);
            return false;
        }
        if (refused_ || Os::StopRequested())
            return false;
        if (progressChanged_ && download_.IsOpen()) {
            ShowText(Util::Format(u"Downloading %s: %d%%", levelPath_.c_str(), download_.Percent()).c_str(),
                     !progressShown_);
            progressShown_ = true;
            progressChanged_ = false;
        }
        if (levelLoaded_ && playerIdReceived_)
            return true;
        int state = GetConnectionState();
        if (state == MPAPI::IConnection::kClosed || state == MPAPI::IConnection::kTimedOut) {
            download_.Reset();
            ShowText(state == MPAPI::IConnection::kClosed ? u"Disconnected" : u"Dropped", true);
            return false;
        }
        if (Now() - lastStep > kLevelWaitSeconds) {
            Stop();
            ShowText(u"Dropped", true);
            return false;
        }
    }
}
