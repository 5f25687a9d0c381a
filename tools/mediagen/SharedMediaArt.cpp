#include "SharedMediaArt.h"

#include "Canvas.h"
#include "MediaWriter.h"
#include "SoundSynth.h"

#include <cmath>
#include <string>

namespace {

constexpr Rgb kGold{230, 196, 60};
constexpr Rgb kWhite{240, 240, 236};
constexpr Rgb kBlood{120, 8, 10};
constexpr Rgb kSmoke{150, 150, 146};

// A blob of soft noise: blood, smoke, flames and dust.
Canvas Blob(int size, Rgb colour, float fill, uint32_t seed, int lumps)
{
    Canvas c(size, size);
    Rng rng(seed);
    const float r = size * fill / 2;
    c.FillCircle(size / 2.0f, size / 2.0f, r * 0.7f, colour);
    for (int i = 0; i < lumps; ++i) {
        const float a = rng.Unit() * 6.2831853f, d = rng.Unit() * r * 0.6f;
        c.FillCircle(size / 2.0f + std::cos(a) * d, size / 2.0f + std::sin(a) * d, r * (0.2f + rng.Unit() * 0.35f),
                     Shade(colour, 0.8f + rng.Unit() * 0.4f));
    }
    c.Speckle(0, 0, size, size, 0.1f, rng);
    return c;
}

// Frames of a growing, fading fireball, four by four.
Canvas ExplosionSheet(uint32_t seed, Rgb core)
{
    Canvas sheet(256, 256);
    for (int f = 0; f < 16; ++f) {
        const float t = f / 15.0f;
        const Rgb colour = Mix(core, Rgb{70, 66, 62}, t);
        Canvas frame = Blob(64, colour, 0.35f + 0.6f * t, seed + uint32_t(f), 8);
        if (t < 0.5f)
            frame.FillCircle(32, 32, 10 * (1 - t), Rgb{255, 250, 200});
        sheet.Blit(frame, (f % 4) * 64, (f / 4) * 64);
    }
    return sheet;
}

// Boots under the body, frames of 64 pixels side by side with the body's
// centre at (32, 37): seven running frames, or eight stepping sideways.
Canvas Legs(int side)
{
    const int frames = side == 0 ? 7 : 8;
    const Rgb boot{52, 44, 36};
    Canvas c(64 * frames, 64);
    for (int f = 0; f < frames; ++f) {
        const float phase = std::sin(f * 6.2832f / frames), x0 = f * 64.0f;
        if (side == 0) {
            c.FillEllipse(x0 + 26, 37 - 11 * phase, 3.0f, 5.0f, boot);
            c.FillEllipse(x0 + 38, 37 + 11 * phase, 3.0f, 5.0f, boot);
        } else {
            const float step = side == 1 ? -1.0f : 1.0f;
            c.FillEllipse(x0 + 32 - 15 + step * 4 * phase, 38, 4.0f, 3.0f, boot);
            c.FillEllipse(x0 + 32 + 15 - step * 4 * phase, 38, 4.0f, 3.0f, boot);
        }
    }
    return c;
}

// Insignia 11 pixels apart: one to four bars, then gold.
Canvas Ranks(Rgb colour)
{
    // Cells of 11 x 32 as the icons are drawn; the insignia fills the top,
    // the rest stays clear.
    Canvas c(11 * 10, 32);
    for (int rank = 0; rank < 10; ++rank) {
        const Rgb bars = rank >= 5 ? kGold : colour;
        c.FillRect(rank * 11 + 1, 1, 9, 9, Rgb{30, 32, 36});
        for (int bar = 0; bar <= rank % 5 && bar < 4; ++bar)
            c.FillRect(rank * 11 + 2, 2 + bar * 2, 7, 1, bars);
        if (rank % 5 == 4)
            c.FillRect(rank * 11 + 4, 2, 3, 7, bars);
    }
    return c;
}

// Four flashes 32 pixels apart; the barrel's tip meets the bottom of the
// frame four pixels from its left edge.
Canvas MuzzleFlashes()
{
    Canvas c(128, 32);
    for (int f = 0; f < 4; ++f) {
        const float x = f * 32 + 4.0f, reach = 16.0f + 4 * f, width = 3.0f + (f % 2);
        c.FillPolygon({x - width, 31, x, 31 - reach, x + width, 31, x, 29}, Rgb{255, 200, 90});
        c.FillEllipse(x, 27, 2.0f, 4.0f, Rgb{255, 250, 220});
    }
    return c;
}

// Eight 64-pixel cells: the body sinks and the blood spreads frame by frame.
Canvas Fallen(Rgb uniform)
{
    Canvas c(512, 64);
    for (int f = 0; f < 8; ++f) {
        const float x = float(f * 64 + 32);
        const float sink = float(f);
        c.FillEllipse(x, 34, 10 + sink * 0.5f, 20, uniform);
        c.FillCircle(x, 14 + sink * 0.5f, 7, Rgb{214, 170, 140});
        c.FillEllipse(x - 12 - sink * 0.5f, 40, 4, 10, Shade(uniform, 0.8f));
        c.FillEllipse(x + 12 + sink * 0.5f, 40, 4, 10, Shade(uniform, 0.8f));
        c.FillCircle(x + 6, 46, 3 + sink, kBlood);
    }
    c.Outline(0.5f);
    return c;
}

Canvas Shadow()
{
    Canvas c(64, 64);
    for (int r = 30; r > 0; r -= 2)
        c.FillCircle(32, 32, float(r), Rgb{uint8_t(90 - r * 2), uint8_t(90 - r * 2), uint8_t(90 - r * 2)});
    return c;
}

Canvas JeepBody()
{
    Canvas c(64, 96);
    const Rgb olive{88, 98, 56};
    c.FillRect(8, 6, 48, 84, olive);
    c.FillRect(12, 10, 40, 22, Shade(olive, 0.8f)); // bonnet
    c.FillRect(12, 34, 40, 4, Rgb{150, 190, 210});  // windscreen
    c.FillRect(14, 44, 14, 14, Rgb{50, 44, 40});    // seats
    c.FillRect(36, 44, 14, 14, Rgb{50, 44, 40});
    c.FillRect(14, 64, 36, 20, Shade(olive, 0.7f)); // load bed
    c.FillCircle(16, 8, 3, Rgb{250, 240, 180});     // lights
    c.FillCircle(48, 8, 3, Rgb{250, 240, 180});
    c.FillCircle(32, 21, 5, kWhite);
    Rng rng(41);
    c.Speckle(8, 6, 48, 84, 0.08f, rng);
    c.Outline(0.5f);
    return c;
}

Canvas Wheel()
{
    Canvas c(12, 20, Rgb{28, 28, 30});
    for (int y = 1; y < 20; y += 3)
        c.FillRect(1, y, 10, 1, Rgb{60, 60, 62});
    return c;
}

std::vector<float> Burst(uint32_t seed, float length, float cutoff, float pitch)
{
    SoundSynth s(length, seed);
    s.Noise(0.0f, length, 1.0f, cutoff, 0.001f, length * 0.25f);
    s.Tone(0.0f, length, 0.6f, pitch, pitch * 0.6f, length * 0.3f);
    return s.Finish(0.7f);
}

std::vector<float> Pickup(uint32_t seed, float from, float to)
{
    SoundSynth s(0.35f, seed);
    s.Click(0.0f, 0.8f, from * 2);
    s.Tone(0.02f, 0.3f, 0.6f, from, to, 0.12f);
    return s.Finish(0.5f);
}

} // namespace

