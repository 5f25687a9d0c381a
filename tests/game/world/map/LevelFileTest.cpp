#include "MapFixture.h"

#include "engine/core/ByteReader.h"
#include "engine/files/FileManager.h"
#include "engine/files/IFile.h"
#include "game/world/map/LevelFile.h"
#include "support/TestSupport.h"

#include <cmath>
#include <cstring>
#include <memory>
#include <vector>

namespace {

// Little-endian bytes as the format lays them out.
struct Bytes {
    std::vector<uint8_t> b;
    Bytes& I(int32_t v)
    {
        uint8_t p[4];
        Util::PutU32(p, uint32_t(v));
        b.insert(b.end(), p, p + 4);
        return *this;
    }
    Bytes& F(float v)
    {
        uint8_t p[4];
        Util::PutF32(p, v);
        b.insert(b.end(), p, p + 4);
        return *this;
    }
    Bytes& U8(uint8_t v)
    {
        b.push_back(v);
        return *this;
    }
    Bytes& Cell(uint32_t v) { return U8(uint8_t(v)).U8(uint8_t(v >> 8)).U8(uint8_t(v >> 16)); }
    Bytes& Name(const char16_t* s)
    {
        for (int i = 0; i < 64; ++i) {
            const char16_t c = (s && *s) ? *s++ : 0;
            U8(uint8_t(c)).U8(uint8_t(c >> 8));
        }
        return *this;
    }
};

struct LevelIO {
    FileManager files;
    std::unique_ptr<IFile> Reader(const std::vector<uint8_t>& bytes)
    {
        std::unique_ptr<IFile> f(files.CreateMemoryFile(0));
        if (!bytes.empty())
            f->Write(bytes.data(), int(bytes.size()));
        f->Seek(0);
        return f;
    }
    std::vector<uint8_t> Written(const World& world, const LevelHeader& header, const std::vector<uint8_t>& picture,
                                 const std::vector<LevelObject>& objects, const std::vector<LevelLight>& lights)
    {
        std::unique_ptr<IFile> out(files.CreateMemoryFile(0));
        EXPECT_TRUE(WriteLevel(out.get(), &files, header, picture, world, objects, lights, nullptr));
        std::vector<uint8_t> bytes(size_t(out->GetSize()));
        out->Seek(0);
        out->Read(bytes.data(), int(bytes.size()));
        return bytes;
    }
    bool Read(const std::vector<uint8_t>& bytes, IResourceManager* resources, LevelContents* out)
    {
        auto f = Reader(bytes);
        return ReadLevel(f.get(), resources, out);
    }
};

} // namespace

TEST(LevelFile, WritesTheFormatByteForByte)
{
    MapFixture map(2, 2);
    World& w = *map.world;
    w.SetTileVariant(0, 0, MapFixture::kWater, 2);
    w.SetTile(1, 0, MapFixture::kBrick);
    w.SetCell(1, 0, w.GetCell(1, 0) | World::kWindow | (77u << World::kDamageShift)); // damage is not stored
    w.SetTile(0, 1, -1);
    auto* box = new World::LightBox(0, 0, 32, 64);
    box->SetBrightness(0.5f);
    box->SetColor(1.0f, 0.25f, 0.0f);
    w.AddLightBox(box);
    w.SetLightBoxBits(box);
    LevelHeader header;
    header.name = u"Yard";
    header.gameMode = 1;
    const std::vector<uint8_t> picture = {0x89, 'P', 'N'};
    const std::vector<LevelObject> objects = {{26214400, 48.0f, 16.5f, 90.0f}};
    LevelLight light;
    light.type = 1;
    light.x = 10.0f, light.y = 20.0f, light.angle = 45.0f, light.size = 300.0f, light.power = 1.6f;
    light.red = 1.0f, light.green = 0.5f, light.blue = 0.25f;

    LevelIO io;
    const auto bytes = io.Written(w, header, picture, objects, {light});

    Bytes want;
    want.I(100).I(4).I(-1).I(0).Name(u"Yard").I(1).I(3).U8(0x89).U8('P').U8('N');
    want.I(1003).I(1000).I(2).I(2).U8(0);
    want.Cell(6 | (2u << 19) | World::kInLightBox).Cell(51 | World::kWall | World::kWindow);
    want.Cell(0x3ffff | World::kInLightBox).Cell(1);
    want.I(1).F(0.5f).F(1.0f).F(0.25f).F(0.0f).F(0).F(0).F(32).F(64);
    want.I(3001).I(1).I(26214400).F(48.0f).F(16.5f).F(90.0f);
    want.I(4002).I(1).I(1).F(10).F(20).F(45).F(300).F(1.6f).F(1.0f).F(0.5f).F(0.25f);
    // -1 plus every byte, the placeholder counted as 0xFF each.
    Util::PutU32(&want.b[12], 0x00001DBEu);
    ASSERT_EQ(bytes.size(), want.b.size());
    EXPECT_EQ(bytes, want.b);
    EXPECT_EQ(LevelCheckValue(bytes.data(), bytes.size()), 0x1DBE);
    TestSupport::WriteFuzzSeed("level_reader", "small", bytes);

    // Saving the unchanged level again gives the same bytes.
    EXPECT_EQ(io.Written(w, header, picture, objects, {light}), bytes);
}

