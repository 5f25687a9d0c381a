#pragma once

// One rotated particle square.
class IParticle {
public:
    virtual ~IParticle() {}
    virtual void SetPosition(float x, float y) = 0;
    virtual void SetAngle(float degrees) = 0;
    virtual void Init(float x, float y, int tx0, int ty0, int tx1, int ty1) = 0;
};
