#include "MapFixture.h"

#include <random>
#include <vector>

namespace {

// Output with a canary tail: the encoder must never touch bytes past 1000.
struct Output {
    uint8_t bytes[World::kWallDamageBytes + 8];
    Output() { std::fill(std::begin(bytes), std::end(bytes), 0xEE); }
    bool TailIntact() const
    {
        for (int i = World::kWallDamageBytes; i < World::kWallDamageBytes + 8; ++i)
            if (bytes[i] != 0xEE)
                return false;
        return true;
    }
};

// Sends the whole grid from host to client the way messages 12 and 13 do.
void Transfer(const World& host, World& client)
{
    int start = 0, rounds = 0;
    const int n = host.GetWidth() * host.GetHeight();
    while (start < n && rounds++ < 100000) {
        Output out;
        int next = -1;
        const int length = host.EncodeWallDamage(start, out.bytes, &next);
        ASSERT_TRUE(out.TailIntact());
        ASSERT_LE(length, World::kWallDamageBytes);
        ASSERT_GT(next, start) << "no progress";
        client.DecodeWallDamage(out.bytes, length, start);
        start = next;
    }
}

} // namespace

TEST(WallDamageCode, LongRunSplitsAt255)
{
    MapFixture map(20, 15);
    for (int y = 0; y < 15; ++y)
        for (int x = 0; x < 20; ++x)
            map.Wall(x, y, 7);
    Output out;
    int next = 0;
    ASSERT_EQ(map.world->EncodeWallDamage(0, out.bytes, &next), 4);
    EXPECT_EQ(std::vector<int>(out.bytes, out.bytes + 4), (std::vector<int>{7, 255, 7, 45}));
    EXPECT_EQ(next, 300);
}

TEST(WallDamageCode, AnyGridCrossesIntactInBoundedMessages)
{
    // Runs of 255, changes right after a full run, and enough variety to
    // fill many messages up to the limit.
    std::mt19937 rng(17);
    for (int variant = 0; variant < 3; ++variant) {
        MapFixture host(96, 96), client(96, 96);
        for (int y = 0; y < 96; ++y)
            for (int x = 0; x < 96; ++x) {
                if (variant < 2 && rng() % 5 == 0)
                    continue; // floor
                int damage;
                if (variant == 0)
                    damage = int(rng() % 254);
                else if (variant == 1)
                    damage = (y * 96 + x) / 255 % 2 ? 30 : 31; // runs that close at 255 then change
                else
                    damage = ((y * 96 + x) % 255 == 0) ? 3 : 4;
                host.Wall(x, y, damage);
                client.Wall(x, y, 0);
            }
        Transfer(*host.world, *client.world);
        for (int y = 0; y < 96; ++y)
            for (int x = 0; x < 96; ++x)
                ASSERT_EQ(client.world->GetCell(x, y), host.world->GetCell(x, y)) << variant << " at " << x << "," << y;
    }
}

TEST(WallDamageCode, HostileStartsAndRunsStayInTheGrid)
{
    MapFixture map(8, 8);
    for (int x = 0; x < 8; ++x)
        map.Wall(x, 7, 10);
    Output out;
    int next = 12345;
    EXPECT_EQ(map.world->EncodeWallDamage(-5, out.bytes, &next), 0);
    EXPECT_EQ(next, 64);
    EXPECT_EQ(map.world->EncodeWallDamage(64, out.bytes, &next), 0);
    EXPECT_EQ(map.world->EncodeWallDamage(1 << 30, out.bytes, &next), 0);
    EXPECT_TRUE(out.TailIntact());

    // Runs far longer than the grid, odd lengths and bad starts.
    const uint8_t runs[] = {200, 255, 200, 255, 9};
    EXPECT_EQ(map.world->DecodeWallDamage(runs, sizeof runs, -1), 0);
    EXPECT_EQ(map.world->DecodeWallDamage(runs, sizeof runs, 64), 64);
    EXPECT_EQ(map.world->DecodeWallDamage(runs, -3, 0), 0);
    EXPECT_EQ(map.world->DecodeWallDamage(runs, sizeof runs, 0), 64);
    for (int x = 0; x < 8; ++x)
        EXPECT_EQ(map.world->GetDamage(x, 7), 200);
    EXPECT_EQ(map.world->GetDamage(0, 0), 0) << "floors take no damage";

    // A destroyed wall stays destroyed whatever arrives later.
    const uint8_t destroy[] = {255, 1}, heal[] = {0, 8};
    map.world->DecodeWallDamage(destroy, 2, 56);
    map.world->DecodeWallDamage(heal, 2, 0);
    EXPECT_EQ(map.world->GetDamage(0, 7), 255);
    EXPECT_EQ(map.world->GetDamage(1, 7), 0);
}
