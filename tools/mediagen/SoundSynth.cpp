#include "SoundSynth.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr float kTwoPi = 6.2831853f;

float Envelope(float t, float attack, float decay)
{
    const float rise = attack > 0.0f ? std::min(1.0f, t / attack) : 1.0f;
    const float fall = decay > 0.0f ? std::exp(-std::max(0.0f, t - attack) / decay) : 1.0f;
    return rise * fall;
}

} // namespace

SoundSynth::SoundSynth(float seconds, uint32_t seed) : samples_(size_t(std::max(1, int(seconds * kRate)))), rng_(seed)
{
}

void SoundSynth::Noise(float start, float length, float gain, float cutoffHz, float attack, float decay)
{
    const float a = 1.0f - std::exp(-kTwoPi * cutoffHz / kRate);
    float low = 0.0f;
    const int first = Index(start), count = Index(length);
    for (int i = 0; i < count && first + i < int(samples_.size()); ++i) {
        low += a * (rng_.Signed() - low);
        samples_[size_t(first + i)] += gain * low * Envelope(float(i) / kRate, attack, decay);
    }
}

void SoundSynth::Hiss(float start, float length, float gain, float cutoffHz, float attack, float decay)
{
    const float a = 1.0f - std::exp(-kTwoPi * cutoffHz / kRate);
    float low = 0.0f;
    const int first = Index(start), count = Index(length);
    for (int i = 0; i < count && first + i < int(samples_.size()); ++i) {
        const float n = rng_.Signed();
        low += a * (n - low);
        samples_[size_t(first + i)] += gain * (n - low) * Envelope(float(i) / kRate, attack, decay);
    }
}

void SoundSynth::Tone(float start, float length, float gain, float fromHz, float toHz, float decay)
{
    float phase = 0.0f;
    const int first = Index(start), count = Index(length);
    for (int i = 0; i < count && first + i < int(samples_.size()); ++i) {
        const float t = float(i) / kRate;
        const float hz = fromHz * std::pow(toHz / fromHz, std::min(1.0f, t / std::max(0.001f, length)));
        phase += kTwoPi * hz / kRate;
        samples_[size_t(first + i)] += gain * std::sin(phase) * Envelope(t, 0.002f, decay);
    }
}

void SoundSynth::Click(float start, float gain, float pitchHz)
{
    Noise(start, 0.012f, gain, 6000.0f, 0.0005f, 0.003f);
    Tone(start, 0.03f, gain * 0.6f, pitchHz, pitchHz * 0.7f, 0.008f);
}

void SoundSynth::Ping(float start, float gain, float baseHz, float decay)
{
    static const float kRatios[] = {1.0f, 2.76f, 5.40f, 8.93f};
    static const float kGains[] = {1.0f, 0.6f, 0.35f, 0.2f};
    for (int k = 0; k < 4; ++k)
        Tone(start, decay * 6.0f, gain * kGains[k], baseHz * kRatios[k], baseHz * kRatios[k],
             decay / (1.0f + k * 0.5f));
}

std::vector<float> SoundSynth::Finish(float peak)
{
    const size_t fade = std::min(samples_.size(), size_t(kRate / 100));
    for (size_t i = 0; i < fade; ++i)
        samples_[samples_.size() - 1 - i] *= float(i) / float(fade);
    float top = 0.0f;
    for (float s : samples_)
        top = std::max(top, std::fabs(s));
    if (top > 0.0f)
        for (float& s : samples_)
            s *= peak / top;
    return samples_;
}
