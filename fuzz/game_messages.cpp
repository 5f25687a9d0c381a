// Random message streams into both sides of the multiplayer handler: the
// framing, every message reader, join, chat and the player table.
#include "game/world/net/GameMessage.h"
#include "game/world/settings/GameOptions.h"
#include "tests/game/shell/protocol/FakeRoster.h"
#include "tests/game/shell/protocol/MemoryConnection.h"

#include <cstdint>
#include <cstdlib>

namespace {

using namespace GameMessages;

void ReadAny(GamePacket& p)
{
    std::u16string text;
    uint32_t a = 0, b = 0;
    int16_t s1 = 0, s2 = 0;
    float f[4] = {};
    uint8_t byte = 0;
    const uint8_t* data = nullptr;
    int size = 0;
    SlotRecord records[kMaxRecords];
    JoinRequest join;
    FirstChunk chunk;
    switch (GameMessage(p.GetType())) {
    case GameMessage::LevelStart:
        ReadLevelStart(p, &text);
        break;
    case GameMessage::Join:
        ReadJoin(p, &join);
        break;
    case GameMessage::Message:
    case GameMessage::Chat:
        ReadFlaggedText(p, &byte, &text);
        break;
    case GameMessage::AmmoUpdate:
        ReadAmmoUpdate(p, &a, &s1);
        break;
    case GameMessage::WeaponUpdate:
        ReadWeaponUpdate(p, &a, &s1, &s2);
        break;
    case GameMessage::PlayerEntry:
        ReadPlayerEntry(p, &a, &text);
        break;
    case GameMessage::PlayerSlotUpdate:
        ReadPlayerSlotUpdate(p, &records[0]);
        break;
    case GameMessage::Blast:
        ReadFloats(p, f, 4);
        break;
    case GameMessage::WallState:
        ReadWallState(p, &a, &b, &data, &size);
        break;
    case GameMessage::ThrowRequest:
        ReadThrowRequest(p);
        break;
    case GameMessage::PlayerStatus:
        ReadPlayerStatus(p, records);
        break;
    case GameMessage::Notice:
        ReadNotice(p, &text);
        break;
    case GameMessage::LevelReady:
        ReadLevelReady(p);
        break;
    case GameMessage::FileChunk:
        if (!ReadFirstChunk(p, &chunk))
            ReadChunk(p, &data, &size);
        break;
    case GameMessage::MissionItemTaken:
    case GameMessage::MissionItemRemoved:
    case GameMessage::GameModeData:
        ReadPair(p, &a, &b);
        break;
    case GameMessage::PlayerTable:
        ReadPlayerTable(p, records);
        break;
    case GameMessage::Explosion:
        ReadExplosion(p, &f[0], &f[1], &byte);
        break;
    case GameMessage::Blood:
    case GameMessage::Smoke:
        ReadFloats(p, f, 3);
        break;
    case GameMessage::Countdown:
    case GameMessage::GameModeTime:
        ReadFloats(p, f, 1);
        break;
    default:
        ReadValue(p);
        break;
    }
    if (p.GetReadPosition() > p.GetLength())
        abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static GameOptions* options = [] {
        auto* o = new GameOptions();
        o->AddOperator(u"op");
        return o;
    }();
    for (int serving = 0; serving < 2; ++serving) {
        RecordingHandler handler;
        FakeRoster roster;
        handler.SetRoster(&roster);
        handler.SetOptions(options);
        handler.SetCommandRunner([](const char16_t* line) {
            if (!line)
                abort();
        });
        Player* op = handler.AcceptJoin(nullptr, u"op", "");
        MemoryConnection link;
        link.inbound.assign(data, data + size);
        while (GamePacket* m = handler.ReceiveNext(&link)) {
            if (m->GetLength() > GamePacket::kMaxPayload)
                abort();
            if (serving && m->GetType() == uint16_t(GameMessage::Join)) {
                MemoryConnection joiner;
                handler.HandleJoinMessage(m, &joiner);
            } else if (serving && m->GetType() == uint16_t(GameMessage::Chat)) {
                handler.HandleChatMessage(m, op);
            } else if (serving || !handler.HandleTableMessage(m)) {
                ReadAny(*m);
            }
        }
        for (int i = 0; i < MultiplayerHandler::kSlotCount; ++i)
            if (handler.GetSlot(i)->name[63] != 0 || handler.GetSlot(i)->value > 9999)
                abort();
    }
    return 0;
}
