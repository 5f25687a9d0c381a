#pragma once

#include "game/world/map/ILight.h"

class LightPrecalc {
public:
    virtual ~LightPrecalc() {}
    virtual void Precalc() = 0;
};

// A coloured point source of the level, of an effect or carried by an object.
// Lights are not replicated: every machine makes its own.
class Light : public LightPrecalc, public ILight {
public:
    Light(float x, float y);
    ~Light() override;

    void Precalc() override {}
    bool Update(float dt) override;

    void SetType(int type) override { type_ = type; }
    int GetType() override { return type_; }
    void SetSize(float size) override;
    float GetSize() override { return size_; }
    void SetAngle(float degrees) override;
    float GetAngle() override { return angle_; }
    void SetPower(float power) override;
    float GetPower() override { return power_; }
    void SetColor(float r, float g, float b) override;
    void GetColor(float* r, float* g, float* b) override;
    float GetX() override { return x_; }
    float GetY() override { return y_; }
    bool IsEnabled() override { return enabled_; }

    void SetEnabled(bool enabled) { enabled_ = enabled; }
    // Non-finite positions are ignored.
    void SetPosition(float x, float y);
    void MakeTimed(float lifetime);
    bool IsTimed() const { return timed_; }

    // Live timed lights are capped so that a storm of explosions cannot grow
    // the light list without bound.
    static constexpr int kMaxTimedLights = 64;
    static int LiveTimedLights();

private:
    int type_ = 0;
    bool enabled_ = true;
    float x_, y_;
    float angle_ = 0.0f;
    float size_ = 256.0f;
    float power_ = 1.6f;
    float basePower_ = 1.6f;
    float red_ = 1.0f, green_ = 1.0f, blue_ = 1.0f;
    float elapsed_ = 0.0f;
    float lifetime_ = 0.0f;
    bool timed_ = false;
};

// A light of the level, registered with the world's registry (which owns
// it); null when the position is not finite.
ILight* CreateLight(float x, float y);
// A point light that rises and fades over seconds, then goes; null at the
// ceiling or for bad arguments.
ILight* CreateTimedLight(float x, float y, float seconds, float size, float power);
