#pragma once

#include <cstdint>

// One of the engine's frame clocks: seconds between two updates.
class FrameClock {
public:
    using Counter = int64_t (*)();

    // takeFreshReading: the next interval starts at a reading taken after
    // this measurement rather than at the measurement itself.
    explicit FrameClock(bool takeFreshReading, Counter counter = nullptr);

    void Update();
    double GetFrameTime() const { return frameTime_; }

private:
    Counter counter_;
    bool freshReading_;
    bool started_ = false;
    int64_t frequency_ = 1;
    int64_t current_ = 0;
    int64_t previous_ = 0;
    double frameTime_ = 0;
};

// Frame times and timer readings outside 0..30 s are not trusted.
inline double ClampFrameSeconds(double s) { return (s < 0.0 || s > 30.0) ? 0.0 : s; }
