#pragma once

#include "LossProfile.h"
#include "TestConnection.h"

#include <deque>

namespace NetTest {

// One direction of an in-memory lossy path between two test connections,
// counted in steps: no sockets, no threads, the same result on every run.
class LossyChannel {
public:
    LossyChannel(const LossProfile& profile, uint32_t seed) : profile_(profile), rng_(seed) {}

    int dropped = 0;
    int duplicated = 0;
    int reordered = 0;
    int delivered = 0;

    void Push(const uint8_t* data, int length, long step)
    {
        LossDecision d = DecideLoss(profile_, rng_);
        if (d.drop) {
            ++dropped;
            return;
        }
        duplicated += d.copies - 1;
        reordered += d.reordered ? 1 : 0;
        for (int i = 0; i < d.copies; ++i)
            queue_.push_back(Entry{step + d.delay[i], Datagram(data, data + length)});
    }

    void DeliverDue(long step, TestConnection& to)
    {
        for (size_t i = 0; i < queue_.size();) {
            if (queue_[i].due <= step) {
                Datagram d = std::move(queue_[i].bytes);
                queue_.erase(queue_.begin() + long(i));
                ++delivered;
                to.Deliver(d);
            } else {
                ++i;
            }
        }
    }

private:
    struct Entry {
        long due;
        Datagram bytes;
    };
    LossProfile profile_;
    std::mt19937 rng_;
    std::deque<Entry> queue_;
};

} // namespace NetTest
