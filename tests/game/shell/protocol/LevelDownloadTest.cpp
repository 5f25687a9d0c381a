// A level download is a file a stranger's server writes on the player's
// disk: hostile paths and chunk sequences must leave nothing outside
// "levels/", no partial file, and the old level as it was.
#include "HeadlessGame.h"
#include "MemoryClient.h"
#include "engine/core/StringKit.h"
#include "game/world/map/LevelFile.h"
#include "game/world/map/World.h"
#include "game/world/modes/GameMod.h"
#include "game/world/net/GameMessage.h"
#include "game/world/objects/MissionItem.h"
#include "game/world/objects/Object.h"
#include "game/world/objects/ObjectKind.h"
#include "game/world/objects/ParticleSystem.h"
#include "game/world/player/Player.h"
#include "game/world/resources/IResource.h"
#include "game/world/resources/IResourceManager.h"
#include "game/world/resources/Inventory.h"
#include "game/world/resources/WeaponTable.h"
#include "game/world/state/ObjectManager.h"
#include "game/world/state/WorldServices.h"
#include "game/world/system/LoadingListener.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include <filesystem>
#include <set>

namespace {

using TestGame::HeadlessGame;
namespace fs = std::filesystem;

class Lines : public LoadingListener {
public:
    void ShowLoadingText(const char16_t* text, bool newLine) override
    {
        if (newLine || shown.empty())
            shown.emplace_back();
        shown.back() = text;
        history.emplace_back(text, newLine);
    }
    bool Has(const std::u16string& text) const { return std::find(shown.begin(), shown.end(), text) != shown.end(); }
    std::vector<std::u16string> shown;
    std::vector<std::pair<std::u16string, bool>> history;
};

class Download : public testing::Test {
protected:
    void SetUp() override
    {
        // With the shipped package, which holds levels of its own.
        TestSupport::MakeDirs(tmp_.File("game"));
        const std::string package = std::string(VORNHAL_BUILD_DIR) + "/game.data";
        ASSERT_EQ(symlink(package.c_str(), tmp_.File("game/game.data").c_str()), 0);
        game_ = std::make_unique<HeadlessGame>(tmp_.File("game"));
        ASSERT_TRUE(game_->Ok());
        handler().SetClient(&client_);
        game_->Game().SetLoadingListener(&lines_);
        game_->Game().SetActiveHandler(&handler());
    }
    ClientHandler& handler() { return game_->Handler(); }

    void TearDown() override
    {
        TestSupport::WriteFuzzSeed("client_handler", testing::UnitTest::GetInstance()->current_test_info()->name(),
                                   seed_);
    }

    void Queue(GamePacket& p)
    {
        p.SealHeader();
        conn_.inbound.insert(conn_.inbound.end(), p.GetBlock(), p.GetBlock() + p.GetLength() + 4);
        // Every stream the test sends, as one input of the client fuzz target.
        seed_.insert(seed_.end(), p.GetBlock(), p.GetBlock() + p.GetLength() + 4);
    }
    void LevelStart(const char16_t* path)
    {
        GameMessages::WriteLevelStart(packet_, path);
        Queue(packet_);
    }
    void First(uint32_t total, const char16_t* name, const std::vector<uint8_t>& data, size_t from, size_t n)
    {
        GameMessages::WriteFirstChunk(packet_, total, name, data.data() + from, int(n));
        Queue(packet_);
    }
    void Chunk(const std::vector<uint8_t>& data, size_t from, size_t n)
    {
        GameMessages::WriteChunk(packet_, data.data() + from, int(n));
        Queue(packet_);
    }
    // Sends a level the way the server does: 1000-byte messages.
    void Upload(const char16_t* name, const std::vector<uint8_t>& level)
    {
        GameMessages::WriteFirstChunk(packet_, uint32_t(level.size()), name, level.data(), int(level.size()));
        Queue(packet_);
        for (size_t at = size_t(packet_.GetLength()) - 5 - Util::StrLen(name); at < level.size(); at += 1000)
            Chunk(level, at, std::min<size_t>(1000, level.size() - at));
    }
    void Value(GameMessage type, uint32_t v)
    {
        GameMessages::WriteValue(packet_, type, v);
        Queue(packet_);
    }
    void Reconnect()
    {
        conn_.state = MPAPI::IConnection::kConnected;
        conn_.sent.clear();
        conn_.inbound.clear();
    }
    // The messages sent to the server: type, then the payload.
    std::vector<std::vector<uint8_t>> Sent() const
    {
        std::vector<std::vector<uint8_t>> out;
        const std::vector<uint8_t>& b = conn_.sent;
        for (size_t at = 0; at + 4 <= b.size(); at += 4 + (b[at + 2] | b[at + 3] << 8)) {
            const size_t end = std::min(b.size(), at + 4 + (b[at + 2] | b[at + 3] << 8));
            out.push_back({b[at]});
            out.back().insert(out.back().end(), b.begin() + long(at + 4), b.begin() + long(end));
        }
        return out;
    }
    std::vector<uint16_t> SentTypes() const
    {
        std::vector<uint16_t> types;
        for (const std::vector<uint8_t>& m : Sent())
            types.push_back(m[0]);
        return types;
    }
    // Every path under the temporary folder, the game folder's links left out.
    std::set<std::string> Listing() const
    {
        std::set<std::string> names;
        for (const auto& entry : fs::recursive_directory_iterator(tmp_.Path()))
            if (!entry.is_symlink())
                names.insert(fs::relative(entry.path(), tmp_.Path()).string());
        return names;
    }
    std::string Old() { return tmp_.File("game/levels/old.lvl"); }

