#include "SoundArt.h"

#include "MediaWriter.h"
#include "SoundSynth.h"

#include <string>

namespace {

// A gun shot: a bright crack, a body of low noise and a thump.
std::vector<float> Shot(uint32_t seed, float length, float crackHz, float bodyHz, float thumpHz, float tail)
{
    SoundSynth s(length, seed);
    s.Noise(0.0f, 0.05f, 1.0f, crackHz, 0.0005f, 0.012f);
    s.Noise(0.0f, length, 0.9f, bodyHz, 0.002f, tail);
    s.Tone(0.0f, 0.2f, 0.7f, thumpHz, thumpHz * 0.4f, 0.05f);
    return s.Finish();
}

std::vector<float> Explosion(uint32_t seed, float length)
{
    SoundSynth s(length, seed);
    s.Noise(0.0f, 0.08f, 1.0f, 5000.0f, 0.001f, 0.02f);
    s.Noise(0.0f, length, 1.2f, 400.0f, 0.01f, length * 0.3f);
    s.Noise(0.02f, length, 0.8f, 120.0f, 0.03f, length * 0.4f);
    s.Tone(0.0f, 0.6f, 0.9f, 70.0f, 30.0f, 0.25f);
    return s.Finish(0.9f);
}

std::vector<float> Clicks(uint32_t seed, float length, std::initializer_list<float> times, float pitch)
{
    SoundSynth s(length, seed);
    float gain = 1.0f;
    for (float t : times) {
        s.Click(t, gain, pitch);
        gain = gain > 0.7f ? 0.75f : 1.0f;
    }
    return s.Finish(0.6f);
}

std::vector<float> Shell(uint32_t seed, float baseHz)
{
    SoundSynth s(0.45f, seed);
    s.Ping(0.0f, 1.0f, baseHz, 0.04f);
    s.Ping(0.14f, 0.5f, baseHz * 1.05f, 0.03f);
    s.Ping(0.24f, 0.25f, baseHz * 0.98f, 0.02f);
    return s.Finish(0.4f);
}

std::vector<float> Impact(uint32_t seed, float cutoffHz, float knockHz, float ring)
{
    SoundSynth s(0.3f, seed);
    s.Noise(0.0f, 0.2f, 1.0f, cutoffHz, 0.0005f, 0.02f);
    s.Tone(0.0f, 0.1f, 0.6f, knockHz, knockHz * 0.8f, 0.02f);
    if (ring > 0.0f)
        s.Ping(0.0f, ring, knockHz * 3.0f, 0.05f);
    return s.Finish(0.7f);
}

std::vector<float> Glass(uint32_t seed)
{
    SoundSynth s(0.5f, seed);
    s.Hiss(0.0f, 0.3f, 1.0f, 3000.0f, 0.0005f, 0.05f);
    for (int k = 0; k < 5; ++k)
        s.Ping(0.02f + 0.05f * k, 0.4f, 1800.0f + 500.0f * k, 0.03f);
    return s.Finish(0.6f);
}

std::vector<float> Ricochet(uint32_t seed)
{
    SoundSynth s(0.4f, seed);
    s.Noise(0.0f, 0.02f, 0.8f, 6000.0f, 0.0005f, 0.005f);
    s.Tone(0.0f, 0.35f, 0.8f, 2600.0f, 900.0f, 0.12f);
    return s.Finish(0.5f);
}

} // namespace

