#pragma once

#include "engine/net/FieldEncoding.h"
#include "engine/net/FieldLayout.h"

#include <cstdint>
#include <vector>

namespace MPAPI {

// What the server's pass knows of one listed object: its layout and
// replicated values as the last pass saw them (one per field record, then
// the bytes that force its vectors), so that a pass tells the handlers only
// of the objects that changed, and what the pass encoded of them.
struct WatchedObject {
    FieldLayout layout;
    std::vector<uint32_t> values;
    FieldEncoding encoding;
    // The pass that last saw a field of the object other than a vector
    // change (or the object listed).
    uint64_t scalarsChanged = 0;
};

} // namespace MPAPI
