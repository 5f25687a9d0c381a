#include "engine/net/ServerEffectObject.h"

#include "engine/net/PacketBuffer.h"

namespace MPAPI {

ServerEffectObject::ServerEffectObject(Object* object, const FieldLayout& layout)
    : networkId(object->GetNetworkId()), typeId(object->GetTypeId()), extraDataSize(object->GetExtraDataSize()),
      layout_(layout)
{
    values_.resize(size_t(layout_.GetCount()));
    const FieldRecord* f = layout_.GetFields();
    for (int i = 0; i < layout_.GetCount(); ++i)
        values_[size_t(i)] = FieldLayout::ReadMember(object, f[i]);
}

bool ServerEffectObject::Write(PacketBuffer& p) const
{
    p.SavePosition();
    bool ok = p.WriteU32(uint32_t(networkId)) && p.WriteBits(2, 1) && p.WriteU32(uint32_t(typeId));
    const FieldRecord* f = layout_.GetFields();
    for (int i = 0; ok && i < layout_.GetCount();) {
        int32_t type = f[i].type;
        if (type >= kFieldByte && type <= kFieldBool) {
            ok = p.WriteBit(true) && p.WriteBits(FieldLayout::WireBits(type), values_[size_t(i)]);
            ++i;
        } else if (type == kFieldVector) {
            // Snapshots carry no vectors, but the client reads their bits.
            ok = p.WriteBits(4, 0);
            i += 4;
        } else {
            if (type == kFieldFloat)
                ok = p.WriteBit(false);
            ++i;
        }
    }
    if (!ok)
        p.RollBack();
    return ok;
}

} // namespace MPAPI
