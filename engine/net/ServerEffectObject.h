#pragma once

#include "engine/net/FieldLayout.h"

#include <cstdint>
#include <vector>

namespace MPAPI {

class PacketBuffer;

// A one-shot effect as it was when the game added it, queued for one
// connection until a packet carrying it is acknowledged.
class ServerEffectObject {
public:
    ServerEffectObject(Object* object, const FieldLayout& layout);

    // Writes the create form; false (nothing kept) when it does not fit.
    bool Write(PacketBuffer& packet) const;

    int32_t networkId;
    int typeId;
    int extraDataSize;
    uint16_t sequence = 0; // the packet carrying it, 0 not yet sent or lost

private:
    FieldLayout layout_;
    std::vector<uint32_t> values_;
};

} // namespace MPAPI
