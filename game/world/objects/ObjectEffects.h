#pragma once

class IResource;

// What a hit or a blast on an object sets off around it: fragments, dust,
// a flash and sounds, reached as Services().effects; with none set, a hit
// only changes health.
class IObjectEffects {
public:
    virtual ~IObjectEffects() {}
    // type: material, or material + 20 for a hit that did not break it.
    virtual void BreakParticles(float x, float y, int type, float blastX, float blastY, float blastAmount) = 0;
    virtual void Dust(float x, float y, float direction, int type) = 0;
    // A point light of the size and power that lives for the time.
    virtual void Flash(float x, float y, float seconds, float size, float power) = 0;
    virtual void HitSound(IResource* sound, float x, float y, int variant) = 0;
};
