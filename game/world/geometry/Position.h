#pragma once

// A point with a heading. cos and sin describe the last rotation set, not
// the accumulated angle; the angle is never wrapped.
class Position {
public:
    Position();
    virtual ~Position() {}

    void Reset();
    void RotateAbout(float px, float py, float degrees);

    float x;
    float y;
    float cos;
    float sin;
    float angle;
};
