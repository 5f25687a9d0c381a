#include "engine/core/Random.h"
#include "engine/render/ITexture.h"
#include "game/world/geometry/Quad.h"
#include "game/world/objects/ParticleSystem.h"
#include "game/world/resources/CommonMedia.h"
#include "game/world/state/CameraPos.h"
#include "game/world/state/WorldServices.h"

#include <algorithm>
#include <cmath>

namespace {

int Rand() { return Util::Random(); }

// Directions turn into vectors with this factor (not quite pi / 180).
constexpr float kDegrees = 3.1516f / 180.0f;

void Heading(float degrees, float* dx, float* dy)
{
    const float r = (degrees - 90.0f) * kDegrees;
    *dx = std::cos(r);
    *dy = std::sin(r);
}

float Jitter() { return float(Rand() % 200 - 100) / 100.0f * 5.0f; }

CommonMedia* Media() { return Services().media; }

// A textured rectangle at a world position (top-left corner), sized w x h,
// into the pass's batch.
void DrawRect(ITexture* texture, int u0, int v0, int u1, int v1, float x, float y, float w, float h, float alpha)
{
    // The dedicated server has no renderer: its particles draw nothing.
    ParticleSystem* system = Services().particles;
    if (!texture || !system || !Services().renderer || alpha <= 0.0f)
        return;
    CameraPos* camera = Services().camera;
    const float cx = camera ? camera->x : 0.0f, cy = camera ? camera->y : 0.0f;
    Quad q;
    q.SetFromTextureRect(texture, u0, v0, u1, v1);
    q.Scale(w / float(std::max(1, u1 - u0)), h / float(std::max(1, v1 - v0)));
    q.Translate(x - cx, y - cy);
    q.depth = 0.0f;
    system->GetBatch().Add(texture, q, alpha);
}

int Width(ITexture* t) { return t ? t->GetWidth() : 0; }
int Height(ITexture* t) { return t ? t->GetHeight() : 0; }

void DrawWhole(ITexture* texture, float x, float y, float scale, float alpha)
{
    if (!texture)
        return;
    const int w = Width(texture), h = Height(texture);
    DrawRect(texture, 0, 0, w, h, x, y, w * scale, h * scale, alpha);
}

class ExplosionParticle : public ParticleObject {
public:
    ExplosionParticle(ParticleSystem* s, float x, float y, int kind) : ParticleObject(s, x, y), kind_(kind) {}
    void Update(float dt) override
    {
        frame_ += 8.0f * dt;
        if (int(frame_) >= (kind_ == 3 ? 16 : 8))
            delete this;
    }
    void Draw() override
    {
        CommonMedia* media = Media();
        if (!media || (kind_ != 2 && kind_ != 3))
            return;
        const int f = int(frame_), frames = kind_ == 2 ? 8 : 16, cell = kind_ == 2 ? 128 : 64;
        ITexture* sheet = kind_ == 2 ? media->explosionLarge : media->explosionSmall;
        if (f + 1 >= frames)
            return;
        const float side = cell * 2.0f;
        DrawRect(sheet, cell * f, 0, cell * f + cell, cell, x - side / 2, y - side / 2, side, side, 1.0f);
        DrawRect(sheet, cell * (f + 1), 0, cell * (f + 2), cell, x - side / 2, y - side / 2, side, side, 0.0f);
    }

private:
    float frame_ = 0.0f;
    int kind_;
};

class BloodParticle : public ParticleObject {
public:
    BloodParticle(ParticleSystem* s, float x, float y, int kind, float direction)
        : ParticleObject(s, x, y), kind_(kind), direction_(direction)
    {
        for (Drop& d : drops_)
            d.life = -1.0f;
        if (kind_ == 1 && Media())
            pool_ = Media()->bloodPools[Rand() % 3];
    }
    void Update(float dt) override
    {
        age_ += dt;
        if (kind_ == 1)
            return;
        if (age_ >= 2.0f) {
            delete this;
            return;
        }
        if (!poolSpawned_) {
            poolSpawned_ = true;
            float dx, dy;
            Heading(direction_, &dx, &dy);
            SpawnBloodPool(x + dx * 35.0f, y + dy * 35.0f);
        }
        if (age_ < 0.2f) {
            remainder_ += dt;
            int n = int(remainder_ * 100.0f);
            if (n > 0)
                remainder_ -= n / 100.0f;
            for (Drop& d : drops_) {
                if (n <= 0)
                    break;
                if (d.life > 0.0f)
                    continue;
                d = {x, y, direction_ + Jitter(), float(Rand() % 100 + 60), 0.3f};
                --n;
            }
        }
        for (Drop& d : drops_) {
            if (d.life < 0.0f)
                continue;
            float dx, dy;
            Heading(d.direction, &dx, &dy);
            d.x += dx * d.speed * dt;
            d.y += dy * d.speed * dt;
            d.life -= dt;
        }
    }
    void DrawGround() override
    {
        if (kind_ == 0) {
            ITexture* drop = Media() ? Media()->bloodDrop : nullptr;
            for (const Drop& d : drops_) {
                if (d.life >= 0.0f)
                    DrawWhole(drop, d.x - 2.0f, d.y - 2.0f, 1.0f, 0.5f);
            }
            return;
        }
        const float g = age_ * 2.0f - 0.2f;
        if (!pool_ || g <= 0.0f)
            return;
        const float c = std::min(1.0f, g), scale = c * 0.3f + 0.7f;
        const float w = Width(pool_) * scale, h = Height(pool_) * scale;
        DrawWhole(pool_, x - w / 2, y - h / 2, scale, c);
    }

private:
    struct Drop {
        float x, y, direction, speed, life;
    };
    int kind_;
    float direction_;
    float age_ = 0.0f;
    float remainder_ = 0.0f;
    bool poolSpawned_ = false;
    ITexture* pool_ = nullptr;
    Drop drops_[100];
};

class SmokeParticle : public ParticleObject {
public:
    SmokeParticle(ParticleSystem* s, float x, float y, int kind, float direction, float speed)
        : ParticleObject(s, x, y), kind_(kind), direction_(direction), speed_(speed)
    {
    }
    void Update(float dt) override
    {
        age_ += dt;
        if (age_ > 60.0f) {
            delete this;
            return;
        }
        if (kind_ == 0 && age_ < 20.0f) {
            remainder_ += dt;
            int n = int(remainder_ * 20.0f);
            if (n > 0)
                remainder_ -= n / 20.0f;
            for (Puff& p : puffs_) {
                if (n <= 0)
                    break;
                if (!p.active) {
                    Start(p, float(Rand() % 30 + 40));
                    --n;
                }
            }
        } else if (kind_ == 1 && age_ < 5.0f) {
            age_ = 5.0f;
            for (int i = 0; i < 10; ++i)
                Start(puffs_[i], float(Rand() % 30 + 2));
        }
        for (int i = Count() - 1; i >= 0; --i) {
            Puff& p = puffs_[i];
            if (!p.active)
                continue;
            p.speed = std::max(p.minSpeed, p.speed - 5.0f * dt);
            float speed = p.speed;
            if (kind_ == 1) {
                const float f = std::max(0.0f, (0.7f - p.age) / 0.7f);
                speed = (1.0f - f) * p.speed + speed_ * 0.2f * f;
            }
            float dx, dy;
            Heading(p.direction, &dx, &dy);
            p.x += dx * speed * dt;
            p.y += dy * speed * dt;
            p.age += dt;
            if (p.age > (kind_ == 0 ? 30.0f : 8.0f))
                p.active = false;
        }
    }
    void Draw() override
    {
        CommonMedia* media = Media();
        if (!media)
            return;
        for (int i = Count() - 1; i >= 0; --i) {
            const Puff& p = puffs_[i];
            if (!p.active)
                continue;
            if (kind_ == 0) {
                const float size = Size(p);
                const float alpha = p.age >= 28.0f ? std::max(0.0f, 1.0f - (p.age - 28.0f) * 0.5f) : 1.0f;
                DrawWhole(media->smokePuff, p.x - size * 16.0f, p.y - size * 16.0f, size, alpha);
            } else {
                const float alpha = p.age < 1.0f ? (p.age * 0.8f + 0.2f) * 0.5f : 0.5f;
                const int frame = std::min(int(p.age * 8.0f), 7);
                DrawRect(media->smokeTrails[0], 32 * frame, 0, 32 * frame + 32, 32, p.x - 16, p.y - 16, 32, 32, alpha);
            }
        }
    }
    float GetOcclusion(float x1, float y1, float x2, float y2, float current) override
    {
        if (kind_ != 0 || x < std::min(x1, x2) - 500 || x > std::max(x1, x2) + 500 || y < std::min(y1, y2) - 500 ||
            y > std::max(y1, y2) + 500)
            return 0.0f;
        float sum = 0.0f;
        for (int i = Count() - 1; i >= 0; --i) {
            const Puff& p = puffs_[i];
            const float size = Size(p);
            if (!p.active || size <= 2.0f)
                continue;
            const float d = DistanceToSegment(p.x, p.y, x1, y1, x2, y2);
            if (d < 40.0f) {
                sum += size * 0.125f * ((1.0f - (d - 15.0f) / 25.0f) / 10.0f);
                if (sum >= current)
                    return sum;
            }
        }
        return sum;
    }
    bool Contains(float px, float py, float r) override
    {
        if (kind_ != 0 || std::fabs(px - x) > 500.0f || std::fabs(py - y) > 500.0f)
            return false;
        for (const Puff& p : puffs_) {
            const float size = Size(p);
            if (p.active && size > 2.0f && p.age < 29.0f && std::hypot(p.x - px, p.y - py) < size * 16.0f + r - 40.0f)
                return true;
        }
        return false;
    }

private:
    struct Puff {
        float x = 0, y = 0, direction = 0, speed = 0, minSpeed = 0, age = 0;
        bool active = false;
    };
    int Count() const { return kind_ == 0 ? 20 : 10; }
    static float Size(const Puff& p) { return p.age < 5.0f ? ((p.age / 5.0f) * 0.8f + 0.2f) * 8.0f : 8.0f; }
    void Start(Puff& p, float speed)
    {
        p.x = x;
        p.y = y;
        p.direction = direction_ + Jitter();
        p.speed = speed;
        p.age = 0.0f;
        p.minSpeed = std::min(3.0f, float(Rand() % 100) / 10.0f + 0.1f);
        p.active = true;
    }
    static float DistanceToSegment(float px, float py, float x1, float y1, float x2, float y2)
    {
        const float dx = x2 - x1, dy = y2 - y1, len = dx * dx + dy * dy;
        float t = len > 0.0f ? ((px - x1) * dx + (py - y1) * dy) / len : 0.0f;
        t = std::max(0.0f, std::min(1.0f, t));
        return std::hypot(x1 + t * dx - px, y1 + t * dy - py);
    }