TEST(LevelFile, RoundTripThroughACompressedWorld)
{
    MapFixture map(40, 30);
    World& w = *map.world;
    for (int x = 0; x < 40; ++x)
        map.Wall(x, 0, 0, x % 2 ? MapFixture::kBrick : MapFixture::kStone);
    w.SetTile(3, 3, MapFixture::kWater);
    w.SetCell(4, 4, w.GetCell(4, 4) | World::kRubble | World::kWindow);
    w.SetCompressBlocks(true);
    w.AddLightBox(new World::LightBox(10, 20, 300, 400));
    LevelHeader header;
    header.name = u"Round \u00e4 trip with a name that runs far past the sixty-four units a level name may hold";
    header.gameMode = 2;
    std::vector<LevelObject> objects = {{5, 1, 2, 3}, {26214400, 100, 200, 270}};
    std::vector<LevelLight> lights(3);
    lights[2].blue = 0.75f;

    LevelIO io;
    const auto bytes = io.Written(w, header, {}, objects, lights);
    TestSupport::WriteFuzzSeed("level_reader", "compressed", bytes);
    LevelContents level;
    ASSERT_TRUE(io.Read(bytes, &map.resources, &level));
    EXPECT_EQ(level.header.name, header.name.substr(0, 64));
    EXPECT_EQ(level.header.gameMode, 2);
    EXPECT_EQ(level.header.checkValue, LevelCheckValue(bytes.data(), bytes.size()));
    EXPECT_TRUE(level.picture.empty());
    ASSERT_EQ(level.objects.size(), 2u);
    EXPECT_EQ(level.objects[1].definitionId, 26214400);
    EXPECT_FLOAT_EQ(level.objects[1].angle, 270.0f);
    ASSERT_EQ(level.lights.size(), 3u);
    EXPECT_FLOAT_EQ(level.lights[2].blue, 0.75f);

    MapFixture other(3, 3);
    level.world.ApplyTo(*other.world);
    ASSERT_EQ(other.world->GetWidth(), 40);
    EXPECT_TRUE(other.world->GetCompressBlocks());
    for (int y = 0; y < 30; ++y)
        for (int x = 0; x < 40; ++x)
            ASSERT_EQ(other.world->GetCell(x, y), w.GetCell(x, y) & World::kStoredMask) << x << "," << y;
    ASSERT_EQ(other.world->GetLightBoxCount(), 1);
    EXPECT_FLOAT_EQ(other.world->GetLightBox(0)->x1, 300.0f);
}

TEST(LevelFile, ReadsEveryFileVersion)
{
    LevelIO io;
    MapFixture map;
    auto world = [](Bytes& b, int version) {
        b.I(version).I(1000).I(2).I(1);
        if (version > 1000)
            b.U8(0);
        b.Cell(51 | World::kWall).Cell(999); // 999: no such block
        if (version > 1001) {
            b.I(1);
            if (version > 1002)
                b.F(0.25f).F(-1.0f).F(0.5f).F(7.0f);
            b.F(10).F(5).F(500).F(20); // x1 beyond the map by more than 100 px
        }
    };
    // Version 1: no name, mode or picture; objects none; lights by position.
    Bytes v1;
    v1.I(100).I(1).I(-1).I(1234);
    world(v1, 1000);
    v1.I(3000).I(4000).I(2).F(1).F(2).F(3).F(4);
    LevelContents level;
    ASSERT_TRUE(io.Read(v1.b, &map.resources, &level));
    EXPECT_EQ(level.header.checkValue, 1234);
    EXPECT_TRUE(level.header.name.empty());
    EXPECT_EQ(level.header.gameMode, 0);
    EXPECT_TRUE(level.objects.empty());
    ASSERT_EQ(level.lights.size(), 2u);
    EXPECT_FLOAT_EQ(level.lights[1].x, 3.0f);
    EXPECT_FLOAT_EQ(level.lights[1].size, 256.0f);
    EXPECT_EQ(level.world.cells[0], uint32_t(MapFixture::kBrick) | World::kWall);
    EXPECT_EQ(level.world.cells[1], World::kEmpty) << "an unknown block id stays harmless";
    EXPECT_TRUE(level.world.boxes.empty());

    // Version 2 with world 1002: a picture, boxes of default colour.
    Bytes v2;
    v2.I(100).I(2).I(-1).I(0).I(2).U8(1).U8(2);
    world(v2, 1002);
    v2.I(3001).I(0).I(4001).I(1).F(5).F(6).F(99);
    ASSERT_TRUE(io.Read(v2.b, &map.resources, &level));
    EXPECT_EQ(level.picture, (std::vector<uint8_t>{1, 2}));
    ASSERT_EQ(level.world.boxes.size(), 1u);
    const World::LightBox& box = level.world.boxes[0];
    EXPECT_FLOAT_EQ(box.intensity, 0.7f);
    EXPECT_FLOAT_EQ(box.green, 1.0f);
    EXPECT_FLOAT_EQ(box.x1, 64.0f) << "repaired to x0 + 100, then clamped to the map";
    EXPECT_FLOAT_EQ(box.y1, 20.0f);
    EXPECT_FLOAT_EQ(level.lights[0].size, 99.0f);

    // Version 3 with world 1003: a name; box colour clamped on read.
    Bytes v3;
    v3.I(100).I(3).I(-1).I(0).Name(u"Old").I(0);
    world(v3, 1003);
    v3.I(3001).I(0).I(4002).I(0);
    ASSERT_TRUE(io.Read(v3.b, &map.resources, &level));
    EXPECT_EQ(level.header.name, u"Old");
    EXPECT_FLOAT_EQ(level.world.boxes[0].intensity, 0.25f);
    EXPECT_FLOAT_EQ(level.world.boxes[0].red, 0.0f);
    EXPECT_FLOAT_EQ(level.world.boxes[0].blue, 1.0f);

    // Any other world version, or magic, is refused.
    Bytes bad;
    bad.I(100).I(1).I(-1).I(0);
    world(bad, 1004);
    EXPECT_FALSE(io.Read(bad.b, &map.resources, &level));
    v1.b[0] = 101;
    EXPECT_FALSE(io.Read(v1.b, &map.resources, &level));
}

