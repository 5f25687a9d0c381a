#include "game/world/objects/WorldEffects.h"

#include "engine/core/Random.h"
#include "engine/render/IParticle.h"
#include "engine/render/IParticlePainter.h"
#include "engine/render/ISpritePainter.h"
#include "game/world/geometry/Quad.h"
#include "game/world/objects/ObjectContacts.h"
#include "game/world/objects/ObjectView.h"
#include "game/world/phys/MovingObject.h"
#include "game/world/phys/PhysicsEngine.h"
#include "game/world/phys/SphereHull.h"
#include "game/world/resources/CommonMedia.h"
#include "game/world/resources/IResource.h"
#include "game/world/state/ObjectManager.h"
#include "game/world/state/WorldServices.h"

#include <cmath>

namespace {

bool Finite(float a, float b) { return std::isfinite(a) && std::isfinite(b); }

// Degrees, 0 pointing up, of the direction from (x0, y0) to (x1, y1).
float AngleBetweenPoints(float x0, float y0, float x1, float y1)
{
    return std::atan2(y1 - y0, x1 - x0) * 180.0f / 3.1416f + 90.0f;
}

} // namespace

// ---- Fire

Fire::Fire(int definitionId) : Object(19, definitionId) {}

const MPAPI::FieldRecord* Fire::GetFieldTable()
{
    static const MPAPI::FieldRecord table[] = {
        {MPAPI::kFieldFloat, OffsetOf(&x_), 0, 0, 0},      {MPAPI::kFieldFloat, OffsetOf(&y_), 0, 0, 0},
        {MPAPI::kFieldFloat, OffsetOf(&dirX), 0, 0, 0},    {MPAPI::kFieldFloat, OffsetOf(&dirY), 0, 0, 0},
        {MPAPI::kFieldFloat, OffsetOf(&speed), 0, 0, 0},   {MPAPI::kFieldWord, OffsetOf(&size), 0, 0, 0},
        {MPAPI::kFieldWord, OffsetOf(&lifetime), 0, 0, 0}, {MPAPI::kFieldEnd, 0, 0, 0, 0},
    };
    return table;
}

void Fire::Start(float x, float y, float dx, float dy, float v, float s, float life, int ownerId)
{
    if (!Finite(x, y) || !Finite(dx, dy) || !Finite(v, s) || !std::isfinite(life))
        return;
    x_ = originX = x;
    y_ = originY = y;
    dirX = dx;
    dirY = dy;
    speed = v;
    size = s;
    lifetime = life;
    owner = ownerId;
}

void Fire::Update(float dt)
{
    float nx = x_ + dt * speed * dirX, ny = y_ + dt * speed * dirY;
    // Replicated values may be anything; a position stays finite.
    if (Finite(nx, ny)) {
        x_ = nx;
        y_ = ny;
    }
    if (IsClient()) {
        particleTimer += dt;
        if (burstsLeft > 0 && particleTimer >= 0.15f) {
            particleTimer = 0.0f;
            --burstsLeft;
            if (IObjectOutput* out = Services().output)
                out->SpawnFireParticle(x_, y_, x_ + size * dirX * speed * 0.3f, y_ + size * dirY * speed * 0.3f, size,
                                       lifetime);
        }
    }
    if (IsServing()) {
        damageTimer += dt;
        if (damageTimer > 0.4f) {
            damageTimer = 0.0f;
            if (IPlayerContacts* players = Services().contacts)
                players->ApplyFireDamage(owner, originX, originY, definitionId_);
        }
    }
    age += dt;
    // Also ends a fire whose replicated lifetime is not a number.
    if (!(age <= lifetime))
        delete this;
}

// ---- DeadPlayer

// Clients make corpses on the receive thread: the variant is drawn on the
// game thread, once the corpse is ready.
DeadPlayer::DeadPlayer() : Object(3, -1), variant_(-1) {}

DeadPlayer::~DeadPlayer()
{
    if (pool_ && Services().spritePainter)
        Services().spritePainter->DestroySprite(pool_);
}

const MPAPI::FieldRecord* DeadPlayer::GetFieldTable()
{
    static const MPAPI::FieldRecord table[] = {
        {MPAPI::kFieldWord, OffsetOf(&x_), 0, 0, 0},       {MPAPI::kFieldWord, OffsetOf(&y_), 0, 0, 0},
        {MPAPI::kFieldWord, OffsetOf(&angle_), 0, 0, 0},   {MPAPI::kFieldWord, OffsetOf(&age_), 0, 0, 0},
        {MPAPI::kFieldByte, OffsetOf(&playerId), 0, 0, 0}, {MPAPI::kFieldEnd, 0, 0, 0, 0},
    };
    return table;
}

void DeadPlayer::LoadProperties()
{
    if (variant_ < 0)
        variant_ = Util::Random() % 3;
    Object::LoadProperties();
    ObjectView::MakeSprite(&sprite_, height_);
    ObjectView::MakeSprite(&pool_, height_);
}

