#pragma once

class ITimer {
public:
    virtual ~ITimer() {}
    virtual void Reset() = 0;
    // Seconds since Reset; 0 when negative or above 30.
    virtual float GetElapsed() = 0;
};