    int kind_;
    float direction_, speed_;
    float age_ = 0.0f, remainder_ = 0.0f;
    Puff puffs_[20];
};

class FireParticle : public ParticleObject {
public:
    FireParticle(ParticleSystem* s, float x, float y)
        : ParticleObject(s, x, y), hotX_(x - 50 + Rand() % 100), hotY_(y - 50 + Rand() % 100)
    {
    }
    void Update(float dt) override
    {
        if (age_ < 8.0f) {
            timer_ += dt;
            if (timer_ > 0.05f) {
                timer_ = 0.0f;
                int started = 0;
                for (Flame& f : flames_) {
                    if (started == 6)
                        break;
                    if (f.active)
                        continue;
                    float dx, dy;
                    Heading(float(Rand() % 360), &dx, &dy);
                    const float speed = float(Rand() % 100) / 5.0f + 4.0f;
                    f = {x - 10 + float(Rand() % 200) / 10,
                         y - 10 + float(Rand() % 200) / 10,
                         dx * speed,
                         dy * speed,
                         float(Rand() % 100) * 0.01f * 0.3f,
                         true};
                    ++started;
                }
            }
        }
        for (Flame& f : flames_) {
            if (!f.active)
                continue;
            f.x += f.vx * dt;
            f.y += f.vy * dt;
            f.age += dt;
            if (f.age > 2.0f)
                f.active = false;
        }
        age_ += dt;
        if (age_ >= 10.0f)
            delete this;
    }
    void Draw() override
    {
        CommonMedia* media = Media();
        if (!media)
            return;
        for (const Flame& f : flames_) {
            if (!f.active)
                continue;
            const float d2 = (f.x - hotX_) * (f.x - hotX_) + (f.y - hotY_) * (f.y - hotY_);
            ITexture* t = media->flames[d2 < 100.0f ? 0 : (d2 < 900.0f ? 1 : 2)];
            DrawWhole(t, f.x - Width(t) / 2.0f, f.y - Height(t) / 2.0f, 1.0f, 1.0f);
        }
    }

private:
    struct Flame {
        float x = 0, y = 0, vx = 0, vy = 0, age = 0;
        bool active = false;
    };
    float hotX_, hotY_;
    float age_ = 0.0f, timer_ = 0.0f;
    Flame flames_[100];
};

class DustParticle : public ParticleObject {
public:
    DustParticle(ParticleSystem* s, float x, float y, int kind) : ParticleObject(s, x, y), kind_(kind == 2 ? 2 : 1)
    {
        for (int i = 0; i < Count(); ++i) {
            Grain& g = grains_[i];
            g.x = x - float(Rand() % 4 + 2);
            g.y = y - float(Rand() % 4 + 2);
            const float a = float(Rand() % 3600) / 3600.0f * 6.2831853f;
            g.dx = std::cos(a);
            g.dy = std::sin(a);
            g.speed = float(Rand() % 20) * 0.1f + 2.0f;
        }
    }
    void Update(float dt) override
    {
        for (int i = 0; i < Count(); ++i) {
            Grain& g = grains_[i];
            if (kind_ == 1) {
                if (g.speed > 0.0f) {
                    g.x += g.dx * g.speed * dt * 6.0f;
                    g.y += g.dy * g.speed * dt * 6.0f;
                    g.speed -= dt;
                }
            } else {
                g.x += g.dx * g.speed * dt * 50.0f;
                g.y += g.dy * g.speed * dt * 50.0f;
            }
        }
        age_ += dt;
        if (age_ >= (kind_ == 1 ? 0.6f : 0.3f))
            delete this;
    }
    void Draw() override
    {
        CommonMedia* media = Media();
        if (!media)
            return;
        const float fade = kind_ == 1 ? (age_ - 0.3f) / 0.3f : (age_ - 0.25f) / 0.05f;
        const float alpha = 1.0f - std::max(0.0f, std::min(1.0f, fade));
        for (int i = 0; i < Count(); ++i) {
            if (kind_ == 1)
                DrawWhole(media->dust[0], grains_[i].x - 5.6f, grains_[i].y - 5.6f, 0.7f, alpha * 0.3f);
            else
                DrawWhole(media->dust[1], grains_[i].x - 5.6f, grains_[i].y - 5.6f, 1.0f, alpha);
        }
    }

private:
    struct Grain {
        float x, y, dx, dy, speed;
    };
    int Count() const { return kind_ == 1 ? 10 : 3; }
    int kind_;
    float age_ = 0.0f;
    Grain grains_[10];
};

bool Finite(float a, float b) { return std::isfinite(a) && std::isfinite(b); }

template <class P, class... A> void Spawn(float x, float y, A... args)
{
    ParticleSystem* system = Services().particles;
    if (system && Finite(x, y))
        system->Add(new P(system, x, y, args...));
}

} // namespace

void SpawnExplosion(float x, float y, int kind) { Spawn<ExplosionParticle>(x, y, kind); }

void SpawnBlood(float x, float y, float direction)
{
    if (std::isfinite(direction))
        Spawn<BloodParticle>(x, y, 0, direction);
}

void SpawnBloodPool(float x, float y)
{
    if (Finite(x, y))
        Spawn<BloodParticle>(std::floor(x), std::floor(y), 1, 0.0f);
}

void SpawnSmoke(float x, float y, float angle, float speed)
{
    if (Finite(x, y) && Finite(angle, speed))
        Spawn<SmokeParticle>(std::floor(x), std::floor(y), 0, angle - 90.0f, speed);
}

void SpawnSmokeTrail(float x, float y, float direction, float speed)
{
    if (Finite(x, y) && Finite(direction, speed))
        Spawn<SmokeParticle>(std::floor(x), std::floor(y), 1, direction, speed);
}

void SpawnFireParticle(float x, float y) { Spawn<FireParticle>(x, y); }

void SpawnDust(float x, float y, int kind) { Spawn<DustParticle>(x, y, kind); }