namespace SharedMediaArt {

void Write(MediaWriter& out)
{
    Canvas wreck(128, 128);
    for (int i = 0; i < 16; ++i)
        wreck.Blit(Blob(32, Rgb{110, 100, 90}, 0.8f, 100 + uint32_t(i), 6), (i % 4) * 32, (i / 4) * 32);
    out.Picture("effects/wall_wreck.png", wreck);

    out.Picture("player_foot_run.png", Legs(0));
    out.Picture("player_foot_left.png", Legs(1));
    out.Picture("player_foot_right.png", Legs(2));
    for (int i = 1; i <= 6; ++i)
        out.Picture("effects/gib0" + std::to_string(i) + ".png",
                    Blob(16, Shade(kBlood, 0.9f + i * 0.1f), 0.8f, 200 + uint32_t(i), 3));
    out.Picture("player/ranks_fin.png", Ranks(Rgb{120, 160, 230}));
    out.Picture("player/ranks_rus.png", Ranks(Rgb{230, 120, 110}));
    out.Picture("effects/explosion02_ani.png", ExplosionSheet(300, Rgb{255, 200, 80}));
    out.Picture("effects/explosion03_ani.png", ExplosionSheet(320, Rgb{255, 150, 60}));
    for (int i = 1; i <= 3; ++i) {
        out.Picture("effects/blood_small0" + std::to_string(i) + ".png", Blob(16, kBlood, 0.7f, 400 + uint32_t(i), 3));
        out.Picture("effects/blood0" + std::to_string(i) + ".png", Blob(64, kBlood, 0.8f, 410 + uint32_t(i), 9));
    }
    out.Picture("effects/bloodparticle1.png", Blob(8, kBlood, 0.9f, 420, 1));
    out.Picture("effects/smoketest2.png", Blob(64, kSmoke, 0.95f, 430, 10));
    out.Picture("effects/bazookasmoke.png", Blob(32, Shade(kSmoke, 1.1f), 0.9f, 431, 6));
    out.Picture("effects/bazookasmoke_c.png", Blob(32, Shade(kSmoke, 0.8f), 0.9f, 432, 6));
    out.Picture("effects/flame_yellow.png", Blob(32, Rgb{250, 220, 80}, 0.8f, 440, 5));
    out.Picture("effects/flame_orange.png", Blob(32, Rgb{240, 130, 40}, 0.85f, 441, 5));
    out.Picture("effects/flame_black.png", Blob(32, Rgb{40, 34, 30}, 0.9f, 442, 5));
    out.Picture("effects/grenade_hole.png", Blob(32, Rgb{36, 32, 28}, 0.7f, 450, 6));
    out.Picture("effects/particle_wood.png", Blob(8, Rgb{130, 90, 50}, 0.9f, 460, 1));
    out.Picture("effects/particle_metal.png", Blob(8, Rgb{120, 124, 130}, 0.9f, 461, 1));
    out.Picture("effects/particle_wall.png", Blob(8, Rgb{140, 120, 100}, 0.9f, 462, 1));
    out.Picture("effects/particle_glass.png", Blob(8, Rgb{170, 210, 230}, 0.9f, 463, 1));
    out.Picture("effects/bullet_impact_smoke.png", Blob(16, kSmoke, 0.9f, 470, 3));
    out.Picture("effects/bullet_impact_spark1.png", Blob(16, Rgb{255, 230, 120}, 0.4f, 471, 2));
    out.Picture("effects/bullet_impact_spark2.png", Blob(16, Rgb{255, 250, 200}, 0.3f, 472, 2));

    Canvas stand(64, 64);
    stand.FillCircle(32, 32, 12, Rgb{80, 86, 60});
    stand.FillCircle(32, 30, 6, Rgb{60, 64, 44});
    stand.Outline(0.5f);
    out.Picture("player_stand_c.png", stand);
    out.Picture("muzzle_rifle.png", MuzzleFlashes());
    out.Picture("shadow.png", Shadow());
    out.Picture("player/player_fin_die01.png", Fallen(Rgb{200, 200, 196}));
    out.Picture("player/player_rus_die01.png", Fallen(Rgb{96, 90, 60}));
    out.Picture("vehicles/jeep_body.png", JeepBody());
    out.Picture("vehicles/jeep_wheel.png", Wheel());

    out.Sound("weapons/hit_glass.ogg", [] {
        SoundSynth s(0.6f, 500);
        s.Ping(0.0f, 0.8f, 2400.0f, 0.15f);
        s.Hiss(0.0f, 0.5f, 0.7f, 3000.0f, 0.001f, 0.12f);
        return s.Finish(0.6f);
    }());
    out.Sound("weapons/hit_wood.ogg", Burst(501, 0.3f, 900.0f, 220.0f));
    for (int i = 1; i <= 3; ++i)
        out.Sound("weapons/break_player_" + std::to_string(i) + ".ogg",
                  Burst(510 + uint32_t(i), 0.5f, 500.0f + i * 150, 90.0f));
    out.Sound("weapons/explosive2.ogg", Burst(520, 1.6f, 350.0f, 60.0f));
    out.Sound("weapons/empty_shot.ogg", [] {
        SoundSynth s(0.2f, 530);
        s.Click(0.0f, 1.0f, 1200.0f);
        return s.Finish(0.5f);
    }());
    out.Sound("weapons/pick_ammo.ogg", Pickup(540, 500.0f, 700.0f));
    out.Sound("weapons/pick_armor.ogg", Pickup(541, 300.0f, 420.0f));
    out.Sound("weapons/pick_weapon.ogg", Pickup(542, 600.0f, 900.0f));
    out.Sound("vehicles/jeep_hit.ogg", Burst(550, 0.4f, 1400.0f, 180.0f));
}

} // namespace SharedMediaArt
