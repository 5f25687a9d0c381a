#include "engine/net/ClientStateBlock.h"

#include "engine/net/PacketBuffer.h"

#include <cmath>

namespace MPAPI {

bool ClientStateBlock::Write(PacketBuffer& packet, uint32_t sequence) const
{
    packet.SavePosition();
    bool ok = packet.WriteU32(sequence) && packet.WriteU32(uint32_t(flags)) && packet.WriteFloat(value) &&
              packet.WriteFloat(x) && packet.WriteFloat(y) && packet.WriteU32(uint32_t(intA)) &&
              packet.WriteU32(uint32_t(intB)) && packet.WriteFloat(u) && packet.WriteFloat(v);
    if (!ok)
        packet.RollBack();
    return ok;
}

bool ClientStateBlock::Read(PacketBuffer& packet, uint32_t* sequence, ClientStateBlock* out)
{
    if (packet.BitsLeft() < kBits)
        return false;
    ClientStateBlock b;
    uint32_t s = packet.ReadU32();
    b.flags = int(packet.ReadU32());
    b.value = packet.ReadFloat();
    b.x = packet.ReadFloat();
    b.y = packet.ReadFloat();
    b.intA = int(packet.ReadU32());
    b.intB = int(packet.ReadU32());
    b.u = packet.ReadFloat();
    b.v = packet.ReadFloat();
    if (packet.Overrun())
        return false;
    if (!std::isfinite(b.value) || !std::isfinite(b.x) || !std::isfinite(b.y) || !std::isfinite(b.u) ||
        !std::isfinite(b.v))
        return false;
    if (sequence)
        *sequence = s;
    if (out)
        *out = b;
    return true;
}

} // namespace MPAPI
