#include "StateFixture.h"

#include "engine/files/IFile.h"
#include "engine/files/IFileManager.h"
#include "game/world/objects/DummyObject.h"
#include "game/world/objects/Object.h"
#include "game/world/state/ObjectManager.h"
#include "game/world/state/WorldServices.h"
#include "game/world/system/ObjectFactory.h"

#include <GL/gl.h>

#include <cmath>
#include <cstring>
#include <set>

namespace StateTest {
namespace {

Object* FindByDefinition(int id)
{
    Object* found = nullptr;
    Services().objects->ForEach([&](Object* o) {
        if (o->GetDefinitionId() == id)
            found = o;
    });
    return found;
}

const float kNotFinite = NAN;

const std::vector<LevelObject> kPlaced = {
    {kTable, 100, 100, 90}, {kBush, 200, 100, 0}, {kStartPoint, 400, 400, 0}, {kDoor, 500, 300, 0}, {12345, 1, 1, 0}};

} // namespace

// A level read, played for 300 frames while serving and drawn through the
// real renderer in every lighting, with and without the light passes.
TEST_F(GameState, SmallLevelLoadsPlaysAndDraws)
{
    WriteTestLevel("c_play.lvl", 40, 30, u"Play yard", 0, kPlaced);
    game_->SetActiveHandler(&server_);
    ASSERT_TRUE(game_->LoadLevel(u"levels/c_play.lvl"));
    EXPECT_EQ(std::u16string(game_->GetLevelTitle()), u"Play yard");
    EXPECT_EQ(world_->GetWidth(), 40);
    EXPECT_GT(world_->GetWallBodyCount(), 0);

    Object* table = FindByDefinition(kTable);
    Object* bush = FindByDefinition(kBush);
    ASSERT_NE(table, nullptr);
    ASSERT_NE(bush, nullptr);
    EXPECT_NE(dynamic_cast<DummyBreakableObject*>(table), nullptr);
    EXPECT_EQ(dynamic_cast<DummyBreakableObject*>(bush), nullptr);
    EXPECT_FLOAT_EQ(table->GetAngle(), 90.0f);
    EXPECT_FLOAT_EQ(bush->GetOpacity(), 0.8f);
    // Every machine builds the props and doors; the breakable prop and the
    // door are level objects, the start point is the server's own.
    Object* door = FindByDefinition(kDoor);
    ASSERT_NE(door, nullptr);
    EXPECT_EQ(server_.levelAdded, (std::vector<MPAPI::Object*>{table, door}));
    EXPECT_TRUE(server_.added.empty());

    LevelHeader header;
    IFile* file = engine_->GetFileManager()->Open(u"levels/c_play.lvl", kOpenRead, 0);
    ASSERT_TRUE(ReadLevelHeader(file, &header));
    delete file;
    EXPECT_EQ(server_.checkValue, header.checkValue);

    for (int frame = 0; frame < 300; ++frame)
        game_->Update(1.0f / 60.0f);
    EXPECT_EQ(server_.statusReports, 1);
    EXPECT_EQ(FindByDefinition(kTable), table);

    Drew();
    for (bool lights : {true, false}) {
        game_->Options().SetRenderLights(lights);
        for (int lighting : {0, 1, 2}) {
            world_->SetLighting(lighting);
            renderer_->BeginScene();
            game_->DrawWorld();
            game_->DrawLightsAndOverlays();
            renderer_->EndScene();
            EXPECT_TRUE(Drew()) << "lighting " << lighting << " lights " << lights;
        }
    }
    // The floor at noon is lit: the middle of the view is not black.
    world_->SetLighting(0);
    renderer_->BeginScene();
    game_->DrawWorld();
    game_->DrawLightsAndOverlays();
    std::vector<uint8_t> pixels(64 * 64 * 4);
    glReadPixels(480, 352, 64, 64, GL_RGBA, GL_UNSIGNED_BYTE, pixels.data());
    int lit = 0;
    for (size_t i = 0; i < pixels.size(); i += 4)
        lit += pixels[i] + pixels[i + 1] + pixels[i + 2] > 30;
    EXPECT_GT(lit, 64 * 64 / 2);
}

// A truncated level is refused before anything of the level in play goes.
TEST_F(GameState, BadLevelLeavesTheLevelInPlay)
{
    WriteTestLevel("c_good.lvl", 20, 10, u"Good", 0, kPlaced);
    ASSERT_TRUE(game_->LoadLevel(u"levels/c_good.lvl"));
    int objects = Services().objects->CountObjects();
    ASSERT_GT(objects, 0);
    std::vector<uint8_t> bytes = TestSupport::ReadAll(dir_->File("levels/c_good.lvl"));
    bytes.resize(bytes.size() - 7);
    TestSupport::WriteAll(dir_->File("levels/c_cut.lvl"), bytes);
    EXPECT_FALSE(game_->LoadLevel(u"levels/c_cut.lvl"));
    EXPECT_FALSE(game_->LoadLevel(u"levels/c_missing.lvl"));
    EXPECT_EQ(Services().objects->CountObjects(), objects);
    EXPECT_EQ(world_->GetWidth(), 20);
    EXPECT_EQ(std::u16string(game_->GetLevelTitle()), u"Good");
    EXPECT_EQ(game_->CreateGameMode(u"levels/c_missing.lvl"), 0);
}

TEST_F(GameState, LevelListNamesAndModes)
{
    WriteTestLevel("c_a.lvl", 8, 8, u"Alpha", 1, {});
    WriteTestLevel("c_b.lvl", 8, 8, u"Bravo", 1, {});
    WriteTestLevel("c_c.lvl", 8, 8, u"Charlie", 2, {});
    const char junk[] = "not a level at all";
    TestSupport::WriteAll(dir_->File("levels/c_junk.lvl"), junk, sizeof junk);
    TestSupport::WriteAll(dir_->File("levels/c_notes.txt"), junk, sizeof junk);
    game_->RefreshLevelList();
    std::set<std::u16string> listed;
    for (int i = 0; i < game_->GetLevelCount(); ++i)
        listed.insert(game_->GetLevel(i)->path);
    EXPECT_EQ(listed.count(u"levels/c_notes.txt"), 0u);
    EXPECT_EQ(listed.count(u"levels/c_junk.lvl"), 1u);
    EXPECT_EQ(std::u16string(game_->GetLevelName(1, 0)), u"Alpha");
    EXPECT_EQ(std::u16string(game_->GetLevelName(1, 1)), u"Bravo");
    EXPECT_EQ(std::u16string(game_->GetLevelFile(2, 0)), u"levels/c_c.lvl");
    EXPECT_EQ(std::u16string(game_->GetLevelName(2, 1)), u"");
    EXPECT_EQ(std::u16string(game_->GetLevelFile(1, 2)), u"");
    // A foreign file is a deathmatch level under its own path.
    bool foreign = false;
    for (int n = 0; *game_->GetLevelFile(0, n); ++n)
        foreign = foreign || std::u16string(game_->GetLevelName(0, n)) == u"levels/c_junk.lvl";
    EXPECT_TRUE(foreign);
}

// The client side of replication makes the class of each type id, and
// registers a ready object once.
TEST_F(GameState, ReplicationMakesTheClassOfTheTypeId)
{
    game_->SetActiveHandler(&client_);
    std::unique_ptr<MPAPI::Object> breakable(game_->CreateObject(0, kTable));
    std::unique_ptr<MPAPI::Object> plain(game_->CreateObject(0, kBush));
    ASSERT_NE(dynamic_cast<DummyBreakableObject*>(breakable.get()), nullptr);
    ASSERT_NE(dynamic_cast<DummyObject*>(plain.get()), nullptr);
    EXPECT_EQ(dynamic_cast<DummyBreakableObject*>(plain.get()), nullptr);
    EXPECT_FLOAT_EQ(plain->GetX(), -10000.0f);
    EXPECT_EQ(plain->GetSubTypeId(), kBush);
    EXPECT_EQ(game_->CreateObject(0, 12345), nullptr);
    EXPECT_EQ(game_->CreateObject(1, -1), nullptr);
    // Not an effect type: no live object is handed to the networking layer.
    EXPECT_EQ(game_->CreateEffectObject(0, 0), nullptr);

    MPAPI::Object* ready = breakable.release();
    game_->OnObjectReady(ready);
    game_->OnObjectReady(ready);
    EXPECT_EQ(Services().objects->CountObjects(), 1);
    EXPECT_TRUE(static_cast<Object*>(static_cast<DummyObject*>(ready))->IsBreakable());
    // A position that arrives not finite is never used.
    const MPAPI::FieldRecord* fields = ready->GetFieldTable();
    std::memcpy(ready->MemberAt(fields[1].member), &kNotFinite, 4);
    game_->Update(0.01f);
    EXPECT_FLOAT_EQ(ready->GetX(), -10000.0f);

    // On a client the level makes props, never what the server replicates.
    EXPECT_EQ(CreateObjectByType(kStartPoint, 5, 5), nullptr);
    EXPECT_NE(CreateObjectByType(kBush, 5, 5), nullptr);
    EXPECT_EQ(Services().objects->CountObjects(), 2);
}

TEST_F(GameState, BlastsFromTheNetworkMustBeFinite)
{
    world_->ReplaceCells(8, 8, {});
    game_->SetActiveHandler(&server_);
    game_->ApplyBlast(NAN, 10, 100, 50);
    game_->ApplyBlast(10, 10, INFINITY, 50);
    EXPECT_EQ(server_.blasts, 0);
    game_->ApplyBlast(10, 10, 100, 50);
    EXPECT_EQ(server_.blasts, 1);
    // A client applies the blast it was told of and tells nobody.
    game_->SetActiveHandler(&client_);
    game_->ApplyBlast(10, 10, 100, 50);
    EXPECT_EQ(server_.blasts, 1);
}

TEST_F(GameState, MessagePanelsCutAndDropLines)
{
    MessageContainer& panel = game_->Messages(0);
    std::u16string longText(2000, u'x');
    panel.AddMessage(longText.c_str(), false);
    EXPECT_EQ(std::u16string(panel.GetLine(0)).size(), 1027u);
    panel.AddMessage(longText.c_str(), true);
    EXPECT_EQ(panel.GetLine(0)[0], 1);
    EXPECT_EQ(std::u16string(panel.GetLine(0)).size(), 1027u);
    for (const char16_t* text : {u"3", u"4", u"5", u"6"})
        panel.AddMessage(text, false);
    EXPECT_EQ(std::u16string(panel.GetLine(0)), u"6");
    EXPECT_EQ(panel.GetLine(4)[0], 1); // the first long line has gone
    EXPECT_EQ(std::u16string(panel.GetLine(5)), u"");
}

// The server names the local player's weapons by id only: the client's
// own inventory knows their kinds from the weapon table.
TEST_F(GameState, TheLocalInventoryKnowsWhatItsWeaponsAre)
{
    ASSERT_TRUE(resources_->ApplyItemDefinitions(Services().weapons));
    const int grenade = 79691776, mine = 80478208;
    game_->GetInventory()->SetWeapon(grenade, 1, 1);
    game_->GetInventory()->SetWeapon(mine, 1, 1);
    const Inventory::WeaponEntry* g = game_->GetInventory()->FindWeapon(grenade, false);
    ASSERT_NE(g, nullptr);
    EXPECT_EQ(g->category, 4);
    EXPECT_EQ(g->type, 1);
    EXPECT_NE(g->ammoType, game_->GetInventory()->FindWeapon(mine, false)->ammoType);
}

} // namespace StateTest

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

namespace StateTest {

// A port that is taken fails the start, leaves no handler active and does
// not leak the server made for it.
TEST_F(GameState, ServerStartsOnAFreePortOnly)
{
    int taken = socket(AF_INET, SOCK_DGRAM, 0);
    ASSERT_GE(taken, 0);
    sockaddr_in address = {};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_ANY);
    ASSERT_EQ(bind(taken, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
    socklen_t length = sizeof address;
    getsockname(taken, reinterpret_cast<sockaddr*>(&address), &length);
    const int port = ntohs(address.sin_port);

    game_->SetActiveHandler(&client_);
    EXPECT_FALSE(game_->StartServer(port));
    EXPECT_EQ(game_->GetActiveHandler(), nullptr);
    EXPECT_EQ(server_.server, nullptr);
    close(taken);

    EXPECT_TRUE(game_->StartServer(port));
    EXPECT_EQ(game_->GetActiveHandler(), &server_);
    EXPECT_NE(server_.server, nullptr);
}

} // namespace StateTest
