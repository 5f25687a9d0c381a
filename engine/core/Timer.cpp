#include "engine/core/Timer.h"

#include "platform/os/Os.h"

Timer::Timer(FrameClock::Counter counter)
    : counter_(counter ? counter : &Os::CounterNow), frequency_(Os::CounterFrequency())
{
}

void Timer::Reset() { start_ = counter_(); }

float Timer::GetElapsed() { return float(ClampFrameSeconds(double(counter_() - start_) / double(frequency_))); }
