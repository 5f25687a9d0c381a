#include "game/world/resources/CommonMedia.h"

#include "engine/core/IEngine.h"
#include "game/world/resources/IResource.h"
#include "game/world/resources/IResourceManager.h"
#include "game/world/resources/ISoundResource.h"
#include "game/world/resources/SoundResource.h"

#include <string_view>

namespace {

struct MediaEntry {
    const char16_t* file; // null: a slot the loader leaves empty
    int atlas;
};

const MediaEntry kTable[] = {
    {u"gfx/gui/gui.png", 0},
    {u"gfx/gui/oxygen.png", 0},
    {u"gfx/gui/captured.png", 0},
    {u"gfx/menu.png", 0},
    {u"gfx/exit_btn.png", 0},
    {u"gfx/join_game_btn.png", 0},
    {u"gfx/join_btn.png", 0},
    {u"gfx/host_game_btn.png", 0},
    {u"gfx/join_texts.png", 0},
    {u"gfx/host_texts.png", 0},
    {u"gfx/host_btn.png", 0},
    {u"gfx/refresh_btn.png", 0},
    {u"gfx/arrows.png", 0},
    {u"gfx/gui/gui font.png", 0},
    {u"gfx/crosshair.png", 0},
    {u"gfx/finland.png", 0},
    {u"gfx/soviet.png", 0},
    {u"gfx/map_sprites.png", 0},
    {u"gfx/gui/finland_wins.png", 0},
    {u"gfx/gui/finland_scores.png", 0},
    {u"gfx/gui/russia_wins.png", 0},
    {u"gfx/gui/russia_scores.png", 0},
    {u"gfx/gui/draw.png", 0},
    {u"gfx/effects/wall_wreck.png", 1},
    {nullptr, 0},
    {nullptr, 0},
    {u"gfx/player_foot_run.png", 2},
    {u"gfx/player_foot_left.png", 2},
    {u"gfx/player_foot_right.png", 2},
    {u"gfx/effects/gib01.png", 2},
    {u"gfx/effects/gib02.png", 2},
    {u"gfx/effects/gib03.png", 2},
    {u"gfx/effects/gib04.png", 2},
    {u"gfx/effects/gib05.png", 2},
    {u"gfx/effects/gib06.png", 2},
    {u"gfx/player/ranks_fin.png", 2},
    {u"gfx/player/ranks_rus.png", 2},
    {u"gfx/effects/explosion02_ani.png", 2},
    {u"gfx/effects/explosion03_ani.png", 2},
    {u"gfx/effects/blood_small01.png", 2},
    {u"gfx/effects/blood_small02.png", 2},
    {u"gfx/effects/blood_small03.png", 2},
    {u"gfx/effects/blood01.png", 2},
    {u"gfx/effects/blood02.png", 2},
    {u"gfx/effects/blood03.png", 2},
    {u"gfx/effects/bloodparticle1.png", 2},
    {u"gfx/effects/smoketest2.png", 2},
    {u"gfx/effects/bazookasmoke.png", 2},
    {u"gfx/effects/bazookasmoke_c.png", 2},
    {u"gfx/effects/flame_yellow.png", 2},
    {u"gfx/effects/flame_orange.png", 2},
    {u"gfx/effects/flame_black.png", 2},
    {u"gfx/effects/grenade_hole.png", 2},
    {u"gfx/effects/particle_wood.png", 2},
    {u"gfx/effects/particle_metal.png", 2},
    {u"gfx/effects/particle_wall.png", 2},
    {u"gfx/effects/particle_glass.png", 2},
    {u"gfx/effects/bullet_impact_smoke.png", 2},
    {u"gfx/effects/bullet_impact_spark1.png", 2},
    {u"gfx/effects/bullet_impact_spark2.png", 2},
    {u"gfx/mission/flag_white.png", 2},
    {u"gfx/mission/flag_ctf_player_fin.png", 2},
    {u"gfx/mission/flag_ctf_player_rus.png", 2},
    {u"gfx/mission/flag_fin_dr.png", 2},
    {u"gfx/mission/flag_rus_dr.png", 2},
    {u"gfx/mission/flag_fin_s.png", 2},
    {u"gfx/mission/flag_rus_s.png", 2},
    {u"gfx/mission/flag_white_s.png", 2},
};
static_assert(sizeof(kTable) / sizeof(kTable[0]) == CommonMedia::kTextureSlots, "texture slots");
static_assert(CommonMedia::DrawBanner == 22, "the screens' slots follow the table");

const char16_t* const kSounds[] = {
    u"weapons/hit_glass.ogg",      u"weapons/hit_wood.ogg",       u"weapons/break_player_1.ogg",
    u"weapons/break_player_2.ogg", u"weapons/break_player_3.ogg", u"weapons/explosive2.ogg",
    u"weapons/empty_shot.ogg",     u"weapons/pick_ammo.ogg",      u"weapons/pick_armor.ogg",
    u"weapons/pick_weapon.ogg",
};

// The player and start-point pictures are loaded once per process.
const char16_t* const kPlayerPictures[] = {
    u"gfx/player/player_fin_stand.png",
    u"gfx/player/player_fin_crouch.png",
    u"gfx/player/player_rus_stand.png",
    u"gfx/player/player_rus_crouch.png",
    u"gfx/player_stand_c.png",
    u"gfx/muzzle_rifle.png",
    u"gfx/shadow.png",
};
const char16_t* const kStartPictures[] = {
    u"gfx/objects/startpoint1.png", u"gfx/objects/startpoint2.png", u"gfx/objects/startpoint3.png",
    u"gfx/objects/startpoint4.png", u"gfx/objects/startpoint5.png", u"gfx/objects/startpoint6.png",
    u"gfx/objects/startpoint7.png", u"gfx/objects/startpoint8.png",
};
bool gPlayersLoaded = false, gStartsLoaded = false, gFinDieLoaded = false, gRusDieLoaded = false;

IAudioBuffer* FirstSample(IResource* sound)
{
    ISoundResource* s = sound ? sound->GetSoundInterface() : nullptr;
    return s && s->GetSampleCount() > 0 ? s->GetSample(0) : nullptr;
}

template <size_t N> void LoadGroup(IEngine* engine, const char16_t* const (&names)[N], bool* loaded)
{
    if (*loaded)
        return;
    for (const char16_t* name : names)
        engine->LoadTexture(name, true, 2);
    *loaded = true;
}

} // namespace

