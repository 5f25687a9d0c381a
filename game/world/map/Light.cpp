#include "game/world/map/Light.h"

#include "game/world/state/ObjectManager.h"
#include "game/world/state/WorldServices.h"

#include <cmath>

namespace {
int gLiveTimed = 0;

float Clamp01(float v)
{
    if (!(v > 0.0f))
        return 0.0f;
    return v > 1.0f ? 1.0f : v;
}
} // namespace

Light::Light(float x, float y) : x_(x), y_(y) {}

Light::~Light()
{
    if (timed_)
        --gLiveTimed;
    if (ObjectManager* objects = Services().objects)
        objects->RemoveLight(this);
}

int Light::LiveTimedLights() { return gLiveTimed; }

bool Light::Update(float dt)
{
    if (!timed_)
        return false;
    const float e = elapsed_, l = lifetime_;
    if (e < l * 0.5f)
        power_ = e > 0.0f ? basePower_ * 2.0f * e / l : 0.0f;
    else if (e < l)
        power_ = basePower_ * (1.0f - 2.0f * (l - e) / l);
    else
        power_ = 0.0f;
    if (std::isfinite(dt))
        elapsed_ += dt;
    return elapsed_ >= lifetime_;
}

void Light::SetSize(float size) { size_ = size > 0.0f && std::isfinite(size) ? size : 0.0f; }

void Light::SetAngle(float degrees) { angle_ = std::isfinite(degrees) ? degrees : 0.0f; }

void Light::SetPower(float power) { power_ = basePower_ = power > 0.0f && std::isfinite(power) ? power : 0.0f; }

void Light::SetColor(float r, float g, float b)
{
    red_ = Clamp01(r);
    green_ = Clamp01(g);
    blue_ = Clamp01(b);
}

void Light::GetColor(float* r, float* g, float* b)
{
    *r = red_;
    *g = green_;
    *b = blue_;
}

void Light::SetPosition(float x, float y)
{
    if (std::isfinite(x) && std::isfinite(y)) {
        x_ = x;
        y_ = y;
    }
}

void Light::MakeTimed(float lifetime)
{
    if (!timed_)
        ++gLiveTimed;
    timed_ = true;
    lifetime_ = lifetime;
    elapsed_ = 0.0f;
}

ILight* CreateLight(float x, float y)
{
    if (!std::isfinite(x) || !std::isfinite(y))
        return nullptr;
    Light* light = new Light(x, y);
    if (ObjectManager* objects = Services().objects)
        objects->AddLight(light);
    return light;
}

ILight* CreateTimedLight(float x, float y, float seconds, float size, float power)
{
    if (gLiveTimed >= Light::kMaxTimedLights || !(seconds > 0.0f) || !std::isfinite(seconds))
        return nullptr;
    Light* light = static_cast<Light*>(CreateLight(x, y));
    if (!light)
        return nullptr;
    light->SetSize(size);
    light->SetPower(power);
    light->MakeTimed(seconds);
    return light;
}
