#pragma once

#include <cstddef>
#include <cstdint>

// One player's score report as the master server receives it: 26 bytes,
// little-endian, scrambled before upload.
struct ScoreRecord {
    static constexpr size_t kSize = 26;

    int32_t uid = 0;
    int32_t score = 0;      // after this upload
    int32_t fragsTotal = 0; // after this upload
    int32_t deaths = 0;     // the counters below go out as their low 16 bits
    int32_t suicides = 0;
    int32_t captures = 0;
    int32_t roundA = 0;
    int32_t roundB = 0;
    int32_t roundC = 0;
    int32_t objectivePoints = 0;

    void Write(uint8_t out[kSize]) const;
    // The counters come back sign-extended from their 16 bits.
    static ScoreRecord Read(const uint8_t in[kSize]);

    // The master server undoes Scramble with Unscramble.
    static void Scramble(uint8_t record[kSize]);
    static void Unscramble(uint8_t record[kSize]);
};
