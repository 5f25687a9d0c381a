// Level starts and the periodic player status of the serving side.
#include "game/shell/protocol/ServerHandler.h"

#include "engine/core/IEngine.h"
#include "engine/core/StringKit.h"
#include "engine/files/IFile.h"
#include "engine/files/IFileManager.h"
#include "engine/net/IConnection.h"
#include "engine/net/IServer.h"
#include "engine/physics/IPhysics.h"
#include "engine/web/IPlayerScores.h"
#include "game/world/map/LevelFile.h"
#include "game/world/map/World.h"
#include "game/world/net/GameMessage.h"
#include "game/world/net/IPlayerRoster.h"
#include "game/world/objects/MissionItem.h"
#include "game/world/phys/PhysicsEngine.h"
#include "game/world/resources/IResource.h"
#include "game/world/resources/IResourceManager.h"
#include "game/world/resources/ResourceClass.h"
#include "game/world/settings/IGameOptions.h"
#include "game/world/state/WorldQueries.h"
#include "game/world/state/WorldServices.h"
#include "game/world/system/GameSystem.h"

#include <algorithm>

namespace {

IPhysics* EnginePhysics()
{
    PhysEng::PhysicsEngine* physics = Services().physics;
    return physics ? physics->GetPhysics() : nullptr;
}

// Pauses the engine physics for the scope of a level change.
struct PhysicsPause {
    IPhysics* physics = EnginePhysics();
    PhysicsPause()
    {
        if (physics)
            physics->Pause();
    }
    ~PhysicsPause()
    {
        if (physics)
            physics->Resume();
    }
};

} // namespace

bool ServerHandler::StartLevel()
{
    // A match end that found no level would ask again every frame.
    if (inMatchUpdate_ && levelRetryWait_ > 0.0f)
        return false;
    PhysicsPause pause;
    IGameOptions* options = Settings();
    const char16_t* next = options ? options->NextMapCycleLevel(options->GetServerMode()) : nullptr;
    // Chosen before anything is torn down: when no level loads, the one
    // being played and its clients stay as they were.
    std::u16string path = next ? next : u"";
    if (!game_ || path.empty() || !ChooseLoadableLevel(&path)) {
        levelRetryWait_ = kLevelRetrySeconds;
        return false;
    }
    const std::u16string previous = levelPath_;
    if (server_) {
        AbortUploads();
        server_->ResetObjectStreams();
    }
    IPlayerRoster* roster = GetRoster();
    if (roster && roster->IsMatchOver())
        AddRoundStats();
    // Loading deletes every player: no connection may keep pointing at one.
    ForgetPlayerObjects();
    ResetObjects();
    ClearPlayerSlots();
    ownPlayerId_ = 0;
    if (World* world = Services().world)
        world->SetLighting(options->GetServerLighting());
    if (!LoadWithFallback(&path, previous)) {
        // Nothing is held: new clients are turned away rather than sent a
        // level the server does not play.
        levelPath_.clear();
        levelRetryWait_ = kLevelRetrySeconds;
        return false;
    }
    levelPath_ = path;
    levelRetryWait_ = 0.0f;
    reportedInvalid_.clear();
    peers_.erase(std::remove_if(peers_.begin(), peers_.end(),
                                [](const Peer& p) {
                                    int state = p.connection->GetState();
                                    return state == MPAPI::IConnection::kClosed ||
                                           state == MPAPI::IConnection::kTimedOut;
                                }),
                 peers_.end());
    for (Peer& peer : peers_)
        SendLevelStart(peer);
    if (roster)
        roster->StartMatch();
    if (hostsOwnPlayer_)
        JoinOwnPlayer();
    ReportDamagedDiskCopy(levelPath_);
    Print(Util::Format(u"Playing level %s.\n", levelPath_.c_str()));
    if (IEngine* engine = Services().engine)
        engine->ForceHeartbeat();
    return true;
}

bool ServerHandler::LoadWithFallback(std::u16string* path, const std::u16string& previous)
{
    if (Load(*path))
        return true;
    ReportInvalidLevel(*path);
    // The level played until now loaded before: the likeliest to load again.
    if (!previous.empty() && previous != *path) {
        if (Load(previous)) {
            *path = previous;
            return true;
        }
        ReportInvalidLevel(previous);
    }
    IGameOptions* options = Settings();
    const int mode = options->GetServerMode();
    const int tries = int(options->GetMapCycleCount(mode));
    for (int i = 0; i < tries; ++i) {
        const char16_t* next = options->NextMapCycleLevel(mode);
        if (!next || !*next)
            return false;
        std::u16string candidate = next;
        if (candidate == *path || candidate == previous)
            continue;
        if (Load(candidate)) {
            *path = candidate;
            return true;
        }
        ReportInvalidLevel(candidate);
    }
    return false;
}

bool ServerHandler::Load(const std::u16string& path)
{
    game_->CreateGameMode(path.c_str());
    return game_->LoadLevel(path.c_str());
}

bool ServerHandler::ChooseLoadableLevel(std::u16string* path)
{
    IGameOptions* options = Settings();
    const int mode = options->GetServerMode();
    const int tries = std::max(1, int(options->GetMapCycleCount(mode)));
    for (int i = 0; i < tries; ++i) {
        if (LevelParses(*path))
            return true;
        ReportInvalidLevel(*path);
        const char16_t* next = options->NextMapCycleLevel(mode);
        if (!next || !*next || *path == next)
            return false;
        *path = next;
    }
    return false;
}

