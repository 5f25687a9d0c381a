#pragma once

// A light of the world as the level loader and the light passes use it;
// the light kinds themselves are made by the light factory.
class ILight {
public:
    virtual ~ILight() {}
    virtual void SetType(int type) = 0;
    virtual void SetAngle(float degrees) = 0;
    virtual void SetSize(float size) = 0;
    virtual void SetPower(float power) = 0;
    virtual void SetColor(float r, float g, float b) = 0;
    virtual int GetType() = 0;
    virtual float GetX() = 0;
    virtual float GetY() = 0;
    virtual float GetAngle() = 0;
    virtual float GetSize() = 0;
    virtual float GetPower() = 0;
    virtual void GetColor(float* r, float* g, float* b) = 0;
    virtual bool IsEnabled() = 0;
    // True when the light has run its course and is to be deleted.
    virtual bool Update(float dt) = 0;
};
