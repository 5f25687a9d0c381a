#pragma once

// Sums the host's frame times; an announcement is due every 60 s of it. The
// sum starts high so that a new server announces on its first tick.
class Heartbeat {
public:
    // True when an announcement is due; the sum then restarts from 0.
    bool Tick(float dt)
    {
        sum_ += dt;
        if (sum_ < 60.0f)
            return false;
        sum_ = 0.0f;
        return true;
    }
    void Force() { sum_ = 10000.0f; }
    float GetSum() const { return sum_; }

private:
    float sum_ = 100.0f;
};
