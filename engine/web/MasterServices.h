#pragma once

#include "engine/core/List.h"

#include <cstdint>
#include <string>

class IDownloadListener;
class IFileManager;
class IUpdateFile;
class LoginParser;
class ServerList;
namespace HTTPUtils {
class HTTPConnection;
}
namespace nsParser {
class XMLInterface;
}

// The requests to the master server and the update service, and the
// reading of their XML replies.
// How long a download may wait and how large it may grow.
struct DownloadLimits {
    int headerMs = 30000;   // for the whole reply header
    int bodyIdleMs = 30000; // without a body byte
    int64_t maxBytes = int64_t(1) << 30;
};

class MasterServices {
public:
    static constexpr const char16_t* kDefaultUpdateHost = u"update.vornhal.net";

    // The update host: the one set here, else VORNHAL_UPDATE_HOST from the
    // environment, else the default. Null or empty clears the setting.
    static void SetUpdateHost(const char16_t* host);
    static std::u16string GetUpdateHost();

    // Hands a reply body, widened byte by byte, to the handler; false when
    // there is no body.
    static bool ReadReply(const char* body, int length, nsParser::XMLInterface* handler);
    // GETs url whole and hands a 2xx reply to ReadReply; false when there
    // was no such reply.
    static bool FetchXml(HTTPUtils::HTTPConnection& connection, const char16_t* url, nsParser::XMLInterface* handler);

    static bool Login(const std::u16string& host, const char16_t* user, const char16_t* password, LoginParser* reply);
    // Null when there is no reply.
    static ServerList* GetServerList(const std::u16string& host);
    // Appends the entries of the update list; false when there is no reply.
    static bool FetchUpdates(Util::List<IUpdateFile>* files);
    // True when the whole file arrived as the reply announced it, or when
    // the listener stopped the transfer; a failed download (also one that
    // stalls or outgrows the limits) leaves no file.
    static bool DownloadFile(IFileManager* files, const char16_t* url, const char16_t* localPath,
                             IDownloadListener* listener, const DownloadLimits& limits = DownloadLimits());
};
