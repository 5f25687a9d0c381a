// Object sections of an untrusted server fed to the client's reader, with a
// frame of the client between them, so that what the reader stored is also
// applied to the objects.
#include "engine/net/ClientManager.h"
#include "engine/net/PacketBuffer.h"
#include "tests/engine/net/MpapiTestObjects.h"

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <memory>

namespace {

constexpr int kMaxPackets = 64;

} // namespace

// Input: records of a 16-bit packet sequence, a 16-bit length (both little
// endian) and that many bytes of object section (the rest when it runs
// short).
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    NetTest::Listener listener;
    auto client = std::make_unique<MPAPI::ClientManager>();
    client->SetListener(&listener);
    MPAPI::ClientHandler& handler = client->GetHandler();
    handler.OnConnected();
    // A level object the client built itself; the server may remove it.
    bool localGone = false;
    auto* local = new NetTest::Thing();
    local->onGone = [&](NetTest::Thing*) { localGone = true; };
    client->AddObject(local);
    MPAPI::PacketBuffer reader;
    size_t pos = 0;
    for (int packets = 0; packets < kMaxPackets && pos + 4 <= size; ++packets) {
        uint16_t sequence = uint16_t(data[pos] | data[pos + 1] << 8);
        size_t length = size_t(data[pos + 2] | data[pos + 3] << 8);
        pos += 4;
        if (length > size - pos)
            length = size - pos;
        if (length > size_t(MPAPI::PacketBuffer::kCapacity))
            length = MPAPI::PacketBuffer::kCapacity;
        reader.SetupReader(data + pos, int(length));
        pos += length;
        handler.ReadPayload(reader, sequence);
        client->Update(packets % 4 == 3 ? 3.0f : 0.02f);
        for (MPAPI::Object* o : listener.ready_) {
            if (o->GetTypeId() != NetTest::kThingType)
                continue;
            auto* t = static_cast<NetTest::Thing*>(o);
            // Floats stay finite; positions and speeds inside the bounds.
            if (!std::isfinite(t->health))
                __builtin_trap();
            for (float v : {t->x, t->y, t->vx, t->vy})
                if (!std::isfinite(v) || std::fabs(v) > MPAPI::ClientHandler::kMaxCoordinate)
                    __builtin_trap();
        }
    }
    client->RemoveAllObjects();
    if (!localGone)
        delete local;
    return 0;
}
