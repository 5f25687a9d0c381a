// Datagrams of an untrusted client fed to the server as its receive thread
// would, with one admitted client that streams objects, and a server frame
// after each datagram.
#include "engine/net/MpapiDatagram.h"
#include "engine/net/ServerManager.h"
#include "tests/engine/net/MpapiTestObjects.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

namespace {

constexpr int kAdmittedPort = 1000;
constexpr uint32_t kAddress = 0x0100000Au;
constexpr int kMaxDatagrams = 64;

void Inject(MPAPI::ServerManager& s, const uint8_t* d, int n, int port) { s.InjectDatagram(d, n, kAddress, port); }

} // namespace

// Input: records of a flags byte (bit 0: from a stranger's port, bits 1-7
// pick that port), a 16-bit little-endian length and the bytes (the rest
// when it runs short).
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    auto server = std::make_unique<MPAPI::ServerManager>();
    const uint8_t connect[] = {0xB2, 0x60, 0x0A};
    const uint8_t confirm[] = {0xB2, 0x39};
    const uint8_t stream[] = {0x40, MPAPI::MpapiDatagram::kStartStream};
    Inject(*server, connect, 3, kAdmittedPort);
    Inject(*server, confirm, 2, kAdmittedPort);
    Inject(*server, stream, 2, kAdmittedPort);
    MPAPI::IConnection* c = server->NextNewConnection();
    if (!c)
        __builtin_trap();
    NetTest::Thing player;
    c->SetPlayerObject(&player);
    std::vector<std::unique_ptr<NetTest::Thing>> things(8);
    for (size_t i = 0; i < things.size(); ++i) {
        things[i] = std::make_unique<NetTest::Thing>();
        things[i]->x = float(i) * 100.0f;
        things[i]->always = i % 3 == 0;
        server->AddObject(things[i].get());
    }
    size_t at = 0;
    for (int count = 0; count < kMaxDatagrams && at + 3 <= size; ++count) {
        uint8_t flags = data[at];
        size_t length = size_t(data[at + 1]) | (size_t(data[at + 2]) << 8);
        at += 3;
        if (length > size - at)
            length = size - at;
        if (length > size_t(MPAPI::MpapiDatagram::kMaxSize))
            length = MPAPI::MpapiDatagram::kMaxSize;
        int port = (flags & 1) ? 2000 + (flags >> 1) : kAdmittedPort;
        if (length > 0)
            Inject(*server, data + at, int(length), port);
        at += length;
        server->Update(0.05f);
        if (count == kMaxDatagrams / 2)
            server->RemoveObject(things[1].get());
    }
    for (int i = 0; i < 4; ++i)
        server->Update(0.3f);
    server->RemoveAllObjects();
    return 0;
}
