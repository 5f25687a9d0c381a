#include "StandInServer.h"

#include <dirent.h>
#include <sys/stat.h>

#include <algorithm>
#include <cstdint>
#include <fstream>
#include <sstream>
#include <vector>

namespace {

struct Offer {
    int version = 0;
    std::string file;
    int64_t size = 0;
};

bool PlainName(const std::string& name)
{
    for (char c : name)
        if (!((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '.' || c == '_' ||
              c == '-'))
            return false;
    return !name.empty() && name[0] != '.';
}

std::string Escaped(const std::string& text)
{
    std::string out;
    for (char c : text) {
        if (c == '&')
            out += "&amp;";
        else if (c == '<')
            out += "&lt;";
        else if (c == '>')
            out += "&gt;";
        else
            out.push_back(c);
    }
    return out;
}

// The data version of a package with a versioned header; false for any
// other file.
bool PackageVersion(const std::string& path, int* version)
{
    std::ifstream in(path, std::ios::binary);
    unsigned char head[12];
    if (!in.read(reinterpret_cast<char*>(head), sizeof head))
        return false;
    auto get = [&](int at) {
        return int32_t(uint32_t(head[at]) | uint32_t(head[at + 1]) << 8 | uint32_t(head[at + 2]) << 16 |
                       uint32_t(head[at + 3]) << 24);
    };
    if (get(0) != -1)
        return false;
    *version = get(8);
    return true;
}

std::string ReadText(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

} // namespace

StandInServer::Reply StandInServer::UpdateList(const std::string& hostHeader)
{
    std::vector<Offer> offers;
    DIR* dir = filesDir_.empty() ? nullptr : ::opendir(filesDir_.c_str());
    while (dir) {
        dirent* e = ::readdir(dir);
        if (!e)
            break;
        const std::string name = e->d_name;
        struct stat st;
        Offer offer;
        offer.file = name;
        const std::string path = filesDir_ + "/" + name;
        if (!PlainName(name) || name.size() < 6 || name.compare(name.size() - 5, 5, ".data") != 0 ||
            ::stat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode) || !PackageVersion(path, &offer.version))
            continue;
        offer.size = st.st_size;
        offers.push_back(offer);
    }
    if (dir)
        ::closedir(dir);
    std::sort(offers.begin(), offers.end(), [](const Offer& a, const Offer& b) {
        return a.version != b.version ? a.version < b.version : a.file < b.file;
    });

    // The address the client reached us at; anything odd in it is dropped.
    std::string host;
    for (char c : hostHeader)
        if ((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '.' || c == ':' ||
            c == '-')
            host.push_back(c);
    if (host.empty())
        host = "127.0.0.1";

    Reply reply;
    reply.body = "<?xml version=\"1.0\"?>\n<updates>\n";
    for (const Offer& o : offers) {
        const std::string stem = o.file.substr(0, o.file.size() - 5);
        reply.body += "<updateFile><name>" + Escaped(stem) + "</name><notes>" +
                      Escaped(ReadText(filesDir_ + "/" + stem + ".txt")) + "</notes><version>" +
                      std::to_string(o.version) + "</version><fileUrl>http://" + host + "/" + o.file +
                      "</fileUrl><fileSize>" + std::to_string(o.size) + "</fileSize></updateFile>\n";
    }
    reply.body += "</updates>\n";
    return reply;
}
