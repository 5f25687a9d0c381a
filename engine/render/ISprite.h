#pragma once

struct Quad;

// One object's picture in a sprite painter.
class ISprite {
public:
    virtual ~ISprite() {}
    virtual void Set(const Quad* quad, float depth) = 0;
    virtual void SetCorners(const Quad* quad) = 0;
    virtual void SetParams(float a, float b, float c) = 0;
    virtual void SetVisible(bool visible) = 0;
    virtual bool IsVisible() = 0;
};
