#include "engine/core/FrameClock.h"

#include "platform/os/Os.h"

FrameClock::FrameClock(bool takeFreshReading, Counter counter)
    : counter_(counter ? counter : &Os::CounterNow), freshReading_(takeFreshReading)
{
}

void FrameClock::Update()
{
    if (!started_) {
        frequency_ = Os::CounterFrequency();
        current_ = previous_ = counter_();
        started_ = true;
    }
    current_ = counter_();
    frameTime_ = ClampFrameSeconds(double(current_ - previous_) / double(frequency_));
    previous_ = freshReading_ ? counter_() : current_;
}
