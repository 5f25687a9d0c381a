#include "editor/package/PackageBuilder.h"

#include "engine/core/StringKit.h"
#include "engine/files/IFileManager.h"
#include "platform/os/OsText.h"

#include <algorithm>
#include <filesystem>
#include <system_error>

namespace fs = std::filesystem;

namespace PackageBuilder {
namespace {

const char16_t* const kScripts[] = {u"blocks.cfg", u"objects.cfg", u"items.cfg", u"weapons_fin_vs_rus.cfg"};
const char* const kFolders[] = {"gfx", "sfx", "levels"};

void Walk(const fs::path& folder, const std::string& relative, std::vector<std::u16string>* names)
{
    std::error_code ec;
    std::vector<fs::directory_entry> entries;
    for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec))
        entries.push_back(*it);
    std::sort(entries.begin(), entries.end(), [](const fs::directory_entry& a, const fs::directory_entry& b) {
        return a.path().filename().native() < b.path().filename().native();
    });
    for (const fs::directory_entry& entry : entries) {
        const std::string name = entry.path().filename().native();
        if (name.empty() || name[0] == '.')
            continue;
        const fs::file_status own = entry.symlink_status(ec);
        if (ec)
            continue;
        const fs::file_status target = entry.status(ec);
        if (ec)
            continue;
        if (fs::is_directory(target)) {
            if (!fs::is_symlink(own))
                Walk(entry.path(), relative + name + "/", names);
        } else if (fs::is_regular_file(target)) {
            names->push_back(Util::FromOs(relative + name));
        }
    }
}

} // namespace

std::vector<std::u16string> CollectNames(const std::u16string& gameDir)
{
    std::vector<std::u16string> names(std::begin(kScripts), std::end(kScripts));
    const fs::path root(Util::ToOs(gameDir));
    for (const char* folder : kFolders)
        Walk(root / folder, std::string(folder) + "/", &names);
    return names;
}

std::u16string BeginWith(IFileManager* files, const std::vector<std::u16string>& names)
{
    std::u16string list;
    files->BeginPackage(0);
    for (const std::u16string& name : names) {
        list += name;
        list += u"\r\n";
        files->AddFileToPackage(name.c_str(), 0);
    }
    return list;
}

bool ParseVersion(const std::u16string& text, int* version)
{
    long long v = 0;
    if (text.empty() || !std::all_of(text.begin(), text.end(), [](char16_t c) { return c >= u'0' && c <= u'9'; }))
        return false;
    if (!Util::ParseInt(text.c_str(), &v) || v < 0 || v > kMaxVersion)
        return false;
    *version = int(v);
    return true;
}

bool IsOpenDataPackage(IFileManager* files, const std::u16string& path)
{
    std::error_code ecData, ecTarget;
    const fs::path data = fs::weakly_canonical(fs::path(Util::ToOs(files->GetGameDir())) / "game.data", ecData);
    const fs::path target = fs::weakly_canonical(fs::path(Util::ToOs(path)), ecTarget);
    return !ecData && !ecTarget && data == target;
}

bool Write(IFileManager* files, int version, const std::u16string& path)
{
    files->SetPackageVersion(version);
    return files->SavePackage(path.c_str(), nullptr);
}

} // namespace PackageBuilder
