#include "platform/os/FolderCache.h"

#include <dirent.h>
#include <sys/stat.h>

#include <ctime>
#include <mutex>
#include <unordered_map>

namespace Os {

namespace {

constexpr size_t kMaxFolders = 64;
// A folder changed this close to its reading may change again within the
// same tick of the file system's clock without a new modification time;
// such a listing is read again until the folder has settled.
constexpr long long kSettleNs = 2000000000LL;

struct Listing {
    dev_t device;
    ino_t inode;
    struct timespec modified;
    bool settled;
    std::unordered_map<std::string, std::string> names; // folded name -> name
};

std::string Fold(const std::string& name)
{
    std::string out(name);
    for (char& c : out)
        if (c >= 'A' && c <= 'Z')
            c = char(c + 32);
    return out;
}

long long Nanoseconds(const struct timespec& t) { return (long long)t.tv_sec * 1000000000LL + t.tv_nsec; }

bool Read(const std::string& folder, const struct stat& st, Listing* listing)
{
    DIR* d = opendir(folder.c_str());
    if (!d)
        return false;
    struct timespec now;
    clock_gettime(CLOCK_REALTIME, &now);
    listing->device = st.st_dev;
    listing->inode = st.st_ino;
    listing->modified = st.st_mtim;
    listing->settled = Nanoseconds(now) - Nanoseconds(st.st_mtim) > kSettleNs;
    listing->names.clear();
    // The first of several names that fold alike wins, as a scan would.
    while (dirent* e = readdir(d))
        listing->names.emplace(Fold(e->d_name), e->d_name);
    closedir(d);
    return true;
}

bool Current(const Listing& l, const struct stat& st)
{
    return l.settled && l.device == st.st_dev && l.inode == st.st_ino && l.modified.tv_sec == st.st_mtim.tv_sec &&
           l.modified.tv_nsec == st.st_mtim.tv_nsec;
}

std::mutex g_lock;
std::unordered_map<std::string, Listing> g_listings;

} // namespace

bool FindNameIgnoringCase(const std::string& folder, const std::string& name, std::string* match)
{
    struct stat st;
    if (::stat(folder.c_str(), &st) != 0 || !S_ISDIR(st.st_mode))
        return false;
    std::lock_guard<std::mutex> hold(g_lock);
    auto at = g_listings.find(folder);
    if (at == g_listings.end() || !Current(at->second, st)) {
        if (at == g_listings.end() && g_listings.size() >= kMaxFolders)
            g_listings.clear();
        Listing fresh;
        if (!Read(folder, st, &fresh)) {
            if (at != g_listings.end())
                g_listings.erase(at);
            return false;
        }
        at = g_listings.insert_or_assign(folder, std::move(fresh)).first;
    }
    auto found = at->second.names.find(Fold(name));
    if (found == at->second.names.end())
        return false;
    *match = found->second;
    return true;
}

} // namespace Os