TEST(LevelFile, HostileFilesFailCleanly)
{
    LevelIO io;
    MapFixture map(6, 5);
    map.Wall(1, 1);
    map.world->AddLightBox(new World::LightBox(1, 2, 3, 4));
    LevelLight light;
    const auto good = io.Written(*map.world, LevelHeader(), {9, 9, 9}, {{1, 2, 3, 4}}, {light});
    LevelContents level;
    ASSERT_TRUE(io.Read(good, &map.resources, &level));
    level.header.name = u"kept";
    for (size_t cut = 0; cut < good.size(); ++cut) {
        const std::vector<uint8_t> part(good.begin(), good.begin() + long(cut));
        ASSERT_FALSE(io.Read(part, &map.resources, &level)) << "cut at " << cut;
    }
    EXPECT_EQ(level.header.name, u"kept") << "a failed read leaves the output alone";

    // Offsets of the fields in a version 4 file with a 3-byte picture.
    const size_t picture = 148, widthAt = 152 + 3 + 8, boxCount = widthAt + 9 + 30 * 3;
    auto patched = [&](size_t at, int32_t v) {
        auto b = good;
        Util::PutU32(&b[at], uint32_t(v));
        return b;
    };
    for (int32_t size : {-1, 0x7fffffff, 4})
        EXPECT_FALSE(io.Read(patched(picture, size), &map.resources, &level)) << size;
    for (int32_t side : {0, -6, 65536, 0x40000000})
        EXPECT_FALSE(io.Read(patched(widthAt, side), &map.resources, &level)) << side;
    EXPECT_FALSE(io.Read(patched(widthAt + 4, -5), &map.resources, &level));
    for (int32_t count : {0x7fffffff, -1, 4})
        EXPECT_FALSE(io.Read(patched(boxCount, count), &map.resources, &level)) << count;
    uint32_t nanBits = 0x7fc00000u, infBits = 0x7f800000u;
    EXPECT_FALSE(io.Read(patched(boxCount + 4, int32_t(nanBits)), &map.resources, &level));
    const size_t objectCount = boxCount + 4 + 32 + 4, lightCount = objectCount + 4 + 16 + 4;
    EXPECT_FALSE(io.Read(patched(objectCount, 0x7fffffff), &map.resources, &level));
    EXPECT_FALSE(io.Read(patched(objectCount + 8, int32_t(infBits)), &map.resources, &level));
    EXPECT_FALSE(io.Read(patched(lightCount, 0x10000000), &map.resources, &level));
    EXPECT_FALSE(io.Read(patched(lightCount + 8, int32_t(nanBits)), &map.resources, &level));
    // An unknown light tag carries no lights but the level loads.
    ASSERT_TRUE(io.Read(patched(lightCount - 4, 4100), &map.resources, &level));
    EXPECT_TRUE(level.lights.empty());
    EXPECT_EQ(level.lightTag, 4100);

    // The world's own reader leaves the loaded map alone on failure.
    auto file = io.Reader(patched(widthAt, 0));
    file->Seek(int(widthAt - 4));
    EXPECT_FALSE(map.world->Read(file.get(), 1003));
    EXPECT_EQ(map.world->GetWidth(), 6);
    EXPECT_EQ(map.world->GetBlockAt(1, 1), MapFixture::kBrick);
    EXPECT_EQ(map.world->GetLightBoxCount(), 1);
}