void DeadPlayer::TakeBlastDamage(float blastX, float blastY, float amount, int32_t, int32_t)
{
    if (!IsServing() || gibbed_ || !Finite(blastX, blastY) || !std::isfinite(amount))
        return;
    SpawnDebris(x_, y_, blastX, blastY, amount * 20.0f + 20.0f);
    CommonMedia* media = Services().media;
    IAudioBuffer* gib = media ? media->gibs[Util::Random() % 3] : nullptr;
    if (gib && Services().output)
        Services().output->TriggerShared(gib, x_, y_, 0, 0.1f);
    gibbed_ = 1;
}

void DeadPlayer::Update(float dt)
{
    if (IsServing() && gibbed_) {
        delete this;
        return;
    }
    // The age arrives from the network too: anything but a number in range
    // counts as the end.
    age_ = age_ + dt;
    if (!(age_ < 10.0f))
        age_ = 10.0f;
    if (age_ < 0.0f)
        age_ = 0.0f;
}

// ---- Mess

Mess::Mess() : Object(4, -1) {}

const MPAPI::FieldRecord* Mess::GetFieldTable()
{
    static const MPAPI::FieldRecord table[] = {
        {MPAPI::kFieldFloat, OffsetOf(&x_), 0, 0, 0},    {MPAPI::kFieldFloat, OffsetOf(&y_), 0, 0, 0},
        {MPAPI::kFieldWord, OffsetOf(&angle_), 0, 0, 0}, {MPAPI::kFieldInt16, OffsetOf(&variant), 0, 0, 0},
        {MPAPI::kFieldWord, OffsetOf(&scale), 0, 0, 0},  {MPAPI::kFieldEnd, 0, 0, 0, 0},
    };
    return table;
}

void Mess::LoadProperties()
{
    Object::LoadProperties();
    ObjectView::MakeSprite(&sprite_, 0);
}

void Mess::StartUp()
{
    PhysEng::PhysicsEngine* physics = Services().physics;
    if (variant < 2 || variant > 7 || !physics)
        return;
    delete body_;
    PhysEng::MovingObject* body = physics->NewMovingObject();
    body->SetOwner(this);
    body->Attach(new PhysEng::SphereHull(10.0f));
    body->ResetPose(0.0f, 0.0f);
    body->SetAngle(angle_);
    body->MoveBy(x_, y_);
    body_ = body;
}

void Mess::ApplyFriction()
{
    if (variant >= 2 && variant <= 7 && body_)
        body_->ApplyFriction(300.0f);
}

void Mess::Update(float)
{
    if (variant >= 2 && variant <= 7 && body_) {
        const Position& pose = body_->GetPose();
        if (Finite(pose.x, pose.y) && std::isfinite(pose.angle)) {
            x_ = pose.x;
            y_ = pose.y;
            angle_ = pose.angle;
        }
    }
}

void SpawnDebris(float x, float y, float blastX, float blastY, float power)
{
    if (!Finite(x, y) || !Finite(blastX, blastY) || !std::isfinite(power))
        return;
    for (int variant = 2; variant <= 7; ++variant) {
        Mess* piece = new Mess();
        piece->variant = uint16_t(variant);
        piece->SetPositionAngle(x, y, float(Util::Random() % 360));
        piece->LoadProperties();
        piece->StartUp();
        if (PhysEng::Object* body = piece->GetBody()) {
            // Away from the blast, spread a little per piece.
            float heading = std::atan2(y - blastY, x - blastX) + float(Util::Random() % 100 - 50) / 100.0f;
            float impulse[2] = {std::cos(heading) * power, std::sin(heading) * power};
            float point[2] = {x, y};
            body->ApplyImpulse(point, impulse);
        }
        AddToWorld(piece);
    }
}

// ---- BreakParticle

BreakParticle::BreakParticle() : Object(5, -1) {}

BreakParticle::~BreakParticle()
{
    IParticlePainter* painter = Services().particlePainter;
    for (int i = 0; i < count_; ++i)
        if (particles_[i].sprite && painter)
            painter->DestroyParticle(particles_[i].sprite);
}

const MPAPI::FieldRecord* BreakParticle::GetFieldTable()
{
    static const MPAPI::FieldRecord table[] = {
        {MPAPI::kHeaderEffect, 0, 0, 0, 0},
        {MPAPI::kFieldWord, OffsetOf(&x_), 0, 0, 0},
        {MPAPI::kFieldWord, OffsetOf(&y_), 0, 0, 0},
        {MPAPI::kFieldWord, OffsetOf(&blastX), 0, 0, 0},
        {MPAPI::kFieldWord, OffsetOf(&blastY), 0, 0, 0},
        {MPAPI::kFieldWord, OffsetOf(&amount), 0, 0, 0},
        {MPAPI::kFieldByte, OffsetOf(&type), 0, 0, 0},
        {MPAPI::kFieldBool, OffsetOf(&settled_), 0, 0, 0},
        {MPAPI::kFieldEnd, 0, 0, 0, 0},
    };
    return table;
}

