#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace TestSupport {

// Writes a PNG through the engine's writer; pixels are 0xAABBGGRR values
// (bytes red, green, blue, alpha), rows top to bottom.
void WritePng(const std::string& path, int w, int h, const std::vector<uint32_t>& rgbaTopDown);
// Decodes a PNG through the engine's reader: 0xAARRGGBB, rows top to bottom.
bool ReadPng(const std::string& path, int* w, int* h, std::vector<uint32_t>* pixels);

// Compares a picture (0xAABBGGRR, rows top to bottom) with
// tests/<folder>/<name>.png within a per-channel tolerance. A missing golden
// is written and kept, except under CI=true or after a failure in the test,
// where it fails; delete a golden to take a picture that changed on purpose.
void ExpectMatchesGolden(const std::string& folder, const std::string& name, const std::vector<uint32_t>& pixels, int w,
                         int h, int tolerance = 8);

} // namespace TestSupport
