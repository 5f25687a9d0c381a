#pragma once

class IPhysObject;

// A rigid-body world stepped on a thread of its own. Boxes are two edge
// vectors (first x, first y, second x, second y) from the body's position;
// polygons are x/y pairs relative to it, copied by the call.
class IPhysics {
public:
    virtual ~IPhysics() {}
    virtual void Clear() = 0;
    virtual void RemoveObject(IPhysObject* body) = 0;
    // The world's body, deleted by RemoveObject or Clear.
    virtual IPhysObject* AddStaticPolygon(int pointCount, const float* points) = 0;
    // The world's body, deleted by RemoveObject or Clear.
    virtual IPhysObject* AddStaticBox(const float* edges) = 0;
    // The world's body, deleted by RemoveObject or Clear.
    virtual IPhysObject* AddStaticCircle(const float* radius) = 0;
    // The world's body, deleted by RemoveObject or Clear.
    virtual IPhysObject* AddPolygonBody(int pointCount, const float* points) = 0;
    // The world's body, deleted by RemoveObject or Clear.
    virtual IPhysObject* AddBoxBody(const float* edges) = 0;
    // The world's body, deleted by RemoveObject or Clear.
    virtual IPhysObject* AddCircleBody(const float* radius) = 0;
    virtual void SetParameter(float value) = 0;
    virtual void Resume() = 0;
    // Returns once the world's thread is parked between steps.
    virtual void Pause() = 0;
    virtual void Stop() = 0;
};
