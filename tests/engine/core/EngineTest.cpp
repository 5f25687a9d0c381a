#include "engine/core/Engine.h"
#include "engine/core/ITimer.h"
#include "engine/core/StringKit.h"
#include "engine/files/IFileManager.h"
#include "engine/web/IUpdateFile.h"
#include "engine/web/MasterServices.h"
#include "engine/web/StandIn.h"
#include "platform/ui/Ui.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <memory>
#include <thread>

TEST(Engine, OneStaticObjectWithItsFileManager)
{
    IEngine* e = GetEngine();
    ASSERT_NE(e, nullptr);
    EXPECT_EQ(e, GetEngine());
    ASSERT_NE(e->GetFileManager(), nullptr);
    EXPECT_EQ(e->GetFileManager(), GetEngine()->GetFileManager());
    int marker = 0;
    e->SetUserPointer(&marker);
    EXPECT_EQ(e->GetUserPointer(), &marker);
    e->SetUserPointer(nullptr);
    EXPECT_TRUE(e->Init());
    EXPECT_TRUE(e->InitNetwork());
    EXPECT_TRUE(e->InitNetwork());
}

TEST(Engine, MasterServerOverrideKeepsSixtyThreeUnits)
{
    IEngine* e = GetEngine();
    EXPECT_EQ(std::u16string(e->GetMasterServer()), u"");
    std::u16string longHost(80, u'h');
    e->SetMasterServer(longHost.c_str());
    EXPECT_EQ(std::u16string(e->GetMasterServer()), std::u16string(63, u'h'));
    e->SetMasterServer(nullptr);
    EXPECT_EQ(std::u16string(e->GetMasterServer()), u"");
}

TEST(Engine, ScoreWeightSteps)
{
    struct Case {
        float players, bonus, weight;
    } cases[] = {
        {0, 0, 0.2f}, {5.99f, 0, 0.2f}, {6, 0, 0.6f}, {14.9f, 0.1f, 0.7f}, {15, 0, 1.0f}, {40, 0.5f, 1.5f},
    };
    Engine* e = static_cast<Engine*>(GetEngine());
    for (const Case& c : cases) {
        e->SetScoreWeight(c.players, c.bonus);
        EXPECT_FLOAT_EQ(e->GetScoreWeight(), c.weight) << c.players;
    }
}

TEST(Engine, ClocksAreIndependentAndStartNearZero)
{
    IEngine* e = GetEngine();
    e->UpdateFrameTime2();
    EXPECT_LT(e->GetFrameTime2(), 0.01f);
    EXPECT_EQ(e->GetFrameTime3(), 0.0f); // never updated
    std::unique_ptr<ITimer> t(e->CreateTimer());
    ASSERT_NE(t, nullptr);
    t->Reset();
    EXPECT_GE(t->GetElapsed(), 0.0f);
}

TEST(Engine, ServicesOfLaterSubsystemsAnswerNothingYet)
{
    IEngine* e = GetEngine();
    EXPECT_EQ(e->CreateRenderer(1), nullptr);
    EXPECT_EQ(e->GetInput(), nullptr);
    // The update list comes from the stand-in on this machine, never from
    // the default host.
    StandIn service;
    ASSERT_TRUE(service.Running());
    std::string xml = "<updates><updateFile><name>p</name><version>2</version></updateFile></updates>";
    TestSupport::WriteAll(service.FilesDir() + "/updates.xml", xml.data(), xml.size());
    MasterServices::SetUpdateHost(service.Host().c_str());
    Util::List<IUpdateFile>* updates = e->CheckUpdates();
    MasterServices::SetUpdateHost(nullptr);
    ASSERT_NE(updates, nullptr);
    ASSERT_EQ(updates->GetCount(), 1);
    EXPECT_EQ(updates->Get(0)->GetVersion(), 2);
    EXPECT_EQ(std::u16string(e->GetLoginNick()), u"");
    EXPECT_EQ(std::u16string(e->GetLoginUid()), u"");
    EXPECT_EQ(e->LoadTexture(u"gfx/none.png", false, 0), nullptr);
}

namespace {

// A box that stays up for a while, as one waits for its reader.
Ui::Answer SlowBox(const char16_t*, const char16_t* text, Ui::Icon, Ui::Buttons)
{
    std::fprintf(stderr, "box: %s\n", Util::ToUtf8(text).c_str());
    std::this_thread::sleep_for(std::chrono::milliseconds(400));
    std::fprintf(stderr, "box closed\n");
    return Ui::Answer::Ok;
}

} // namespace

TEST(EngineDeathTest, SecondFatalErrorLetsTheFirstMessageBeRead)
{
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    auto twoErrors = [] {
        Ui::SetMessageBackend(SlowBox);
        std::thread late([] {
            std::this_thread::sleep_for(std::chrono::milliseconds(100));
            GetEngine()->FatalError("second");
        });
        GetEngine()->FatalError("first");
    };
    EXPECT_EXIT(twoErrors(), testing::ExitedWithCode(255), "^box: first\nbox closed\n$");
}

TEST(EngineDeathTest, FatalErrorShowsTextAndExits255)
{
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(GetEngine()->FatalError("mpHandler not set"), testing::ExitedWithCode(255),
                "Error!: mpHandler not set");
}
