#pragma once

#include "Canvas.h"

#include <vector>

// Builds short mono effects out of noise, tones and envelopes. Every layer
// is added into one buffer at a start time; Finish normalises it.
class SoundSynth {
public:
    static constexpr int kRate = 22050;

    SoundSynth(float seconds, uint32_t seed);

    // White noise through a one-pole low-pass (cutoff in Hz), with an
    // attack and an exponential decay (time constant in seconds).
    void Noise(float start, float length, float gain, float cutoffHz, float attack, float decay);
    // Noise minus its low-passed self: hiss and sizzle.
    void Hiss(float start, float length, float gain, float cutoffHz, float attack, float decay);
    // A sine gliding from one pitch to another, exponentially decaying.
    void Tone(float start, float length, float gain, float fromHz, float toHz, float decay);
    // A mechanical click: a very short burst of bright noise and a knock.
    void Click(float start, float gain, float pitchHz);
    // A metallic ping: a few inharmonic partials.
    void Ping(float start, float gain, float baseHz, float decay);

    // Fades the last milliseconds out and scales the peak to the level.
    std::vector<float> Finish(float peak = 0.8f);

private:
    int Index(float t) const { return int(t * kRate); }

    std::vector<float> samples_;
    Rng rng_;
};
