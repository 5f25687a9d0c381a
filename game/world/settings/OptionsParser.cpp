#include "game/world/settings/OptionsParser.h"

#include "engine/core/StringKit.h"
#include "engine/xml/TextToken.h"
#include "game/world/settings/IGameOptions.h"
#include "game/world/settings/KeyBindingTable.h"
#include "game/world/settings/OptionsText.h"

#include <cfloat>
#include <charconv>
#include <cmath>
#include <string>

namespace {

// Whether the number a text starts with is beyond a double, where reading
// it gives no value at all.
bool OutOfRange(const char16_t* text)
{
    std::string ascii;
    for (; *text && *text < 0x80; ++text)
        ascii.push_back(char(*text));
    const char* p = ascii.c_str();
    const char* end = p + ascii.size();
    while (*p == ' ' || (*p >= '\t' && *p <= '\r'))
        ++p;
    if (*p == '+')
        ++p;
    double v = 0;
    return std::from_chars(p, end, v).ec == std::errc::result_out_of_range;
}

enum Code {
    kNone = 0,
    kRenderLights,
    kFloorBlending,
    kRenderObjShadow,
    kRenderEnvShadow,
    kWindowed,
    kVSync,
    kUseFonts,
    kServerBalanced,
    kServerLocked,
    kServerUploading,
    kBrightness,
    kMasterVolume,
    kMovingMode,
    kServerMode,
    kServerMaxPlayers,
    kServerFragLimit,
    kServerTeamFragLimit,
    kServerTimeLimit,
    kServerPort,
    kServerUpstream,
    kServerLighting,
    kScreenshotPath,
    kDefaultAddress,
    kServerName,
    kServerLevel,
    kServerPassword,
    kServerInfoFile,
    kMasterServer,
    kMapCycle,
    kBans,
    kOperators,
    kLevel,
    kBanPlayer,
    kOperatorName,
    kButtonBase = 1000, // + binding index
};

const struct {
    const char16_t* name;
    int code;
} kElements[] = {
    {u"renderlights", kRenderLights},
    {u"floorblending", kFloorBlending},
    {u"renderobjshadow", kRenderObjShadow},
    {u"renderenvshadow", kRenderEnvShadow},
    {u"windowed", kWindowed},
    {u"vsync", kVSync},
    {u"usefonts", kUseFonts},
    {u"serverbalanced", kServerBalanced},
    {u"serverlocked", kServerLocked},
    {u"serveruploading", kServerUploading},
    {u"brightness", kBrightness},
    {u"mastervolume", kMasterVolume},
    {u"movingmode", kMovingMode},
    {u"servermode", kServerMode},
    {u"servermaxplayers", kServerMaxPlayers},
    {u"serverfraglimit", kServerFragLimit},
    {u"serverteamfraglimit", kServerTeamFragLimit},
    {u"servertimelimit", kServerTimeLimit},
    {u"serverport", kServerPort},
    {u"serverupstream", kServerUpstream},
    {u"serverlighting", kServerLighting},
    {u"screenshotpath", kScreenshotPath},
    {u"defaultaddress", kDefaultAddress},
    {u"servername", kServerName},
    {u"serverlevel", kServerLevel},
    {u"serverpassword", kServerPassword},
    {u"serverInfoFile", kServerInfoFile},
    {u"masterserver", kMasterServer},
    {u"mapcycle", kMapCycle},
    {u"bans", kBans},
    {u"operators", kOperators},
};

bool IsTrue(const char16_t* text) { return Util::StrEqual(text, u"true"); }

} // namespace

void OptionsParser::StartElement(const char16_t* name)
{
    if (!name)
        return;
    for (const auto& e : kElements) {
        if (Util::StrEqual(name, e.name)) {
            element_ = e.code;
            inMapCycle_ = inMapCycle_ || e.code == kMapCycle;
            inBans_ = inBans_ || e.code == kBans;
            inOperators_ = inOperators_ || e.code == kOperators;
            return;
        }
    }
    for (int i = 0; i < kKeyBindingCount; ++i) {
        if (Util::StrEqual(name, GetKeyBindingInfo(i)->element)) {
            element_ = kButtonBase + i;
            return;
        }
    }
    if (inMapCycle_ && Util::StrEqual(name, u"level"))
        element_ = kLevel;
    else if (inBans_ && Util::StrEqual(name, u"banplayer"))
        element_ = kBanPlayer;
    else if (inOperators_ && Util::StrEqual(name, u"name")) {
        element_ = kOperatorName;
        operatorAccount_ = 0;
    }
}

