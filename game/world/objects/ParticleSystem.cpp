#include "game/world/objects/ParticleSystem.h"

#include "game/world/state/WorldServices.h"

ParticleObject::ParticleObject(ParticleSystem* system, float x0, float y0) : x(x0), y(y0), system_(system) {}

ParticleObject::~ParticleObject()
{
    if (system_ && linked_)
        system_->Remove(this);
}

ParticleSystem::~ParticleSystem() { Clear(); }

void ParticleSystem::Add(ParticleObject* particle)
{
    if (!particle || particle->linked_)
        return;
    // During an update the oldest may be the particle being updated; the
    // update trims once it is done.
    if (!updating_)
        Trim(kMaxParticles - 1);
    particle->system_ = this;
    particle->prev_ = tail_;
    particle->next_ = nullptr;
    (tail_ ? tail_->next_ : head_) = particle;
    tail_ = particle;
    particle->linked_ = true;
    ++count_;
}

void ParticleSystem::Remove(ParticleObject* particle)
{
    if (clearing_ || !particle || !particle->linked_ || particle->system_ != this)
        return;
    (particle->prev_ ? particle->prev_->next_ : head_) = particle->next_;
    (particle->next_ ? particle->next_->prev_ : tail_) = particle->prev_;
    particle->prev_ = particle->next_ = nullptr;
    particle->linked_ = false;
    --count_;
}

void ParticleSystem::Clear()
{
    clearing_ = true;
    ParticleObject* p = head_;
    head_ = tail_ = nullptr;
    count_ = 0;
    while (p) {
        ParticleObject* next = p->next_;
        p->linked_ = false;
        delete p;
        p = next;
    }
    clearing_ = false;
}

bool ParticleSystem::IsInside(float x, float y, float r)
{
    for (ParticleObject* p = head_; p; p = p->next_) {
        if (p->Contains(x, y, r))
            return true;
    }
    return false;
}

float ParticleSystem::GetVisibility(float x1, float y1, float x2, float y2)
{
    float v = 1.0f;
    for (ParticleObject* p = head_; p && v > 0.0f; p = p->next_)
        v -= p->GetOcclusion(x1, y1, x2, y2, v);
    return v > 0.0f ? v : 0.0f;
}

void ParticleSystem::Trim(int keep)
{
    while (count_ > keep && head_)
        delete head_;
}

void ParticleSystem::Update(float dt)
{
    updating_ = true;
    // Particles spawned during the walk are updated from the next frame on;
    // the tail at the start bounds the walk.
    ParticleObject* last = tail_;
    for (ParticleObject* p = head_; p;) {
        ParticleObject* next = p->next_;
        const bool end = p == last;
        p->Update(dt);
        if (end)
            break;
        p = next;
    }
    updating_ = false;
    Trim(kMaxParticles);
}

void ParticleSystem::Draw()
{
    for (ParticleObject* p = head_; p; p = p->next_)
        p->Draw();
    batch_.Flush(Services().renderer);
}

void ParticleSystem::DrawGround()
{
    for (ParticleObject* p = head_; p; p = p->next_)
        p->DrawGround();
    batch_.Flush(Services().renderer);
}
