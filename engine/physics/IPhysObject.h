#pragma once

// One body of the software physics. Bodies belong to their world, which
// deletes them (IPhysics::RemoveObject, IPhysics::Clear).
class IPhysObject {
public:
    virtual ~IPhysObject() {}
    virtual bool IsMoving() = 0;
    // Bodies that allow zone exclusion and lie within radius of (x, y) do
    // not block this one.
    virtual void SetExclusionZone(float x, float y, float radius) = 0;
    virtual void SetEnabled(bool enabled) = 0;
    virtual void EnableZoneExclusion() = 0;
    virtual void SetRestitution(float restitution) = 0;
    virtual void SetRotation(float degrees) = 0;
    virtual float GetRotation() = 0;
    virtual void SetPosition(float x, float y) = 0;
    virtual void GetPosition(float* x, float* y) = 0;
    virtual void ApplyImpulse(float pointX, float pointY, float impulseX, float impulseY) = 0;
    virtual void ApplyFriction(float amount) = 0;
};