void OptionsParser::EndElement(const char16_t* name)
{
    element_ = kNone;
    if (Util::StrEqual(name, u"mapcycle"))
        inMapCycle_ = false;
    else if (Util::StrEqual(name, u"bans"))
        inBans_ = false;
    else if (Util::StrEqual(name, u"operators"))
        inOperators_ = false;
}

void OptionsParser::Attribute(const char16_t* name, TextToken* value)
{
    if (value && Util::StrEqual(name, u"mode"))
        mapCycleMode_ = Util::AtoI(value->ToWideString().c_str());
    else if (value && element_ == kOperatorName && Util::StrEqual(name, u"account"))
        operatorAccount_ = Util::AtoI(value->ToWideString().c_str());
}

void OptionsParser::ApplyFloat(int code, const char16_t* text)
{
    // A value that does not fit keeps the setting as it was; an absurd one
    // would reach the renderer and the sound device.
    if (OutOfRange(text))
        return;
    double v = Util::AtoF(text);
    if (!std::isfinite(v) || std::fabs(v) > FLT_MAX)
        return;
    if (code == kBrightness)
        options_->SetBrightness(float(v));
    else
        options_->SetMasterVolume(float(v));
}

void OptionsParser::Text(const char16_t* raw)
{
    // An empty text (a NUL byte right after the tag) counts as no text, like
    // an empty element, so the value read is the value written back.
    if (!options_ || !raw || !raw[0] || element_ == kNone)
        return;
    if (element_ >= kButtonBase) {
        int key = Util::AtoI(raw);
        if (key != -1)
            options_->SetKeyBinding(element_ - kButtonBase, key);
        return;
    }
    IGameOptions* o = options_;
    switch (element_) {
    case kRenderLights:
        o->SetRenderLights(IsTrue(raw));
        break;
    case kFloorBlending:
        o->SetFloorBlending(IsTrue(raw));
        break;
    case kRenderObjShadow:
        o->SetRenderObjShadow(IsTrue(raw));
        break;
    case kRenderEnvShadow:
        o->SetRenderEnvShadow(IsTrue(raw));
        break;
    case kWindowed:
        o->SetWindowed(IsTrue(raw));
        break;
    case kVSync:
        o->SetVSync(IsTrue(raw));
        break;
    case kUseFonts:
        o->SetUseFonts(IsTrue(raw));
        break;
    case kServerBalanced:
        o->SetServerBalanced(IsTrue(raw));
        break;
    case kServerLocked:
        o->SetServerLocked(IsTrue(raw));
        break;
    case kServerUploading:
        o->SetServerUploading(IsTrue(raw));
        break;
    case kBrightness:
    case kMasterVolume:
        ApplyFloat(element_, raw);
        break;
    case kMovingMode:
        o->SetMovingMode(Util::StrEqual(raw, u"relative") ? 1 : 0);
        break;
    case kServerMode:
        o->SetServerMode(Util::AtoI(raw));
        break;
    case kServerMaxPlayers:
        o->SetServerMaxPlayers(Util::AtoI(raw));
        break;
    case kServerFragLimit:
        o->SetServerFragLimit(Util::AtoI(raw));
        break;
    case kServerTeamFragLimit:
        o->SetServerTeamFragLimit(Util::AtoI(raw));
        break;
    case kServerTimeLimit:
        o->SetServerTimeLimit(Util::AtoI(raw));
        break;
    case kServerPort:
        o->SetServerPort(Util::AtoI(raw));
        break;
    case kServerUpstream:
        o->SetServerUpstream(Util::AtoI(raw));
        break;
    case kServerLighting:
        o->SetServerLighting(Util::StrEqual(raw, u"night") ? 2 : Util::StrEqual(raw, u"evening") ? 1 : 0);
        break;
    default:
        break;
    }
    std::u16string text = UnescapeOptionText(raw);
    const char16_t* t = text.c_str();
    switch (element_) {
    case kScreenshotPath:
        o->SetScreenshotPath(t);
        break;
    case kDefaultAddress:
        o->SetDefaultAddress(t);
        break;
    case kServerName:
        o->SetServerName(t);
        break;
    case kServerLevel:
        o->SetServerLevel(t);
        break;
    case kServerPassword:
        o->SetServerPassword(t);
        break;
    case kServerInfoFile:
        o->SetServerInfoFile(t);
        break;
    case kMasterServer:
        o->SetUpdaterString(t);
        break;
    case kLevel:
        o->AddMapCycleLevel(mapCycleMode_, t);
        break;
    case kBanPlayer:
        o->AddBanEntry(t);
        break;
    case kOperatorName:
        o->AddOperator(t);
        if (operatorAccount_ > 0)
            o->SetOperatorAccount(o->GetOperatorCount() - 1, operatorAccount_);
        break;
    default:
        break;
    }
}
