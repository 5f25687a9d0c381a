#pragma once

class IAudioBuffer;
class IEngine;
class IResource;
class IResourceManager;
class ITexture;

// Pictures and sounds the world shares; any of them may be null and its
// users then skip it.
struct CommonMedia {
    // 66 pictures and two slots nobody fills.
    static constexpr int kTextureSlots = 68;
    static constexpr int kSoundSlots = 10;

    // The screens' pictures by their place in the table.
    enum Slot {
        GuiBar = 0,
        Oxygen,
        Captured,
        MenuBackground,
        ExitButton,
        JoinGameTab,
        JoinButton,
        HostGameTab,
        JoinTexts,
        HostTexts,
        HostButton,
        RefreshButton,
        Arrows,
        GuiFont,
        Crosshair,
        FinlandFlag,
        SovietFlag,
        MapSprites,
        FinlandWins,
        FinlandScores,
        RussiaWins,
        RussiaScores,
        DrawBanner,
    };

    CommonMedia() = default;
    CommonMedia(IEngine* e, IResourceManager* r) : engine(e), resources(r) {}

    // Loads the table; a file that fails leaves its slot empty. A second
    // call keeps the sound resources of the first and adds the samples again.
    void Load();
    // Null when the table has no such sound or it did not load.
    IResource* FindSoundByFile(const char16_t* file);
    IResource* FindSoundBySample(IAudioBuffer* sample);

    IEngine* engine = nullptr;
    IResourceManager* resources = nullptr;
    // In table order; two slots after the wall wreck are never filled.
    ITexture* textures[kTextureSlots] = {};
    IResource* sounds[kSoundSlots] = {};

    // Named views of the table, filled by Load.
    ITexture* explosionLarge = nullptr;
    ITexture* explosionSmall = nullptr;
    ITexture* bloodDrop = nullptr;
    ITexture* bloodPools[3] = {};
    ITexture* smokePuff = nullptr;
    ITexture* smokeTrails[2] = {};
    ITexture* flames[3] = {};
    ITexture* dust[2] = {};
    // By team: a rank's insignia in each 11 x 32 cell.
    ITexture* teamIcons[2] = {};
    // The fallen body's eight frames, Finland's and Russia's.
    ITexture* deadBodies[2] = {};
    ITexture* fragmentWood = nullptr;
    ITexture* fragmentMetal = nullptr;
    ITexture* fragmentWall = nullptr;
    ITexture* fragmentGlass = nullptr;
    ITexture* missionItemBase = nullptr;
    ITexture* droppedFlags[2] = {};
    // The player: bodies (Finnish standing, crouching, Russian standing,
    // crouching), leg strips (running, to the left, to the right), the
    // muzzle-flash strip, the overlay and carried flags by team.
    ITexture* playerBodies[4] = {};
    ITexture* playerLegs[3] = {};
    ITexture* muzzleFlash = nullptr;
    ITexture* playerOverlay = nullptr;
    ITexture* carriedFlags[2] = {};
    IAudioBuffer* doorHit = nullptr;
    IAudioBuffer* gibs[3] = {};
    IAudioBuffer* ammoPickup = nullptr;
};