    TestSupport::TempDir tmp_;
    MemoryConnection conn_;
    MemoryClient client_{&conn_};
    Lines lines_;
    GamePacket packet_;
    std::unique_ptr<HeadlessGame> game_;
    std::vector<uint8_t> seed_;
};

TEST_F(Download, LevelPathsOutsideTheLevelsFolderAreRefused)
{
    const std::set<std::string> before = Listing();
    for (const char16_t* path :
         {u"../evil.lvl", u"/tmp/evil.lvl", u"levels/../evil.lvl", u"levels\\..\\evil.lvl", u"levels/sub/evil.lvl",
          u"levels/a\\b.lvl", u"levels/.x.lvl", u"levels/", u"C:\\evil.lvl", u"levels/c:evil.lvl"}) {
        Reconnect();
        LevelStart(path);
        First(3, u"../../evil.lvl", {1, 2, 3}, 0, 3);
        handler().ProcessNetwork();
        EXPECT_EQ(conn_.state, MPAPI::IConnection::kClosed) << Util::Narrow(path);
        EXPECT_TRUE(SentTypes().empty()) << Util::Narrow(path);
    }
    EXPECT_EQ(Listing(), before);
}

TEST_F(Download, OnlyTheWholeAnnouncedLevelTakesThePlaceOfTheOldOne)
{
    // A loadable old level: loading it would hide a cut-off download.
    const std::vector<uint8_t> old = HeadlessGame::ShippedLevel("koh_quarry.lvl");
    TestSupport::WriteAll(Old(), old);
    const std::set<std::string> before = Listing();
    const std::vector<uint8_t> level = TestSupport::PseudoRandomBytes(3000, 7);
    auto oldIntact = [&](const char* why) {
        EXPECT_EQ(TestSupport::ReadAll(Old()), old) << why;
        EXPECT_EQ(Listing(), before) << why;
    };
    // Cut off mid-download, aborted, ended early, or longer than announced.
    Reconnect();
    LevelStart(u"levels/old.lvl");
    First(3000, u"../../evil.lvl", level, 0, 975);
    handler().ProcessNetwork();
    EXPECT_EQ(handler().GetDownload().GetWritten(), 975u);
    conn_.state = MPAPI::IConnection::kTimedOut;
    handler().ProcessNetwork();
    oldIntact("connection lost");
    Value(GameMessage::LevelReady, 0);
    handler().ProcessNetwork();
    EXPECT_FALSE(handler().IsLevelLoaded());

    Reconnect();
    LevelStart(u"levels/old.lvl");
    First(3000, u"old.lvl", level, 0, 975);
    Value(GameMessage::DownloadAbort, 0);
    handler().ProcessNetwork();
    oldIntact("aborted");

    for (int overlong = 0; overlong < 2; ++overlong) {
        Reconnect();
        LevelStart(u"levels/old.lvl");
        First(overlong ? 900 : 3000, u"old.lvl", level, 0, 975);
        Chunk(level, 975, 25);
        Chunk(level, 1000, 1000);
        Value(GameMessage::LevelReady, 0);
        handler().ProcessNetwork();
        oldIntact(overlong ? "past the total" : "short");
        EXPECT_EQ(conn_.state, MPAPI::IConnection::kClosed);
        EXPECT_TRUE(lines_.Has(u"Level levels/old.lvl is not same than on server."));
        EXPECT_EQ(SentTypes(), std::vector<uint16_t>({22}));
    }

    // 975, 1000, 1000 and 25 bytes: whole after the fourth.
    Reconnect();
    LevelStart(u"levels/old.lvl");
    First(3000, u"old.lvl", level, 0, 975);
    Chunk(level, 975, 1000);
    Chunk(level, 1975, 1000);
    handler().ProcessNetwork();
    EXPECT_EQ(handler().GetDownload().Percent(), 99);
    Chunk(level, 2975, 25);
    handler().ProcessNetwork();
    EXPECT_EQ(TestSupport::ReadAll(Old()), level);
    EXPECT_EQ(Listing(), before);
}

TEST_F(Download, AHugeTotalOrAFailedCreateNeverLetsAChunkNameAFile)
{
    TestSupport::MakeDirs(tmp_.File("game/levels/blocked.lvl"));
    const std::set<std::string> before = Listing();
    const std::vector<uint8_t> bytes = TestSupport::PseudoRandomBytes(1000, 3);
    // The largest total allowed is still fetched; one byte more is not.
    LevelStart(u"levels/big.lvl");
    First(LevelDownload::kMaxTotal, u"x.lvl", bytes, 0, 10);
    handler().ProcessNetwork();
    EXPECT_TRUE(handler().GetDownload().IsOpen());
    for (const char16_t* path : {u"levels/huge.lvl", u"levels/blocked.lvl"}) {
        Reconnect();
        LevelStart(path);
        First(path[7] == u'h' ? LevelDownload::kMaxTotal + 1 : 10u, u"x.lvl", bytes, 0, 10);
        // Laid out as a first chunk naming another file.
        First(10, u"../pwn.lvl", bytes, 0, 10);
        First(10, u"levels/pwn.lvl", bytes, 0, 10);
        Chunk(bytes, 0, 1000);
        Value(GameMessage::LevelReady, 0);
        handler().ProcessNetwork();
        EXPECT_EQ(Listing(), before) << Util::Narrow(path);
        EXPECT_EQ(conn_.state, MPAPI::IConnection::kClosed);
        EXPECT_FALSE(handler().IsLevelLoaded());
    }
}

TEST_F(Download, ALevelWithANonAsciiNameIsFetchedLoadedAndJoined)
{
    const std::vector<uint8_t> level = HeadlessGame::ShippedLevel("koh_quarry.lvl");
    ASSERT_GT(level.size(), 2000u);
    LevelStart(u"levels/J\u00e4rvi.lvl");
    Upload(u"levels/J\u00e4rvi.lvl", level);
    Value(GameMessage::LevelReady, 1);
    Value(GameMessage::PlayerId, 5);
    EXPECT_TRUE(handler().WaitForLevel());
    EXPECT_EQ(TestSupport::ReadAll(tmp_.File("game/levels/J\xc3\xa4rvi.lvl")), level);
    EXPECT_EQ(SentTypes(), std::vector<uint16_t>({22, 2, 12}));
    EXPECT_EQ(handler().GetLocalPlayerId(), 5);
    EXPECT_EQ(Services().world->GetLighting(), 1);
}

TEST_F(Download, ProgressIsShownOnOneLineAsTheWaitSeesEachChunk)
{
    LevelStart(u"levels/abcdefghi.lvl");
    Upload(u"levels/abcdefghi.lvl", TestSupport::PseudoRandomBytes(3000, 4));
    Value(GameMessage::LevelReady, 0);
    // One message per idle wait.
    std::vector<uint8_t> stream;
    stream.swap(conn_.inbound);
    size_t at = 0;
    handler().SetSleep([&](int) {
        if (at + 4 > stream.size())
            return;
        size_t n = 4 + size_t(stream[at + 2] | stream[at + 3] << 8);
        conn_.inbound.insert(conn_.inbound.end(), stream.begin() + long(at), stream.begin() + long(at + n));
        at += n;
    });
    EXPECT_FALSE(handler().WaitForLevel());
    std::vector<std::pair<std::u16string, bool>> progress;
    for (const auto& line : lines_.history)
        if (line.first.rfind(u"Downloading", 0) == 0)
            progress.push_back(line);
    const std::vector<std::pair<std::u16string, bool>> expected = {{u"Downloading levels/abcdefghi.lvl: 32%", true},
                                                                   {u"Downloading levels/abcdefghi.lvl: 65%", false},
                                                                   {u"Downloading levels/abcdefghi.lvl: 99%", false}};
    EXPECT_EQ(progress, expected);
}

TEST_F(Download, AFetchedLevelIsLoadedFromDiskNotFromThePackageCopy)
{
    LevelStart(u"levels/tdm_riotcity.lvl");
    Upload(u"levels/tdm_riotcity.lvl", HeadlessGame::ShippedLevel("koh_quarry.lvl"));
    Value(GameMessage::LevelReady, 0);
    Value(GameMessage::PlayerId, 5);
    EXPECT_TRUE(handler().WaitForLevel());
    EXPECT_EQ(game_->Game().GetLevelGameMode(), 2);
}

TEST_F(Download, ALevelThatFailsToLoadDisconnectsWithAMessage)
{
    LevelStart(u"levels/junk.lvl");
    Upload(u"levels/junk.lvl", TestSupport::PseudoRandomBytes(500, 9));
    Value(GameMessage::LevelReady, 0);
    Value(GameMessage::PlayerId, 5);
    EXPECT_FALSE(handler().WaitForLevel());
    EXPECT_TRUE(lines_.Has(u"Level levels/junk.lvl not found"));
    EXPECT_EQ(conn_.state, MPAPI::IConnection::kClosed);
    EXPECT_EQ(SentTypes(), std::vector<uint16_t>({22}));
}

TEST_F(Download, WaitingGivesUpOnAServerThatOnlyChatsAndOnALostConnection)
{
    double now = 0.0;
    handler().SetClock([&] { return now; });
    handler().SetSleep([&](int ms) {
        now += ms / 1000.0;
        if (now < 100.0) {
            GameMessages::WriteNotice(packet_, u"still here");
            Queue(packet_);
        }
    });
    EXPECT_FALSE(handler().WaitForLevel());
    EXPECT_GE(now, ClientHandler::kLevelWaitSeconds);
    EXPECT_LT(now, ClientHandler::kLevelWaitSeconds + 1.0);
    EXPECT_EQ(conn_.state, MPAPI::IConnection::kClosed);
    EXPECT_TRUE(lines_.Has(u"Dropped"));

    Reconnect();
    now = 0.0;
    LevelStart(u"levels/quiet.lvl");
    First(3000, u"quiet.lvl", TestSupport::PseudoRandomBytes(975, 1), 0, 975);
    handler().ProcessNetwork();
    ASSERT_TRUE(handler().GetDownload().IsOpen());
    conn_.state = MPAPI::IConnection::kClosed;
    EXPECT_FALSE(handler().WaitForLevel());
    EXPECT_LT(now, 1.0);
    EXPECT_TRUE(lines_.Has(u"Disconnected"));
    EXPECT_FALSE(fs::exists(tmp_.File("game/levels/quiet.lvl")));

    // A server that can give no copy says so: the text stays two seconds.
    Reconnect();
    now = 0.0;
    LevelStart(u"levels/other.lvl");
    GameMessages::WriteEmpty(packet_, GameMessage::LevelMismatch), Queue(packet_);
    EXPECT_FALSE(handler().WaitForLevel());
    EXPECT_EQ(lines_.shown.back(), u"Level levels/other.lvl is not same than on server.");
    EXPECT_DOUBLE_EQ(now, 2.0);
}

} // namespace