namespace SoundArt {

void Write(MediaWriter& out)
{
    out.Sound("impacts/hit_brick.ogg", Impact(1, 900.0f, 160.0f, 0.0f));
    out.Sound("impacts/hit_concrete.ogg", Impact(2, 1400.0f, 220.0f, 0.0f));
    out.Sound("impacts/hit_wood.ogg", Impact(3, 700.0f, 300.0f, 0.0f));
    out.Sound("impacts/hit_metal.ogg", Impact(4, 3000.0f, 420.0f, 0.8f));
    out.Sound("impacts/hit_sand.ogg", Impact(5, 500.0f, 90.0f, 0.0f));
    out.Sound("impacts/hit_glass.ogg", Glass(6));
    out.Sound("impacts/ricochet.ogg", Ricochet(7));

    out.Sound("weapons/pistol_shot1.ogg", Shot(10, 0.35f, 7000.0f, 1800.0f, 180.0f, 0.06f));
    out.Sound("weapons/pistol_shot2.ogg", Shot(11, 0.35f, 6500.0f, 1700.0f, 170.0f, 0.06f));
    out.Sound("weapons/pistol_reload.ogg", Clicks(12, 0.9f, {0.05f, 0.35f, 0.7f}, 900.0f));
    out.Sound("weapons/rifle_shot1.ogg", Shot(13, 0.8f, 6000.0f, 1200.0f, 120.0f, 0.16f));
    out.Sound("weapons/rifle_shot2.ogg", Shot(14, 0.8f, 5600.0f, 1100.0f, 110.0f, 0.16f));
    out.Sound("weapons/rifle_reload.ogg", Clicks(15, 0.6f, {0.05f, 0.3f}, 600.0f));
    out.Sound("weapons/rifle_round.ogg", Clicks(16, 0.25f, {0.03f}, 1200.0f));
    out.Sound("weapons/mg_shot1.ogg", Shot(17, 0.3f, 6000.0f, 1300.0f, 140.0f, 0.05f));
    out.Sound("weapons/mg_shot2.ogg", Shot(18, 0.3f, 5800.0f, 1250.0f, 130.0f, 0.05f));
    out.Sound("weapons/mg_reload.ogg", Clicks(19, 1.6f, {0.1f, 0.6f, 0.9f, 1.4f}, 500.0f));
    out.Sound("weapons/shotgun_shot.ogg", Shot(20, 0.9f, 4000.0f, 800.0f, 90.0f, 0.2f));
    out.Sound("weapons/shotgun_pump.ogg", Clicks(21, 0.5f, {0.05f, 0.25f}, 400.0f));
    out.Sound("weapons/shotgun_shell_in.ogg", Clicks(22, 0.25f, {0.03f}, 700.0f));
    out.Sound("weapons/shell_small.ogg", Shell(23, 3200.0f));
    out.Sound("weapons/shell_large.ogg", Shell(24, 2400.0f));
    out.Sound("weapons/shell_shotgun.ogg", Impact(25, 1200.0f, 260.0f, 0.2f));
    out.Sound("weapons/throw.ogg", [] {
        SoundSynth s(0.4f, 26);
        s.Hiss(0.0f, 0.35f, 1.0f, 800.0f, 0.12f, 0.08f);
        return s.Finish(0.4f);
    }());
    out.Sound("weapons/explosion_small.ogg", Explosion(27, 1.4f));
    out.Sound("weapons/explosion_large.ogg", Explosion(28, 2.2f));
    // The editor plays it to try a sound environment.
    out.Sound("weapons/explosive1.ogg", Explosion(35, 1.8f));
    out.Sound("weapons/smoke_hiss.ogg", [] {
        SoundSynth s(2.0f, 29);
        s.Click(0.0f, 0.6f, 500.0f);
        s.Hiss(0.02f, 1.95f, 1.0f, 2000.0f, 0.15f, 0.9f);
        return s.Finish(0.6f);
    }());
    out.Sound("weapons/rocket_launch.ogg", [] {
        SoundSynth s(1.2f, 30);
        s.Noise(0.0f, 0.1f, 1.0f, 3000.0f, 0.001f, 0.03f);
        s.Hiss(0.0f, 1.2f, 0.9f, 600.0f, 0.05f, 0.4f);
        s.Noise(0.0f, 1.2f, 0.7f, 300.0f, 0.05f, 0.35f);
        return s.Finish();
    }());
    out.Sound("weapons/rocket_reload.ogg", Clicks(31, 1.0f, {0.1f, 0.5f, 0.8f}, 350.0f));
    out.Sound("weapons/mine_place.ogg", Clicks(32, 0.5f, {0.05f, 0.3f}, 300.0f));
    out.Sound("weapons/charge_place.ogg", Clicks(33, 0.6f, {0.05f, 0.2f, 0.4f}, 800.0f));
    out.Sound("weapons/detonator_click.ogg", [] {
        SoundSynth s(0.4f, 34);
        s.Click(0.0f, 1.0f, 1500.0f);
        s.Tone(0.05f, 0.2f, 0.4f, 2000.0f, 2000.0f, 0.1f);
        return s.Finish(0.5f);
    }());
}

} // namespace SoundArt