void BreakParticle::Spawn()
{
    bool small = type >= 21 && type <= 24;
    int material = small ? type - 20 : type;
    CommonMedia* media = Services().media;
    if (media) {
        ITexture* images[] = {media->fragmentWood, media->fragmentMetal, media->fragmentWall, media->fragmentGlass};
        texture_ = material >= 1 && material <= 4 ? images[material - 1] : media->fragmentWood;
    }
    count_ = small ? Util::Random() % 2 + 1 : kMaxFragments;
    bool pushed = amount > 0.0f && Finite(blastX, blastY);
    IParticlePainter* painter = Services().particlePainter;
    for (int i = 0; i < count_; ++i) {
        Particle& p = particles_[i];
        p.angle = float(Util::Random() % 360);
        if (small) {
            p.x = x_ - 2.0f + Util::Random() % 5;
            p.y = y_ - 2.0f + Util::Random() % 5;
        } else {
            p.x = x_ - 16.0f + Util::Random() % 32;
            p.y = y_ - 16.0f + Util::Random() % 32;
        }
        float heading = small ? float(Util::Random() % 360)
                              : AngleBetweenPoints(pushed ? blastX : x_, pushed ? blastY : y_, p.x, p.y) -
                                    float(Util::Random() % 10 + 5);
        float r = (heading - 90.0f) / 180.0f * 3.1416f;
        p.dirX = std::cos(r);
        p.dirY = std::sin(r);
        p.speed = pushed ? amount * 0.03f + float(Util::Random() % 5 + 1) : float(Util::Random() % 5 + 1);
        if (!std::isfinite(p.speed))
            p.speed = 1.0f;
        if (settled_) {
            p.x += p.speed * p.dirX * 5.0f;
            p.y += p.speed * p.dirY * 5.0f;
            p.speed = 0.0f;
        }
        p.frame = Util::Random() % 6;
        if (painter && texture_) {
            p.sprite = painter->CreateParticle(p.x, p.y, p.frame * 8, 0, p.frame * 8 + 8, 8, texture_);
            if (p.sprite)
                p.sprite->SetAngle(p.angle);
        }
    }
}

// ---- Dust

Dust::Dust() : Object(6, -1) {}

const MPAPI::FieldRecord* Dust::GetFieldTable()
{
    static const MPAPI::FieldRecord table[] = {
        {MPAPI::kHeaderEffect, 0, 0, 0, 0},
        {MPAPI::kFieldWord, OffsetOf(&x_), 0, 0, 0},
        {MPAPI::kFieldWord, OffsetOf(&y_), 0, 0, 0},
        {MPAPI::kFieldWord, OffsetOf(&angle_), 0, 0, 0},
        {MPAPI::kFieldByte, OffsetOf(&type), 0, 0, 0},
        {MPAPI::kFieldEnd, 0, 0, 0, 0},
    };
    return table;
}

Object* CreateCorpse(Object* player)
{
    auto* corpse = new DeadPlayer();
    float x, y;
    player->GetPosition(&x, &y);
    corpse->SetPositionAngle(x, y, player->GetAngle());
    corpse->playerId = uint8_t(player->GetNetworkId());
    corpse->LoadProperties();
    return AddToWorld(corpse);
}

Object* CreateMess(int variant, float x, float y, float angle)
{
    if (!std::isfinite(x) || !std::isfinite(y) || !std::isfinite(angle))
        return nullptr;
    Mess* mess = new Mess();
    mess->variant = uint16_t(variant);
    // 1.0 to 2.4 in tenths.
    mess->scale = variant == 1 ? 1.0f + float(Util::Random() % 15) / 10.0f : 1.0f;
    mess->SetPositionAngle(x, y, angle);
    mess->LoadProperties();
    mess->StartUp();
    return AddToWorld(mess);
}

Object* CreateBreakParticle(float x, float y, float blastX, float blastY, float amount, int type)
{
    if (!Finite(x, y))
        return nullptr;
    auto* fragments = new BreakParticle();
    fragments->SetPositionAngle(x, y, 0.0f);
    fragments->blastX = blastX;
    fragments->blastY = blastY;
    fragments->amount = amount;
    fragments->type = uint8_t(type);
    fragments->LoadProperties();
    return AddToWorld(fragments);
}

Object* CreateDust(float x, float y, float angle, int type)
{
    if (!Finite(x, y) || !std::isfinite(angle))
        return nullptr;
    auto* dust = new Dust();
    dust->SetPositionAngle(x, y, angle);
    dust->type = uint8_t(type);
    dust->LoadProperties();
    return AddToWorld(dust);
}

Object* CreateFire(float x, float y, float dirX, float dirY, float speed, float size, float lifetime, float damage,
                   int ownerId, int definitionId)
{
    if (!std::isfinite(x) || !std::isfinite(y))
        return nullptr;
    Fire* fire = new Fire(definitionId);
    fire->Start(x, y, dirX, dirY, speed, size, lifetime, ownerId);
    fire->value = std::isfinite(damage) ? damage : 0.0f;
    fire->LoadProperties();
    return AddToWorld(fire);
}
