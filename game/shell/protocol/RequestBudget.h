#pragma once

#include <algorithm>

// How often one client may make a request it can repeat at will: a burst,
// then a steady rate. Time comes from the server's frames, never a clock.
class RequestBudget {
public:
    RequestBudget(float burst, float perSecond) : burst_(burst), perSecond_(perSecond), left_(burst) {}

    void Refill(float dt)
    {
        if (dt > 0.0f)
            left_ = std::min(burst_, left_ + dt * perSecond_);
    }
    // True, and one request spent, when the budget allows one now.
    bool Take()
    {
        if (left_ < 1.0f)
            return false;
        left_ -= 1.0f;
        return true;
    }

private:
    float burst_;
    float perSecond_;
    float left_;
};