// Why the level in the file would not be played; null when it would.
static const char16_t* LevelFault(IFile* file)
{
    IResourceManager* resources = Services().resources;
    LevelContents level;
    LevelReadFailure why = LevelReadFailure::None;
    if (!ReadLevel(file, resources, &level, &why))
        return why == LevelReadFailure::Magic          ? u"is no level file"
               : why == LevelReadFailure::WorldVersion ? u"has a world version no level has"
                                                       : u"does not read whole";
    if (level.header.gameMode < 0 || level.header.gameMode > 2)
        return u"has a game mode no level has";
    // Loading would refuse it too, but only after the level played had gone.
    std::vector<FlagPlace> flags;
    for (const LevelObject& placed : level.objects) {
        IResource* definition = resources ? resources->GetById(placed.definitionId) : nullptr;
        if (definition && definition->GetClassId() == ResourceClass::MissionItem)
            flags.push_back({MissionItem::TypeOf(definition), placed.x, placed.y});
    }
    return FlagSpacingHolds(level.header.gameMode, flags) ? nullptr : u"has its flags too close together";
}

bool ServerHandler::LevelParses(const std::u16string& path)
{
    IEngine* engine = Services().engine;
    IFileManager* files = engine ? engine->GetFileManager() : nullptr;
    if (!files || path.size() > size_t(kMaxPathUnits))
        return false;
    IFile* file = files->Open(path.c_str(), kOpenRead, 0);
    const bool parses = file && !LevelFault(file);
    delete file;
    return parses;
}

void ServerHandler::ReportDamagedDiskCopy(const std::u16string& path)
{
    // The package's copy is found first: one on disk beside it is not read
    // unless looked for.
    IEngine* engine = Services().engine;
    IFileManager* files = engine ? engine->GetFileManager() : nullptr;
    IFile* file = files ? files->Open(path.c_str(), kOpenRead, kOpenNoPackage) : nullptr;
    const char16_t* fault = file ? LevelFault(file) : nullptr;
    delete file;
    if (fault)
        Print(Util::Format(u"%s in the game folder %s; the package's copy is played and sent.\n", path.c_str(), fault));
}

void ServerHandler::ReportInvalidLevel(const std::u16string& path)
{
    // Once per path until a level starts: a retried start repeats none.
    if (std::find(reportedInvalid_.begin(), reportedInvalid_.end(), path) != reportedInvalid_.end())
        return;
    reportedInvalid_.push_back(path);
    std::u16string line = Util::Format(u"[%s]: Invalid map file\n", path.c_str());
    game_->Messages(0).AddMessage(line.c_str(), false);
    Print(line);
}

void ServerHandler::ForgetPlayerObjects()
{
    for (Peer& peer : peers_) {
        peer.connection->SetPlayerObject(nullptr);
        peer.ready = false;
        peer.wallStatePending = false;
    }
}

void ServerHandler::AddRoundStats()
{
    IPlayerRoster* roster = GetRoster();
    for (const PlayerSlot& s : slots_) {
        Player* player = s.id != 0 ? roster->FindPlayer(s.id) : nullptr;
        if (IPlayerScores* scores = player ? roster->GetScores(player) : nullptr)
            scores->AddRoundStats(0, 1, 0);
    }
}

void ServerHandler::JoinOwnPlayer()
{
    IEngine* engine = Services().engine;
    IGameOptions* options = Settings();
    const char16_t* uid = engine ? engine->GetLoginUid() : nullptr;
    char uidBytes[GameMessages::kUidBytes + 1] = {};
    for (int i = 0; uid && i < GameMessages::kUidBytes && uid[i]; ++i)
        uidBytes[i] = char(uid[i] & 0xFF);
    Player* own = AcceptJoin(nullptr, options ? options->GetPlayerName() : u"", uidBytes);
    if (own)
        GetRoster()->AdoptOwnPlayer(own);
}

void ServerHandler::SendPlayerStatus()
{
    IPlayerRoster* roster = GetRoster();
    if (!server_ || !roster)
        return;
    for (PlayerSlot& s : slots_) {
        Player* player = s.id != 0 ? roster->FindPlayer(s.id) : nullptr;
        if (player) {
            IPlayerRoster::Figures f = roster->GetFigures(player);
            s.x = f.x;
            s.y = f.y;
        }
    }
    for (Peer& peer : peers_) {
        Player* receiver = PlayerOf(peer.connection);
        if (!receiver)
            continue;
        const int team = roster->GetFigures(receiver).team;
        GameMessages::SlotRecord records[kSlotCount];
        int n = 0;
        for (PlayerSlot& s : slots_) {
            if (s.id == 0)
                continue;
            Player* player = roster->FindPlayer(s.id);
            if (MPAPI::IConnection* c = player ? ConnectionOf(s.id) : nullptr)
                s.value = uint16_t(std::clamp(c->GetPing(), 0, 9999));
            const bool ally = player && roster->GetFigures(player).team == team;
            records[n].id = uint32_t(s.id);
            records[n].x = ally ? s.x : PlayerSlot::kNoPosition;
            records[n].y = ally ? s.y : PlayerSlot::kNoPosition;
            records[n].value = s.value;
            ++n;
        }
        if (n == 0)
            continue;
        GameMessages::WritePlayerStatus(outgoing_, records, n);
        outgoing_.Send(peer.connection);
    }
}
