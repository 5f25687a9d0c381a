#include "engine/web/ScoreRecord.h"

namespace {

// Added at even places, taken away at odd ones; the master server holds the
// same values.
constexpr uint8_t kKey[ScoreRecord::kSize] = {0x5B, 0x17, 0xC4, 0x29, 0x8E, 0x73, 0x06, 0xB1, 0x4D,
                                              0xE2, 0x38, 0x9A, 0x61, 0xF5, 0x0C, 0x87, 0x2E, 0xD3,
                                              0x7A, 0x45, 0xBC, 0x10, 0x96, 0x6F, 0xA8, 0x3D};

void Put32(uint8_t* p, int32_t v)
{
    uint32_t u = uint32_t(v);
    p[0] = uint8_t(u);
    p[1] = uint8_t(u >> 8);
    p[2] = uint8_t(u >> 16);
    p[3] = uint8_t(u >> 24);
}

void Put16(uint8_t* p, int32_t v)
{
    uint32_t u = uint32_t(v);
    p[0] = uint8_t(u);
    p[1] = uint8_t(u >> 8);
}

int32_t Get32(const uint8_t* p)
{
    return int32_t(uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24);
}

int32_t Get16(const uint8_t* p) { return int16_t(uint16_t(p[0] | p[1] << 8)); }

} // namespace

void ScoreRecord::Write(uint8_t out[kSize]) const
{
    Put32(out + 0, uid);
    Put32(out + 4, score);
    Put32(out + 8, fragsTotal);
    Put16(out + 12, deaths);
    Put16(out + 14, suicides);
    Put16(out + 16, captures);
    Put16(out + 18, roundA);
    Put16(out + 20, roundB);
    Put16(out + 22, roundC);
    Put16(out + 24, objectivePoints);
}

ScoreRecord ScoreRecord::Read(const uint8_t in[kSize])
{
    ScoreRecord r;
    r.uid = Get32(in + 0);
    r.score = Get32(in + 4);
    r.fragsTotal = Get32(in + 8);
    r.deaths = Get16(in + 12);
    r.suicides = Get16(in + 14);
    r.captures = Get16(in + 16);
    r.roundA = Get16(in + 18);
    r.roundB = Get16(in + 20);
    r.roundC = Get16(in + 22);
    r.objectivePoints = Get16(in + 24);
    return r;
}

void ScoreRecord::Scramble(uint8_t record[kSize])
{
    for (size_t i = 0; i < kSize; ++i)
        record[i] = uint8_t(i % 2 == 0 ? record[i] + kKey[i] : record[i] - kKey[i]);
}

void ScoreRecord::Unscramble(uint8_t record[kSize])
{
    for (size_t i = 0; i < kSize; ++i)
        record[i] = uint8_t(i % 2 == 0 ? record[i] - kKey[i] : record[i] + kKey[i]);
}