void CommonMedia::Load()
{
    if (!engine)
        return;
    for (int i = 0; i < kTextureSlots; ++i) {
        if (kTable[i].file)
            textures[i] = engine->LoadTexture(kTable[i].file, true, kTable[i].atlas);
    }
    int nextId = int(0x80000001u);
    for (int i = 0; i < kSoundSlots && resources; ++i) {
        if (!sounds[i] || !resources->Contains(sounds[i])) {
            SoundResource* sound = resources->CreateSoundResource();
            if (!sound) {
                sounds[i] = nullptr;
                continue;
            }
            sound->SetId(nextId++);
            sounds[i] = sound;
        }
        if (SoundResource* sound = dynamic_cast<SoundResource*>(sounds[i]))
            sound->AddSound(resources->LoadSound(kSounds[i]));
    }
    LoadGroup(engine, kPlayerPictures, &gPlayersLoaded);
    LoadGroup(engine, kStartPictures, &gStartsLoaded);
    const char16_t* const finDie[] = {u"gfx/player/player_fin_die01.png"};
    const char16_t* const rusDie[] = {u"gfx/player/player_rus_die01.png"};
    LoadGroup(engine, finDie, &gFinDieLoaded);
    LoadGroup(engine, rusDie, &gRusDieLoaded);
    deadBodies[0] = engine->LoadTexture(finDie[0], true, 2);
    deadBodies[1] = engine->LoadTexture(rusDie[0], true, 2);

    // The insignia of the ranks, Finland's and Russia's.
    teamIcons[0] = textures[35];
    teamIcons[1] = textures[36];
    explosionLarge = textures[37];
    explosionSmall = textures[38];
    for (int i = 0; i < 3; ++i) {
        bloodPools[i] = textures[42 + i];
        flames[i] = textures[49 + i];
    }
    bloodDrop = textures[45];
    smokePuff = textures[46];
    smokeTrails[0] = textures[47];
    smokeTrails[1] = textures[48];
    fragmentWood = textures[53];
    fragmentMetal = textures[54];
    fragmentWall = textures[55];
    fragmentGlass = textures[56];
    dust[0] = textures[57];
    dust[1] = textures[58];
    missionItemBase = textures[60];
    droppedFlags[0] = textures[63];
    droppedFlags[1] = textures[64];
    // The engine keeps its textures by name: asking again finds them.
    for (int i = 0; i < 4; ++i)
        playerBodies[i] = engine->LoadTexture(kPlayerPictures[i], true, 2);
    playerOverlay = engine->LoadTexture(kPlayerPictures[4], true, 2);
    muzzleFlash = engine->LoadTexture(kPlayerPictures[5], true, 2);
    for (int i = 0; i < 3; ++i)
        playerLegs[i] = textures[26 + i];
    carriedFlags[0] = textures[61];
    carriedFlags[1] = textures[62];
    doorHit = FirstSample(sounds[1]);
    for (int i = 0; i < 3; ++i)
        gibs[i] = FirstSample(sounds[2 + i]);
    ammoPickup = FirstSample(sounds[7]);
}

IResource* CommonMedia::FindSoundByFile(const char16_t* file)
{
    if (!file)
        return nullptr;
    for (int i = 0; i < kSoundSlots; ++i) {
        if (std::u16string_view(kSounds[i]) == file)
            return sounds[i];
    }
    return nullptr;
}

IResource* CommonMedia::FindSoundBySample(IAudioBuffer* sample)
{
    for (IResource* sound : sounds) {
        ISoundResource* s = sound ? sound->GetSoundInterface() : nullptr;
        for (int i = 0, n = s ? s->GetSampleCount() : 0; i < n; ++i) {
            if (s->GetSample(i) == sample)
                return sound;
        }
    }
    return nullptr;
}
