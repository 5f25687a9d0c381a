#pragma once

#include "game/world/objects/ParticleBatch.h"

class ParticleSystem;

// A local visual effect; never replicated. A particle whose time is over
// deletes itself from inside its Update.
class ParticleObject {
public:
    ParticleObject(ParticleSystem* system, float x, float y);
    virtual ~ParticleObject();
    ParticleObject(const ParticleObject&) = delete;
    ParticleObject& operator=(const ParticleObject&) = delete;

    virtual void Update(float dt) = 0;
    virtual void Draw() {}
    virtual void DrawGround() {}
    // How much this particle lowers the visibility along the segment.
    virtual float GetOcclusion(float, float, float, float, float) { return 0.0f; }
    virtual bool Contains(float, float, float) { return false; }

    float x, y;

protected:
    ParticleSystem* system_;

private:
    friend class ParticleSystem;
    ParticleObject* prev_ = nullptr;
    ParticleObject* next_ = nullptr;
    bool linked_ = false;
};

class ParticleSystem {
public:
    // The oldest particle makes room for a new one beyond this many, so a
    // storm of explosions (or a match's blood pools) cannot grow memory
    // without bound.
    static constexpr int kMaxParticles = 4096;

    ParticleSystem() = default;
    virtual ~ParticleSystem();
    ParticleSystem(const ParticleSystem&) = delete;
    ParticleSystem& operator=(const ParticleSystem&) = delete;

    void Add(ParticleObject* particle);
    void Remove(ParticleObject* particle);
    void Clear();
    virtual bool IsInside(float x, float y, float r);
    // 1 for a clear line, down to 0 behind thick smoke.
    float GetVisibility(float x1, float y1, float x2, float y2);

    // Particles may delete themselves (and spawn others) while updated.
    void Update(float dt);
    void Draw();
    void DrawGround();
    int Count() const { return count_; }
    // Where the particles put their quads while a draw pass runs.
    ParticleBatch& GetBatch() { return batch_; }

private:
    void Trim(int keep);

    ParticleObject* head_ = nullptr;
    ParticleObject* tail_ = nullptr;
    int count_ = 0;
    bool clearing_ = false;
    bool updating_ = false;
    ParticleBatch batch_;
};

// Spawns into the process-wide system; nothing without one or with a
// non-finite position.
void SpawnExplosion(float x, float y, int kind);
void SpawnBlood(float x, float y, float direction);
void SpawnBloodPool(float x, float y);
void SpawnSmoke(float x, float y, float angle, float speed);
void SpawnSmokeTrail(float x, float y, float direction, float speed);
void SpawnFireParticle(float x, float y);
void SpawnDust(float x, float y, int kind);
