#include "engine/web/ServerStatusFile.h"

#include "engine/core/StringKit.h"
#include "engine/files/IFile.h"
#include "engine/files/IFileManager.h"

#include <memory>

std::u16string ServerStatusFile::Escape(const char16_t* text)
{
    std::u16string out;
    for (const char16_t* p = text; p && *p; ++p) {
        switch (*p & 0xFF) {
        case 0:
            break;
        case '&':
            out += u"&amp;";
            break;
        case '<':
            out += u"&lt;";
            break;
        case '>':
            out += u"&gt;";
            break;
        case '"':
            out += u"&quot;";
            break;
        default:
            out.push_back(*p);
        }
    }
    return out;
}

std::string ServerStatusFile::BuildText(const char16_t* name, const char16_t* level, int players, int maxPlayers,
                                        const std::vector<std::u16string>& playerNames)
{
    std::u16string text = Util::Format(u"<?xml version=\"1.0\" encoding=\"utf-8\" standalone=\"yes\"?>\n<serverDesc>\n"
                                       u"\t<name>%s</name>\n\t<level>%s</level>\n\t<players>%d</players>\n"
                                       u"\t<maxPlayers>%d</maxPlayers>\n</serverDesc>\n<players>\n",
                                       Escape(name).c_str(), Escape(level).c_str(), players, maxPlayers);
    for (const std::u16string& player : playerNames) {
        if (text.size() >= kPlayerListLimit)
            break;
        text += u"\t<player>\n\t\t<name>";
        text += Escape(player.c_str());
        text += u"</name>\n\t</player>\n";
    }
    if (text.size() < kPlayerListLimit)
        text += u"</players>\n";
    std::string bytes;
    bytes.reserve(text.size());
    for (char16_t c : text) {
        char b = char(c & 0xFF);
        if (b == 0)
            break;
        bytes.push_back(b);
    }
    return bytes;
}

bool ServerStatusFile::Write(IFileManager* files, const char16_t* path, const std::string& text)
{
    if (!files || !path || !*path)
        return false;
    std::unique_ptr<IFile> file(files->Open(path, kOpenWrite, kOpenFullPath | kOpenNoPackage));
    if (!file)
        return false;
    bool ok = file->Write(text.data(), int(text.size()));
    return file->Flush() && ok;
}
