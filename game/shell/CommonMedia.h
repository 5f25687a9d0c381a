#pragma once

class IAudioBuffer;
class ITexture;

// Pictures and sounds the world shares; any of them may be null and its
// users then skip it.
struct CommonMedia {
    ITexture* explosionLarge = nullptr;
    ITexture* explosionSmall = nullptr;
    ITexture* bloodDrop = nullptr;
    ITexture* bloodPools[3] = {};
    ITexture* smokePuff = nullptr;
    ITexture* smokeTrails[2] = {};
    ITexture* flames[3] = {};
    ITexture* dust[2] = {};
    ITexture* teamIcons[2] = {};
    ITexture* fragmentWood = nullptr;
    ITexture* fragmentMetal = nullptr;
    ITexture* fragmentWall = nullptr;
    ITexture* fragmentGlass = nullptr;
    ITexture* missionItemBase = nullptr;
    ITexture* droppedFlags[2] = {};
    IAudioBuffer* doorHit = nullptr;
    IAudioBuffer* gibs[3] = {};
    IAudioBuffer* ammoPickup = nullptr;
};
