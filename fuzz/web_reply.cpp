// Feeds arbitrary bytes as a master-server or update-service reply, framed
// by the HTTP reply parser and read by the handler the first byte picks:
// login, server list, update list or account look-up.

#include "engine/web/HTTPResponseParser.h"
#include "engine/web/IServerInfo.h"
#include "engine/web/IUpdateFile.h"
#include "engine/web/LoginParser.h"
#include "engine/web/MasterServices.h"
#include "engine/web/PlayerInfoParser.h"
#include "engine/web/ServerList.h"
#include "engine/web/ServerListParser.h"
#include "engine/web/UpdateParser.h"

#include <cstdint>
#include <cstdlib>

namespace {

size_t Length(const char16_t* s)
{
    if (!s)
        std::abort(); // the getters promise a string, empty for no value
    size_t n = 0;
    while (s[n])
        ++n;
    return n;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 1)
        return 0;
    int kind = data[0] & 3;
    // High bit: the bytes are the body alone; otherwise a whole reply.
    bool bodyOnly = data[0] & 0x80;
    const char* bytes = reinterpret_cast<const char*>(data + 1);
    size_t n = size - 1;

    HTTPUtils::HTTPResponseParser parser(1u << 20);
    if (!bodyOnly) {
        parser.Feed(bytes, n);
        parser.Finish();
        if (!parser.IsDone())
            return 0;
        bytes = parser.BodyData();
        n = parser.BodySize();
    }
    int length = int(n);
    size_t sum = 0;
    switch (kind) {
    case 0: {
        LoginParser login;
        MasterServices::ReadReply(bytes, length, &login);
        sum += size_t(login.GetStatus()) + login.GetNick().size() + login.GetUid().size();
        break;
    }
    case 1: {
        ServerList list;
        {
            ServerListParser reader(&list);
            MasterServices::ReadReply(bytes, length, &reader);
        }
        for (int i = 0; i < list.GetCount(); ++i) {
            IServerInfo* s = list.GetServer(i);
            sum += Length(s->GetName()) + Length(s->GetLevel()) + Length(s->GetAddress());
            // Each field on its own: the reply may hold any number in them.
            sum += size_t(s->GetPort()) + size_t(s->GetPlayers());
            sum += size_t(s->GetMaxPlayers()) + size_t(s->GetGameMode());
        }
        if (list.GetServer(list.GetCount()) || list.GetServer(-1))
            std::abort();
        break;
    }
    case 2: {
        Util::List<IUpdateFile> files;
        {
            UpdateParser reader(&files);
            MasterServices::ReadReply(bytes, length, &reader);
        }
        for (int i = 0; i < files.GetCount(); ++i) {
            IUpdateFile* f = files.Get(i);
            sum += Length(f->GetName()) + Length(f->GetNotes()) + Length(f->GetFileUrl());
            sum += size_t(f->GetVersion()) + size_t(f->GetFileSize());
        }
        files.DeleteAll();
        break;
    }
    default: {
        PlayerInfoParser reader;
        MasterServices::ReadReply(bytes, length, &reader);
        for (int f = PlayerInfoParser::kId; f < PlayerInfoParser::kFieldCount; ++f)
            sum += size_t(reader.Get(PlayerInfoParser::Field(f)));
        break;
    }
    }
    volatile size_t sink = sum;
    (void)sink;
    return 0;
}
