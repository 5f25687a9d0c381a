#pragma once

#include "engine/core/FrameClock.h"
#include "engine/core/ITimer.h"

class Timer : public ITimer {
public:
    explicit Timer(FrameClock::Counter counter = nullptr);
    void Reset() override;
    float GetElapsed() override;

private:
    FrameClock::Counter counter_;
    int64_t frequency_;
    int64_t start_ = 0;
};
