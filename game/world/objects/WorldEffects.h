#pragma once

#include "game/world/objects/Object.h"

class IParticle;

// A moving fire: burns at its origin on behalf of its owner while serving,
// throws flames on clients, and goes after its lifetime everywhere.
class Fire : public Object {
public:
    // The definition is the weapon that lit it, credited with its damage.
    explicit Fire(int definitionId = 0);
    const MPAPI::FieldRecord* GetFieldTable() override;
    void Update(float dt) override;
    void Draw() override {}
    void DrawShadowCaster(float, float, float) override {}
    void DrawUpperLayer(float, float, float, bool) override {}
    // Bad numbers from a caller or the network leave the fire where it was.
    void Start(float x, float y, float dirX, float dirY, float speed, float size, float lifetime, int owner);

    float originX = 0.0f, originY = 0.0f;
    float dirX = 0.0f, dirY = 0.0f;
    float speed = 0.0f;
    float size = 10.0f;
    float value = 0.0f;
    float lifetime = 10.0f;
    float age = 0.0f;
    float particleTimer = 0.0f;
    int32_t burstsLeft = 1;
    float damageTimer = 0.0f;
    int32_t owner = 0;
};

// A dead player: animates, grows a pool, and is gibbed by a blast.
class DeadPlayer : public Object {
public:
    DeadPlayer();
    ~DeadPlayer() override;
    const MPAPI::FieldRecord* GetFieldTable() override;
    void LoadProperties() override;
    void TakeBlastDamage(float blastX, float blastY, float amount, int32_t, int32_t) override;
    bool IsAlive() override { return true; }
    void Update(float dt) override;
    void Draw() override;
    void DrawShadowCaster(float, float, float) override {}
    void DrawUpperLayer(float, float, float, bool) override {}
    bool IsGibbed() const { return gibbed_ != 0; }
    float GetAge() const { return age_; }
    uint8_t playerId = 0;

private:
    int32_t VictimId() const;

    float age_ = 0.0f;
    int32_t variant_;
    uint8_t gibbed_ = 0;
    ISprite* pool_ = nullptr;
};

// Debris: variant 1 a patch on the ground, 2 to 7 flying pieces.
class Mess : public Object {
public:
    Mess();
    const MPAPI::FieldRecord* GetFieldTable() override;
    void LoadProperties() override;
    void ApplyFriction() override;
    void Update(float dt) override;
    void Draw() override;
    void DrawShadowCaster(float, float, float) override {}
    void DrawUpperLayer(float, float, float, bool) override {}
    // Flying pieces get a sphere body at the position and angle.
    void StartUp();
    uint16_t variant = 0;
    float scale = 1.0f;
};

// Fragments of a hit (type + 20: one or two) or a break (thirty).
class BreakParticle : public Object {
public:
    static constexpr int kMaxFragments = 30;
    BreakParticle();
    ~BreakParticle() override;
    const MPAPI::FieldRecord* GetFieldTable() override;
    void Update(float dt) override;
    void Draw() override;
    void DrawShadowCaster(float, float, float) override {}
    void DrawUpperLayer(float, float, float, bool) override {}
    int GetCount() const { return count_; }
    bool IsSettled() const { return settled_ != 0; }
    bool IsFrozen() const { return frozen_ != 0; }

    struct Particle {
        IParticle* sprite = nullptr;
        float angle = 0.0f, x = 0.0f, y = 0.0f, dirX = 0.0f, dirY = 0.0f, speed = 0.0f;
        int32_t frame = 0;
    };
    float blastX = 0.0f, blastY = 0.0f, amount = 0.0f;
    uint8_t type = 0;

private:
    void Spawn();
    Particle particles_[kMaxFragments];
    int32_t count_ = 0;
    ITexture* texture_ = nullptr;
    float age_ = 0.0f;
    uint8_t settled_ = 0;
    uint8_t frozen_ = 0;
};

// A puff of dust particles, once; the object goes with its first update.
class Dust : public Object {
public:
    Dust();
    const MPAPI::FieldRecord* GetFieldTable() override;
    void Update(float dt) override;
    void Draw() override {}
    void DrawShadowCaster(float, float, float) override {}
    void DrawUpperLayer(float, float, float, bool) override {}
    uint8_t type = 0;
};

// Six flying pieces pushed away from the blast point.
void SpawnDebris(float x, float y, float blastX, float blastY, float power);

// Each made, registered and replicated; null for a position not finite.
// The dead body a killed player leaves.
Object* CreateCorpse(Object* player);
// A patch on the ground (variant 1, a scorch of random size) or a piece.
Object* CreateMess(int variant, float x, float y, float angle);
// Fragments at (x, y): type is the material, or material + 20 for a hit
// that did not break the object; pushed away from the blast point by amount.
Object* CreateBreakParticle(float x, float y, float blastX, float blastY, float amount, int type);
// A puff of dust of the type (1 or 2) at (x, y), blown along the angle.
Object* CreateDust(float x, float y, float angle, int type);
// A fire moving from (x, y) along the direction, burning for its owner.
Object* CreateFire(float x, float y, float dirX, float dirY, float speed, float size, float lifetime, float damage,
                   int ownerId, int definitionId);
