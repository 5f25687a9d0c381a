#include "engine/web/MasterServices.h"

#include "engine/core/StringKit.h"
#include "engine/files/IFile.h"
#include "engine/files/IFileManager.h"
#include "engine/web/HTTPConnection.h"
#include "engine/web/IDownloadListener.h"
#include "engine/web/LoginParser.h"
#include "engine/web/ServerList.h"
#include "engine/web/ServerListParser.h"
#include "engine/web/UpdateParser.h"
#include "engine/xml/ReadXml.h"

#include <algorithm>
#include <climits>
#include <cstdlib>
#include <memory>
#include <mutex>

namespace {

std::mutex g_updateHostMutex;
std::u16string g_updateHost;

} // namespace

void MasterServices::SetUpdateHost(const char16_t* host)
{
    std::lock_guard<std::mutex> lock(g_updateHostMutex);
    g_updateHost = host ? host : u"";
}

std::u16string MasterServices::GetUpdateHost()
{
    {
        std::lock_guard<std::mutex> lock(g_updateHostMutex);
        if (!g_updateHost.empty())
            return g_updateHost;
    }
    const char* env = std::getenv("VORNHAL_UPDATE_HOST");
    if (env && *env)
        return Util::Widen(env);
    return kDefaultUpdateHost;
}

bool MasterServices::FetchXml(HTTPUtils::HTTPConnection& connection, const char16_t* url,
                              nsParser::XMLInterface* handler)
{
    if (!connection.Get(url, true) || !connection.Succeeded())
        return false;
    return ReadReply(connection.GetBody(), connection.GetBodyLength(), handler);
}

bool MasterServices::ReadReply(const char* body, int length, nsParser::XMLInterface* handler)
{
    if (!body || length <= 0)
        return false;
    std::u16string text = Util::Widen(body, size_t(length));
    ReadXml(text.c_str(), int(text.size()), handler);
    return true;
}

bool MasterServices::Login(const std::u16string& host, const char16_t* user, const char16_t* password,
                           LoginParser* reply)
{
    HTTPUtils::HTTPConnection c;
    // Encoded, so that "&", "#" or a line break in a password reach the
    // service as typed.
    c.AddParam(u"username", user ? user : u"");
    c.AddParam(u"password", password ? password : u"");
    std::u16string url = u"http://" + host + u"/login.php";
    return FetchXml(c, url.c_str(), reply);
}

ServerList* MasterServices::GetServerList(const std::u16string& host)
{
    HTTPUtils::HTTPConnection c;
    std::u16string url = u"http://" + host + u"/servers.php";
    std::unique_ptr<ServerList> list(new ServerList());
    ServerListParser parser(list.get());
    if (!FetchXml(c, url.c_str(), &parser))
        return nullptr;
    return list.release();
}

bool MasterServices::FetchUpdates(Util::List<IUpdateFile>* files)
{
    HTTPUtils::HTTPConnection c;
    std::u16string url = u"http://" + GetUpdateHost() + u"/updates.xml";
    UpdateParser parser(files);
    return FetchXml(c, url.c_str(), &parser);
}

bool MasterServices::DownloadFile(IFileManager* files, const char16_t* url, const char16_t* localPath,
                                  IDownloadListener* listener, const DownloadLimits& limits)
{
    if (!files || !localPath)
        return false;
    HTTPUtils::HTTPConnection c;
    c.SetStreamDeadlines(limits.headerMs, limits.bodyIdleMs);
    if (!c.Get(url, false))
        return false;
    // An error page must not replace the file at the local path, nor may a
    // file larger than the limit start to.
    if (!c.WaitForHeader() || c.GetStatusCode() < 200 || c.GetStatusCode() >= 300 ||
        c.GetContentLength() > limits.maxBytes)
        return false;
    std::unique_ptr<IFile> file(files->Open(localPath, kOpenWrite, 11));
    if (!file)
        return false;
    char buffer[HTTPUtils::HTTPConnection::kChunkSize];
    int64_t total = 0;
    bool written = true;
    for (;;) {
        int n = c.ReceiveChunk(buffer);
        if (n <= 0)
            break;
        total += n;
        if (total > limits.maxBytes || !file->Write(buffer, n)) {
            written = false;
            break;
        }
        if (listener && !listener->OnProgress(int(std::min<int64_t>(total, INT_MAX))))
            return file->Flush(), true; // stopped by the caller: what came stays
    }
    bool flushed = file->Flush();
    if (written && flushed && c.IsComplete())
        return true;
    file->CloseAndDelete();
    return false;
}
