#pragma once

// One rectangle of ambient light of its own colour; the editor's light-area
// dialog reaches it across the library boundary.
class ILightBox {
public:
    virtual ~ILightBox() {}
    virtual void SetBrightness(float level) = 0;
    virtual float GetBrightness() = 0;
    virtual void SetColor(float r, float g, float b) = 0;
    virtual void GetColor(float* r, float* g, float* b) = 0;
};
