#pragma once

#include "TestConnection.h"
#include "support/TestSupport.h"

#include <string>

namespace NetTest {

// Seeds for the datagram fuzz target, in its input form: a mode byte (bit 0
// server side, bits 1-2 state, bit 3 object stream on, bit 4 stream queued,
// bit 5 sequences near the wrap) and records of a 16-bit length and bytes.
inline void WriteDatagramSeed(const std::string& name, const std::vector<Datagram>& datagrams)
{
    const uint8_t modes[] = {0x01, 0x08, 0x39, 0x04};
    for (uint8_t mode : modes) {
        Datagram seed{mode};
        for (const Datagram& d : datagrams) {
            seed.push_back(uint8_t(d.size()));
            seed.push_back(uint8_t(d.size() >> 8));
            seed.insert(seed.end(), d.begin(), d.end());
        }
        TestSupport::WriteFuzzSeed("mpapi_datagram", name + "_mode" + std::to_string(mode), seed);
    }
}

} // namespace NetTest