namespace {

uint32_t U32(const std::vector<uint8_t>& b, size_t at)
{
    return b.size() < at + 4 ? 0 : uint32_t(b[at] | b[at + 1] << 8 | b[at + 2] << 16 | b[at + 3] << 24);
}

} // namespace

TEST_F(Download, AJoinedClientTakesEachServerMessageIntoItsState)
{
    GameSystem& game = game_->Game();
    game.Options().SetPlayerName(u"Ville");
    game.Options().SetMovingMode(1);
    LevelStart(u"levels/ctf_harbour.lvl");
    Value(GameMessage::LevelReady, 2);
    Value(GameMessage::PlayerId, 41);
    ASSERT_TRUE(handler().WaitForLevel());
    // The package's copy checked, the join, the wall state from the start.
    const std::vector<uint8_t> harbour = HeadlessGame::ShippedLevel("ctf_harbour.lvl");
    std::vector<std::vector<uint8_t>> sent = Sent();
    ASSERT_EQ(SentTypes(), (std::vector<uint16_t>{22, 2, 12}));
    EXPECT_EQ(U32(sent[0], 1), uint32_t(LevelCheckValue(harbour.data(), harbour.size())));
    ASSERT_EQ(sent[1].size(), 1u + 64 + 10 + 4);
    EXPECT_EQ(std::vector<uint8_t>(sent[1].begin() + 65, sent[1].begin() + 75),
              (std::vector<uint8_t>{'V', 0, 'i', 0, 'l', 0, 'l', 0, 'e', 0}));
    EXPECT_EQ(U32(sent[1], 75), 1u) << "the moving mode";
    EXPECT_EQ(sent[2], (std::vector<uint8_t>{12, 0, 0, 0, 0}));
    EXPECT_EQ(handler().GetLocalPlayerId(), 41);
    EXPECT_EQ(Services().world->GetLighting(), 2);
    conn_.sent.clear();

    // A gun with ammunition and an explosive of the weapon table.
    const WeaponTable* table = Services().weapons;
    const WeaponDef *gun = nullptr, *bomb = nullptr;
    for (int i = 0; i < table->GetWeaponCount(); ++i) {
        const WeaponDef* w = table->GetWeaponAt(i);
        if (!gun && w->category == 3 && w->ammoType >= 0)
            gun = w;
        if (!bomb && w->category == 4)
            bomb = w;
    }
    ASSERT_TRUE(gun && bomb);
    const int spareAmmo = gun->ammoType == 0 ? 1 : 0;
    // A breakable wall, hit 16 pixels from its centre by a blast of
    // radius 64; a floor point for the effects, and water if the level has it.
    World* world = Services().world;
    int wallX = -1, wallY = -1, floorX = -1, floorY = -1, waterX = -1, waterY = -1;
    for (int ty = 2; ty + 2 < world->GetHeight(); ++ty)
        for (int tx = 2; tx + 2 < world->GetWidth(); ++tx) {
            const uint32_t cell = world->GetCell(tx, ty);
            const bool water = world->GetWaterAt(tx * 32 + 16, ty * 32 + 16, nullptr);
            if (wallX < 0 && (cell & World::kWall) && world->GetDamage(tx, ty) == 0 &&
                !(world->GetCell(tx + 1, ty) & World::kWall) && !(world->GetCell(tx + 2, ty) & World::kWall))
                wallX = tx, wallY = ty;
            if (floorX < 0 && !(cell & World::kWall) && !water)
                floorX = tx, floorY = ty;
            if (waterX < 0 && water && !(cell & World::kWall))
                waterX = tx, waterY = ty;
        }
    ASSERT_GE(wallX, 0);
    ASSERT_GE(floorX, 0);
    ASSERT_GE(waterX, 0);
    uint8_t before[World::kWallDamageBytes];
    int next = 0;
    const int encoded = world->EncodeWallDamage(0, before, &next);
    auto messes = [] {
        std::vector<std::pair<float, float>> at;
        Services().objects->ForEachObject([&](Object* o) {
            if (o->GetKind() == ObjectKind::Mess)
                at.push_back({o->GetX(), o->GetY()});
        });
        return at;
    };
    const size_t messesBefore = messes().size();
    const int particles = Services().particles->Count();

    GameMessages::WriteFlaggedText(packet_, GameMessage::Message, 1, u"to the team"), Queue(packet_);
    GameMessages::WriteFlaggedText(packet_, GameMessage::Message, 0, u"to all"), Queue(packet_);
    GameMessages::WriteNotice(packet_, u"a notice"), Queue(packet_);
    GameMessages::WriteAmmoUpdate(packet_, uint32_t(spareAmmo), -3), Queue(packet_);
    // Four bytes: the amount is missing.
    Value(GameMessage::AmmoUpdate, uint32_t(spareAmmo + 10));
    GameMessages::WriteWeaponUpdate(packet_, uint32_t(gun->id), 30, 7), Queue(packet_);
    GameMessages::WriteWeaponUpdate(packet_, uint32_t(gun->id), 31, 6), Queue(packet_);
    // Six bytes: the clip is missing.
    packet_.Begin(uint16_t(GameMessage::WeaponUpdate));
    packet_.Write32(uint32_t(bomb->id));
    packet_.Write16(2);
    Queue(packet_);
    Value(GameMessage::SelectWeapon, uint32_t(gun->id));
    Value(GameMessage::SelectWeapon, uint32_t(bomb->id));
    GameMessages::WriteCountdown(packet_, 2.5f), Queue(packet_);
    GameMessages::WriteGameModeTime(packet_, 123.5f), Queue(packet_);
    GameMessages::WriteBlast(packet_, float(wallX * 32 + 32), float(wallY * 32 + 16), 400.0f, 64.0f), Queue(packet_);
    const uint8_t pairs[2] = {100, 2};
    GameMessages::WriteWallState(packet_, 0, 5, pairs, 2), Queue(packet_);
    const float fx = float(floorX * 32 + 7), fy = float(floorY * 32 + 9);
    GameMessages::WriteExplosion(packet_, fx, fy, 2), Queue(packet_);
    if (waterX >= 0)
        GameMessages::WriteExplosion(packet_, float(waterX * 32 + 16), float(waterY * 32 + 16), 2), Queue(packet_);
    GameMessages::WriteBlood(packet_, fx, fy, 1.0f), Queue(packet_);
    GameMessages::WriteSmoke(packet_, fx, fy, 90.0f), Queue(packet_);
    // Four bytes: y and the size are missing.
    packet_.Begin(uint16_t(GameMessage::Explosion)), packet_.WriteFloat(fx), Queue(packet_);
    EXPECT_TRUE(handler().ProcessNetwork());

    EXPECT_EQ(std::u16string(game.Messages(0).GetLine(0)), u"to all");
    EXPECT_EQ(std::u16string(game.Messages(0).GetLine(1)), u"\x01to the team");
    EXPECT_EQ(std::u16string(game.Messages(2).GetLine(0)), u"a notice");
    // One pick-up line: the gun was new once; the explosive too.
    EXPECT_EQ(std::u16string(game.Messages(1).GetLine(0)), Services().resources->GetById(bomb->id)->GetName());
    EXPECT_EQ(std::u16string(game.Messages(1).GetLine(1)), Services().resources->GetById(gun->id)->GetName());
    EXPECT_EQ(std::u16string(game.Messages(1).GetLine(2)), u"");
    Inventory& inventory = *game.GetInventory();
    auto ammoOf = [&](int type) {
        for (const Inventory::AmmoEntry& a : inventory.GetAmmo())
            if (a.ammoType == type)
                return a.amount;
        return -999;
    };
    int ammo = 0, clip = 0;
    ASSERT_TRUE(inventory.GetWeaponAmmo(gun->id, &ammo, &clip));
    EXPECT_EQ(clip, 6);
    EXPECT_EQ(ammo, 31);
    EXPECT_EQ(ammoOf(spareAmmo), -3);
    EXPECT_EQ(ammoOf(spareAmmo + 10), 0);
    ASSERT_TRUE(inventory.GetWeaponAmmo(bomb->id, &ammo, &clip));
    EXPECT_EQ(clip, 0);
    EXPECT_EQ(inventory.GetSelectedWeapon(), gun->id);
    EXPECT_EQ(inventory.GetSelectedExplosive(), bomb->id);
    EXPECT_EQ(game.countdown, 2.5f);
    EXPECT_EQ(game.countdownTotal, 2.5f);
    EXPECT_EQ(game.GetGameMode()->GetTimeLeft(), 123.5f);
    // 400 x 0.25 x (1 - 16 / 64).
    EXPECT_EQ(world->GetDamage(wallX, wallY), 75);
    // The next part is asked for before the pairs are laid on the
    // breakable cells from the start.
    EXPECT_EQ(Sent(), (std::vector<std::vector<uint8_t>>{{12, 5, 0, 0, 0}}));
    uint8_t after[World::kWallDamageBytes];
    ASSERT_GE(world->EncodeWallDamage(0, after, &next), 2);
    EXPECT_EQ(after[0], 100);
    EXPECT_EQ(after[1], 2);
    ASSERT_GE(encoded, 2);
    EXPECT_EQ(before[0], 0);
    // Explosions, blood and smoke; a mess where each explosion was (the short
    // one at y 0), none on water.
    EXPECT_EQ(Services().particles->Count(), particles + 4 + (waterX >= 0 ? 1 : 0));
    std::vector<std::pair<float, float>> placed = messes();
    ASSERT_EQ(placed.size(), messesBefore + 2);
    EXPECT_EQ(placed[placed.size() - 2], std::make_pair(fx, fy));
    EXPECT_EQ(placed.back(), std::make_pair(fx, 0.0f));

    // A player and an item as replication brings them.
    auto replicate = [&](int type, int subType, int id) {
        MPAPI::Object* o = game.CreateObject(type, subType);
        o->SetNetworkId(id);
        game.OnObjectReady(o);
        return static_cast<Object*>(o);
    };
    const int32_t playerId = int32_t(0x80000005u), itemId = 700;
    auto* carrier = static_cast<Player*>(replicate(ObjectKind::Player, 0, playerId));
    auto* item = static_cast<MissionItem*>(replicate(ObjectKind::MissionItem, 0, itemId));
    // The Russians' flag in a Finn's hands.
    item->SetType(MissionItem::Russian);
    carrier->SetTeam(GameMod::kFinland);
    auto carried = [&] { return carrier->HasMissionItemOfType(MissionItem::Russian) && item->IsCarried(); };
    GameMessages::WriteMissionItemTaken(packet_, playerId, itemId + 1), Queue(packet_);
    handler().ProcessNetwork();
    EXPECT_FALSE(item->IsCarried());
    GameMessages::WriteMissionItemTaken(packet_, playerId, itemId), Queue(packet_);
    handler().ProcessNetwork();
    EXPECT_TRUE(carried());
    EXPECT_EQ(item->GetCarrierId(), playerId);
    GameMessages::WriteMissionItemRemoved(packet_, playerId, itemId), Queue(packet_);
    handler().ProcessNetwork();
    EXPECT_FALSE(carrier->HasMissionItemOfType(MissionItem::Russian));
    EXPECT_FALSE(item->IsCarried());
    GameMessages::WriteMissionItemTaken(packet_, playerId, itemId), Queue(packet_);
    GameMessages::WriteMissionItemsDropped(packet_, playerId), Queue(packet_);
    handler().ProcessNetwork();
    EXPECT_FALSE(carrier->HasMissionItemOfType(MissionItem::Russian));
    EXPECT_FALSE(item->IsCarried());
    // Carried as replication tells it, without the taking heard of.
    item->PickUp(playerId);
    GameMessages::WriteMissionItemsDropped(packet_, playerId), Queue(packet_);
    handler().ProcessNetwork();
    EXPECT_FALSE(item->IsCarried());

    conn_.sent.clear();
    Value(GameMessage::RemoveWeapon, uint32_t(gun->id));
    handler().ProcessNetwork();
    EXPECT_FALSE(inventory.HasWeapon(gun->id));
    EXPECT_EQ(inventory.GetSelectedWeapon(), -1);
    EXPECT_EQ(inventory.GetSelectedExplosive(), bomb->id);
    GameMessages::WriteEmpty(packet_, GameMessage::InventoryClear), Queue(packet_);
    handler().ProcessNetwork();
    EXPECT_EQ(inventory.GetWeaponCount() + inventory.GetAmmoCount(), 0);
    EXPECT_EQ(inventory.GetSelectedExplosive(), -1);
    EXPECT_TRUE(conn_.sent.empty()) << "the client answered what needs no answer";
}
