#pragma once

#include <cstdint>
#include <random>

namespace NetTest {

// What a lossy path does to each datagram, drawn from a seeded generator so
// that a run can be repeated: lost, sent twice, held back so that later ones
// overtake it, and delayed by up to maxDelay units (steps or milliseconds).
struct LossProfile {
    double loss = 0;
    double duplicate = 0;
    double reorder = 0;
    int maxDelay = 0;
};

struct LossDecision {
    bool drop = false;
    int copies = 1;
    int delay[2] = {0, 0};
    bool reordered = false;
};

inline LossDecision DecideLoss(const LossProfile& p, std::mt19937& rng)
{
    std::uniform_real_distribution<double> unit(0.0, 1.0);
    std::uniform_int_distribution<int> delay(0, p.maxDelay > 0 ? p.maxDelay : 0);
    LossDecision d;
    d.drop = unit(rng) < p.loss;
    d.copies = unit(rng) < p.duplicate ? 2 : 1;
    d.reordered = unit(rng) < p.reorder;
    for (int i = 0; i < 2; ++i)
        d.delay[i] = delay(rng) + (d.reordered && i == 0 ? p.maxDelay + 1 : 0);
    return d;
}

} // namespace NetTest
