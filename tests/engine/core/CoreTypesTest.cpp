#include "engine/core/ByteReader.h"
#include "engine/core/FrameClock.h"
#include "engine/core/Heartbeat.h"
#include "engine/core/InetAddress.h"
#include "engine/core/List.h"
#include "engine/core/Random.h"
#include "engine/core/Timer.h"

#include <arpa/inet.h>
#include <gtest/gtest.h>

#include <set>
#include <string>

TEST(UtilList, GrowsByHundredKeepingOrder)
{
    Util::List<int> list;
    int values[250];
    for (int i = 0; i < 100; ++i)
        list.Add(&values[i]);
    EXPECT_EQ(list.GetCapacity(), 100);
    list.Add(&values[100]);
    EXPECT_EQ(list.GetCapacity(), 200);
    EXPECT_EQ(list.GetCount(), 101);
    for (int i = 0; i < 101; ++i)
        ASSERT_EQ(list[i], &values[i]);

    list.Reserve(50); // not above the count: nothing happens
    EXPECT_EQ(list.GetCapacity(), 200);

    list.RemoveAt(0);
    EXPECT_EQ(list[0], &values[1]);
    EXPECT_EQ(list.GetCount(), 100);
    EXPECT_TRUE(list.Remove(&values[50]));
    EXPECT_EQ(list[49], &values[51]);
    EXPECT_FALSE(list.Remove(&values[50]));
    EXPECT_EQ(list.Get(1000), nullptr);
    EXPECT_EQ(list.Get(-1), nullptr);
}

TEST(ByteReader, ReadPastEndFailsEverything)
{
    const uint8_t data[] = {0x01, 0x02, 0x03, 0x04, 0x05, 0x06};
    Util::ByteReader r(data, sizeof data);
    EXPECT_EQ(r.U32(), 0x04030201u);
    EXPECT_EQ(r.U16(), 0x0605u);
    EXPECT_TRUE(r.Ok());
    EXPECT_EQ(r.U8(), 0);
    EXPECT_FALSE(r.Ok());
    EXPECT_EQ(r.Remaining(), 0u);

    Util::ByteReader c(data, sizeof data);
    EXPECT_TRUE(c.Count(3, 2));
    EXPECT_FALSE(c.Count(0xFFFFFFFFu, 0x10000)); // no 32-bit wrap
    std::u16string s = c.Utf16(4);
    EXPECT_TRUE(s.empty());
    EXPECT_FALSE(c.Ok());
}

TEST(Random, FifteenBitRangeAndSeedRepeats)
{
    Util::SeedRandom(1234);
    int first[8];
    std::set<int> seen;
    for (int i = 0; i < 8; ++i)
        first[i] = Util::Random();
    for (int i = 0; i < 10000; ++i) {
        int v = Util::Random();
        ASSERT_GE(v, 0);
        ASSERT_LE(v, Util::kRandMax);
        seen.insert(v);
    }
    EXPECT_GT(seen.size(), 5000u);
    Util::SeedRandom(1234);
    for (int i = 0; i < 8; ++i)
        EXPECT_EQ(Util::Random(), first[i]);
}

namespace {
int64_t g_fakeNow = 0;
int64_t FakeCounter() { return g_fakeNow; }
constexpr int64_t kSecond = 1000000000LL;
} // namespace

TEST(FrameClock, FirstReadingZeroAndOutOfRangeIgnored)
{
    g_fakeNow = 5 * kSecond;
    FrameClock clock(false, &FakeCounter);
    clock.Update();
    EXPECT_EQ(clock.GetFrameTime(), 0.0);
    g_fakeNow += kSecond / 4;
    clock.Update();
    EXPECT_DOUBLE_EQ(clock.GetFrameTime(), 0.25);
    g_fakeNow += 31 * kSecond;
    clock.Update();
    EXPECT_EQ(clock.GetFrameTime(), 0.0);
    g_fakeNow -= kSecond;
    clock.Update();
    EXPECT_EQ(clock.GetFrameTime(), 0.0);
    g_fakeNow += kSecond / 2;
    clock.Update();
    EXPECT_DOUBLE_EQ(clock.GetFrameTime(), 0.5);
}

TEST(Timer, ElapsedSinceResetClamped)
{
    g_fakeNow = 0;
    Timer t(&FakeCounter);
    t.Reset();
    g_fakeNow = 2 * kSecond;
    EXPECT_FLOAT_EQ(t.GetElapsed(), 2.0f);
    g_fakeNow = 40 * kSecond;
    EXPECT_EQ(t.GetElapsed(), 0.0f);
    t.Reset();
    g_fakeNow -= kSecond;
    EXPECT_EQ(t.GetElapsed(), 0.0f);
}

TEST(Heartbeat, FirstTickAnnouncesThenEverySixtySeconds)
{
    Heartbeat hb;
    EXPECT_TRUE(hb.Tick(0.01f));
    int due = 0;
    for (int i = 0; i < 599; ++i)
        due += hb.Tick(0.1f);
    EXPECT_EQ(due, 0); // 59.9 s
    hb.Force();
    EXPECT_TRUE(hb.Tick(0.0f));
    EXPECT_FALSE(hb.Tick(59.0f));
    EXPECT_TRUE(hb.Tick(1.0f));
    EXPECT_EQ(hb.GetSum(), 0.0f);
}

TEST(InetAddress, GetIPForms)
{
    EXPECT_EQ(Util::InetAddress().GetIP(), 0);
    EXPECT_EQ(Util::InetAddress(u"").GetIP(), 0);
    EXPECT_EQ(uint32_t(Util::InetAddress(u"127.0.0.1").GetIP()), htonl(0x7F000001));
    EXPECT_EQ(uint32_t(Util::InetAddress(u"localhost").GetIP()), htonl(0x7F000001));
    std::u16string longHost(255, u'a');
    longHost += u".0"; // 257 characters: never looked up
    EXPECT_EQ(Util::InetAddress(longHost.c_str()).GetIP(), 0);
    EXPECT_EQ(Util::InetAddress(u"no-such-host.invalid").GetIP(), 0);
}

TEST(InetAddress, CopiesOwnTheirStrings)
{
    Util::InetAddress a(u"10.1.2.3");
    Util::InetAddress b(a);
    Util::InetAddress c;
    c = a;
    EXPECT_NE(a.GetHost(), b.GetHost());
    EXPECT_NE(a.GetHost(), c.GetHost());
    EXPECT_EQ(std::u16string(b.GetHost()), u"10.1.2.3");
    Util::InetAddress& self = c;
    c = self;
    EXPECT_EQ(std::u16string(c.GetHost()), u"10.1.2.3");
    Util::InetAddress empty;
    c = empty;
    EXPECT_EQ(c.GetHost(), nullptr);
    EXPECT_EQ(c.GetIP(), 0);
}
