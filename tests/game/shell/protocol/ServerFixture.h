#pragma once

// A serving game state in a game folder of its own: real engine files, a
// small world, real levels, and connections whose streams are byte vectors.
#include "engine/core/Engine.h"
#include "engine/core/StringKit.h"
#include "engine/files/IFile.h"
#include "engine/files/IFileManager.h"
#include "engine/net/IServer.h"
#include "engine/net/Object.h"
#include "game/shell/protocol/MemoryConnection.h"
#include "game/shell/protocol/ServerHandler.h"
#include "game/world/map/LevelFile.h"
#include "game/world/map/MapFixture.h"
#include "game/world/modes/GameMod.h"
#include "game/world/net/GameMessage.h"
#include "game/world/net/IPlayerRoster.h"
#include "game/world/system/GameSystem.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace ServerTest {

class FakeServer : public MPAPI::IServer {
public:
    std::vector<MPAPI::IConnection*> waiting;
    std::vector<uint32_t> bans;
    int32_t nextId = 100;
    // Runs in a level start after the old level is torn down.
    std::function<void()> onResetStreams;
    void SetListener(MPAPI::IServerListener*) override {}
    int SetMaxPlayers(int n) override { return n; }
    void SetUpstreamBandwidth(int) override {}
    void SetPassword(const char16_t*) override {}
    int AddBan(uint32_t ip) override
    {
        bans.push_back(ip);
        return 0;
    }
    void RemoveBan(uint32_t ip) override { bans.erase(std::remove(bans.begin(), bans.end(), ip), bans.end()); }
    MPAPI::IConnection* NextNewConnection() override
    {
        if (waiting.empty())
            return nullptr;
        MPAPI::IConnection* c = waiting.front();
        waiting.erase(waiting.begin());
        return c;
    }
    bool Listen(int) override { return true; }
    void DisconnectAll() override {}
    void Update(float) override {}
    void ResetObjectStreams() override
    {
        if (onResetStreams)
            onResetStreams();
    }
    void AddObject(MPAPI::Object* o) override { o->SetNetworkId(nextId++); }
    void AddObjectUnlocked(MPAPI::Object*) override {}
    void RemoveObject(MPAPI::Object*) override {}
    void RemoveAllObjects() override { ++removeAll; }
    int removeAll = 0;
    void SendNow(MPAPI::IConnection*, MPAPI::Object*) override {}
};

struct Link : MemoryConnection {
    uint32_t address = 0x0100007F;
    int port = 0;
    std::u16string debugText;
    uint32_t GetRemoteAddress() override { return address; }
    int GetRemotePort() override { return port; }
    void GetDebugText(char16_t* buffer, int size) override { Util::StrCopy(buffer, size_t(size), debugText.c_str()); }
};

struct Msg {
    GameMessage type;
    std::vector<uint8_t> payload;
    uint32_t U32(size_t at = 0) const
    {
        return payload.size() < at + 4
                   ? 0
                   : uint32_t(payload[at] | payload[at + 1] << 8 | payload[at + 2] << 16 | payload[at + 3] << 24);
    }
};

// Rules that let players be made while the real modes are elsewhere.
struct PlainMode : GameMod {
    MissionItem* CreateFlagObject(int) override { return nullptr; }
    void OnKill(Player*, Object*, int, int) override {}
};

class Serving : public testing::Test {
protected:
    void SetUp() override
    {
        TestSupport::MakeDirs(dir_.File("levels"));
        {
            TestSupport::ScopedChdir in(dir_.Path());
            engine_ = std::make_unique<Engine>();
        }
        game_ = std::make_unique<GameSystem>(engine_.get(), map_.world.get(), &map_.resources, nullptr, nullptr);
        handler_ = std::make_unique<ServerHandler>(game_.get());
        game_->SetHandlers(handler_.get(), nullptr);
        game_->SetActiveHandler(handler_.get());
        server_ = new FakeServer();
        handler_->SetServer(server_);
        game_->Options().SetServerMode(0);
        game_->Options().SetServerUploading(true);
    }
    void TearDown() override
    {
        TestSupport::WriteFuzzSeed("server_handler", testing::UnitTest::GetInstance()->current_test_info()->name(),
                                   seed_);
        handler_->SetServer(nullptr);
        game_.reset();
        handler_.reset();
    }

    // A loadable level in the game folder; its bytes.
    std::vector<uint8_t> WriteLevelFile(const std::string& name)
    {
        LevelHeader header;
        header.name = u"Test";
        IFileManager* files = engine_->GetFileManager();
        IFile* out = files->Open(Util::Widen(name.c_str()).c_str(), kOpenWrite, 0);
        EXPECT_NE(out, nullptr);
        EXPECT_TRUE(WriteLevel(out, files, header, {}, *map_.world, {}, {}, nullptr));
        delete out;
        return TestSupport::ReadAll(dir_.File(name));
    }
    void Cycle(std::initializer_list<const char16_t*> paths)
    {
        game_->Options().ClearMapCycle();
        for (const char16_t* p : paths)
            game_->Options().AddMapCycleLevel(0, p);
    }
    // A client greeted by the next handler frame.
    Link* Connect()
    {
        seed_.push_back(0);
        if (!links_.empty())
            seed_.push_back(0);
        links_.push_back(std::make_unique<Link>());
        server_->waiting.push_back(links_.back().get());
        handler_->Update(0.01f);
        return links_.back().get();
    }
    void Deliver(Link* link, GamePacket& p)
    {
        p.SealHeader();
        link->inbound.insert(link->inbound.end(), p.GetBlock(), p.GetBlock() + p.GetLength() + 4);
        RecordDelivery(link, p.GetBlock(), size_t(p.GetLength()) + 4);
    }
    // The test's client streams as the server handler fuzz target reads
    // them: an operation byte, a link byte once there are links, then the
    // operation's bytes; deliveries go in pieces of at most 255.
    void RecordDelivery(Link* link, const uint8_t* data, size_t size)
    {
        uint8_t index = 0;
        while (index < links_.size() && links_[index].get() != link)
            ++index;
        for (size_t at = 0; at < size; at += 255) {
            const size_t n = std::min<size_t>(255, size - at);
            seed_.insert(seed_.end(), {1, index, uint8_t(n)});
            seed_.insert(seed_.end(), data + at, data + at + n);
        }
    }
    // What the client was sent since the last call.
    static std::vector<Msg> Drain(Link* link)
    {
        std::vector<Msg> out;
        const std::vector<uint8_t>& b = link->sent;
        for (size_t at = 0; at + 4 <= b.size();) {
            size_t n = size_t(b[at + 2] | b[at + 3] << 8);
            out.push_back(
                {GameMessage(b[at] | b[at + 1] << 8), {b.begin() + long(at + 4), b.begin() + long(at + 4 + n)}});
            at += 4 + n;
        }
        link->sent.clear();
        return out;
    }
    void Frame()
    {
        handler_->Update(0.01f);
        handler_->ProcessNetwork();
    }

    TestSupport::TempDir dir_;
    MapFixture map_{8, 8};
    std::unique_ptr<Engine> engine_;
    std::unique_ptr<GameSystem> game_;
    std::unique_ptr<ServerHandler> handler_;
    FakeServer* server_ = nullptr;
    std::vector<std::unique_ptr<Link>> links_;
    GamePacket packet_;
    std::vector<uint8_t> seed_;
};

} // namespace ServerTest
