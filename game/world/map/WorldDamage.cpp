#include "game/world/map/World.h"

#include "engine/core/Random.h"
#include "engine/render/IBlockMesh.h"

#include <algorithm>
#include <cmath>

void World::ApplyBlastDamage(float x, float y, float power, float radius)
{
    // Blasts arrive from the network: anything not finite is dropped, and
    // coordinates are clamped before they become tile numbers.
    if (!cells_ || !std::isfinite(x) || !std::isfinite(y) || !std::isfinite(power) || !std::isfinite(radius))
        return;
    const float limit = float(kMaxSide * kTileSize) * 2.0f;
    const float r = std::min(std::max(radius, float(kTileSize)), limit);
    power = std::max(-1.0e6f, std::min(power, 1.0e6f));
    auto tileOf = [&](float p) { return int(std::max(-limit, std::min(p, limit)) / kTileSize); };
    const int c0 = std::max(tileOf(x - r) - 2, 0), c1 = std::min(tileOf(x + r) + 2, width_ - 1);
    const int r0 = std::max(tileOf(y - r) - 2, 0), r1 = std::min(tileOf(y + r) + 2, height_ - 1);
    for (int ty = r0; ty <= r1; ++ty)
        for (int tx = c0; tx <= c1; ++tx) {
            const uint32_t cell = At(tx, ty);
            const int damage = int(cell >> kDamageShift);
            if (!(cell & kWall) || damage >= 255)
                continue;
            const float cx = float(tx * kTileSize + 16), cy = float(ty * kTileSize + 16);
            const float d = std::sqrt((cx - x) * (cx - x) + (cy - y) * (cy - y));
            if (!(d < r))
                continue;
            const float hit = CastRay(nullptr, nullptr, x, y, cx, cy, nullptr, nullptr, nullptr);
            if (!(hit < 0.0f || d - kTileSize < hit))
                continue;
            const int add = int(power * 0.25f * (1.0f - d / r));
            const int next = std::max(0, std::min(255, damage + add));
            At(tx, ty) = (cell & kStoredMask) | (uint32_t(next) << kDamageShift);
            if (next >= 255)
                DestroyWall(tx, ty);
            else
                RefreshWallQuad(tx, ty);
        }
}

// A wall that reached 255 loses its body and its wall-mesh cell; about one
// in three leaves rubble.
void World::DestroyWall(int tx, int ty)
{
    RemoveWallBody(tx, ty);
    if (Util::Random() % 3 == 1)
        At(tx, ty) |= kRubble;
    // Only a client builds the mesh.
    if (wallMesh_)
        wallMesh_->RemoveBlockAt(tx, ty);
}

int World::EncodeWallDamage(int start, uint8_t* out, int* next) const
{
    const int n = CellCount();
    if (start < 0 || start >= n || !out) {
        // A start from the network outside the grid answers nothing; the
        // asker learns the grid is done.
        if (next)
            *next = start < 0 ? n : start;
        return 0;
    }
    int written = 0;
    int runDamage = -1, runCount = 0;
    auto emit = [&](int damage, int count) {
        out[written++] = uint8_t(damage);
        out[written++] = uint8_t(count);
    };
    for (int i = start; i < n; ++i) {
        const uint32_t cell = cells_[i];
        if (!(cell & kWall))
            continue;
        const int damage = int(cell >> kDamageShift);
        if (runDamage < 0 || (damage == runDamage)) {
            runDamage = damage;
            if (++runCount == 255) {
                emit(runDamage, 255);
                runCount = 0;
                if (written >= kWallDamageBytes) {
                    *next = i + 1;
                    return written;
                }
            }
            continue;
        }
        // A run just closed at 255 has nothing left to send: a (d, 0) pair
        // here would end the message early and lose the cells after it.
        if (runCount > 0)
            emit(runDamage, runCount);
        runDamage = damage;
        runCount = 1;
        if (written >= kWallDamageBytes - 2) {
            // The cell that began the new run is sent again next time; the
            // terminator is left out when it would not fit.
            if (written + 2 <= kWallDamageBytes)
                emit(damage, 0);
            *next = i;
            return written;
        }
    }
    if (runCount > 0)
        emit(runDamage, runCount);
    *next = n;
    return written;
}

int World::DecodeWallDamage(const uint8_t* data, int length, int start)
{
    const int n = CellCount();
    if (!data || length < 2 || start < 0 || start >= n)
        return start < 0 ? 0 : std::min(start, n);
    int pos = 0, runDamage = 0, runLeft = 0;
    int i = start;
    for (; i < n; ++i) {
        const uint32_t cell = cells_[i];
        if (!(cell & kWall))
            continue;
        if (runLeft == 0) {
            if (length - pos < 2)
                break;
            runDamage = data[pos];
            runLeft = data[pos + 1];
            pos += 2;
            if (runLeft == 0)
                break;
        }
        --runLeft;
        const int old = int(cell >> kDamageShift);
        // A destroyed wall has lost its body: it stays destroyed.
        if (old >= 255)
            continue;
        cells_[i] = (cell & kStoredMask) | (uint32_t(runDamage) << kDamageShift);
        const int tx = i % width_, ty = i / width_;
        if (runDamage >= 255)
            DestroyWall(tx, ty);
        else
            RefreshWallQuad(tx, ty);
    }
    return i;
}
