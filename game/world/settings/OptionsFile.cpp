#include "game/world/settings/OptionsFile.h"

#include "engine/audio/IAudio.h"
#include "engine/core/StringKit.h"
#include "engine/files/IFile.h"
#include "engine/files/IFileManager.h"
#include "engine/xml/ReadXml.h"
#include "game/world/settings/IGameOptions.h"
#include "game/world/settings/KeyBindingTable.h"
#include "game/world/settings/OptionsParser.h"
#include "game/world/settings/OptionsSyntax.h"
#include "game/world/settings/OptionsText.h"
#include "game/world/settings/XMLWriter.h"

#include <cerrno>
#include <cstring>
#include <string>
#include <vector>

namespace {

// Far beyond any settings file; a bigger one is not ours.
const int kMaxOptionsBytes = 16 * 1024 * 1024;
const int kMapCycleModes = 100;

int OpenFlags(const char16_t* path) { return kOpenNoPackage | (path[0] == u'/' ? kOpenFullPath : 0); }

void WriteText(XMLWriter& w, const char16_t* name, const char16_t* text)
{
    w.WriteElement(name, EscapeOptionText(text).c_str());
}

void BuildText(XMLWriter& w, IGameOptions* o, const char16_t* masterServer)
{
    w.WriteBool(u"renderlights", o->GetRenderLights());
    w.WriteBool(u"floorblending", o->GetFloorBlending());
    w.WriteBool(u"renderobjshadow", o->GetRenderObjShadow());
    w.WriteBool(u"renderenvshadow", o->GetRenderEnvShadow());
    w.WriteBool(u"windowed", o->GetWindowed());
    w.WriteBool(u"vsync", o->GetVSync());
    w.WriteFloat(u"brightness", o->GetBrightness());
    WriteText(w, u"screenshotpath", o->GetScreenshotPath());
    if (o->GetUseFonts() != 1)
        w.WriteBool(u"usefonts", o->GetUseFonts() == 2);
    w.WriteFloat(u"mastervolume", o->GetMasterVolume());
    w.WriteElement(u"movingmode", o->GetMovingMode() == 1 ? u"relative" : u"absolute");

    for (int index : kKeyBindingWriteOrder)
        w.WriteInt(GetKeyBindingInfo(index)->element, o->GetKeyBinding(index));

    WriteText(w, u"defaultaddress", o->GetDefaultAddress());
    WriteText(w, u"servername", o->GetServerName());
    WriteText(w, u"serverlevel", o->GetServerLevel());
    w.WriteInt(u"servermode", o->GetServerMode());
    int lighting = o->GetServerLighting();
    w.WriteElement(u"serverlighting", lighting == 1 ? u"evening" : lighting == 2 ? u"night" : u"noon");
    w.WriteInt(u"servermaxplayers", o->GetServerMaxPlayers());
    w.WriteBool(u"serverbalanced", o->GetServerBalanced());
    w.WriteInt(u"serverfraglimit", o->GetServerFragLimit());
    w.WriteInt(u"serverteamfraglimit", o->GetServerTeamFragLimit());
    w.WriteInt(u"servertimelimit", o->GetServerTimeLimit());
    w.WriteBool(u"serverlocked", o->GetServerLocked());
    WriteText(w, u"serverpassword", o->GetServerPassword());
    WriteText(w, u"serverInfoFile", o->GetServerInfoFile());
    w.WriteInt(u"serverport", o->GetServerPort());
    w.WriteInt(u"serverupstream", o->GetServerUpstream());
    w.WriteBool(u"serveruploading", o->GetServerUploading());

    for (int mode = 0; mode < kMapCycleModes; ++mode) {
        int count = o->GetMapCycleCount(mode);
        if (count <= 0)
            continue;
        w.OpenElement(u"mapcycle", u"mode", Util::IntToString16(mode).c_str());
        for (int i = 0; i < count; ++i)
            WriteText(w, u"level", o->GetMapCycleLevel(mode, i));
        w.CloseElement(u"mapcycle");
    }

    if (masterServer && masterServer[0])
        WriteText(w, u"masterserver", masterServer);

    if (o->GetBanCount() > 0) {
        w.OpenElement(u"bans");
        for (int i = 0; i < o->GetBanCount(); ++i) {
            uint32_t a = o->GetBanAddress(i);
            const char16_t* name = o->GetBanName(i);
            std::u16string dotted = Util::Format(u"%d.%d.%d.%d", int(a & 0xFF), int((a >> 8) & 0xFF),
                                                 int((a >> 16) & 0xFF), int((a >> 24) & 0xFF));
            std::u16string entry = name && name[0] ? std::u16string(name) + u":" + dotted : dotted;
            WriteText(w, u"banplayer", entry.c_str());
        }
        w.CloseElement(u"bans");
    }

    if (o->GetOperatorCount() > 0) {
        w.OpenElement(u"operators");
        for (int i = 0; i < o->GetOperatorCount(); ++i)
            if (int32_t account = o->GetOperatorAccount(i))
                w.WriteElement(u"name", EscapeOptionText(o->GetOperator(i)).c_str(), u"account",
                               Util::IntToString16(account).c_str());
            else
                WriteText(w, u"name", o->GetOperator(i));
        w.CloseElement(u"operators");
    }
}

} // namespace

bool ReadOptionsFile(IFileManager* files, IGameOptions* options, IAudio* audio, const char16_t* path,
                     std::string* fault)
{
    if (fault)
        fault->clear();
    if (!files || !options || !path || !path[0])
        return false;
    IFile* file = files->Open(path, kOpenRead, OpenFlags(path));
    if (!file)
        return false;
    int size = file->GetSize();
    std::string bytes;
    if (size > kMaxOptionsBytes) {
        delete file;
        if (fault)
            *fault = "the file is larger than " + std::to_string(kMaxOptionsBytes) + " bytes";
        return false;
    }
    if (size > 0) {
        bytes.resize(size_t(size));
        int got = 0;
        while (got < size) {
            int n = file->Read(&bytes[size_t(got)], size - got);
            if (n <= 0)
                break;
            got += n;
        }
        bytes.resize(size_t(got));
    }
    delete file; // closes; CloseAndDelete would remove the file from disk
    if (bytes.empty())
        return false;

    // A damaged file is read as far as it goes all the same: what it holds
    // is what a player may want to see again.
    const std::string damage = FindOptionsFault(bytes);
    std::u16string text(bytes.size(), u'\0');
    for (size_t i = 0; i < bytes.size(); ++i)
        text[i] = char16_t(int16_t(int8_t(bytes[i])));
    OptionsParser parser(options);
    ReadXml(text.c_str(), int(text.size()), &parser);

    if (audio)
        audio->SetMasterVolume(options->GetMasterVolume());
    if (fault)
        *fault = damage;
    return damage.empty();
}

bool WriteOptionsFile(IFileManager* files, IGameOptions* options, const char16_t* masterServer, const char16_t* path,
                      std::string* reason)
{
    if (!files || !options || !path || !path[0])
        return false;
    XMLWriter writer;
    BuildText(writer, options, masterServer);
    const std::string& bytes = writer.MakeNarrowCopy();

    errno = 0;
    IFile* file = files->Open(path, kOpenWrite, OpenFlags(path) | kOpenReplace);
    bool ok = file && file->Write(bytes.data(), int(bytes.size())) && file->Flush();
    const int error = errno;
    if (file && !ok)
        file->CloseAndDelete(); // drops the new text, keeps the old file
    delete file;
    if (!ok && reason)
        *reason = std::strerror(error ? error : EIO);
    return ok;
}
