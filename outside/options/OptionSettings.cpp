#include "outside/options/OptionSettings.h"

#include "engine/core/StringKit.h"
#include "game/shell/client/IGame.h"
#include "game/world/settings/IGameOptions.h"
#include "game/world/settings/KeyBindingTable.h"

#include <cmath>

namespace Options {

namespace {

using Read = std::u16string (*)(IGame*);
using Write = void (*)(IGame*, const std::u16string&);

IGameOptions* Opt(IGame* game) { return game->GetGameOptions(); }
std::u16string TextOf(const char16_t* s) { return s ? s : u""; }
std::u16string FlagText(bool on) { return on ? u"1" : u"0"; }
bool IsOn(const std::u16string& v) { return v == u"1"; }

long long IntOf(const std::u16string& v)
{
    long long n = 0;
    Util::ParseInt(v.c_str(), &n);
    return n;
}

double RealOf(const std::u16string& v)
{
    double d = 0;
    Util::ParseFloat(v.c_str(), &d);
    return d;
}

Setting Make(const char* key, const char16_t* label, Page page, Kind kind, Read read, Write write)
{
    Setting s;
    s.key = key;
    s.label = label;
    s.page = page;
    s.kind = kind;
    s.read = read;
    s.write = write;
    return s;
}

Setting Ranged(const char* key, const char16_t* label, Page page, Kind kind, double low, double high, Read read,
               Write write)
{
    Setting s = Make(key, label, page, kind, read, write);
    s.low = low;
    s.high = high;
    return s;
}

Setting Choices(const char* key, const char16_t* label, Page page, std::vector<Choice> choices, Read read, Write write)
{
    Setting s = Make(key, label, page, Kind::Choice, read, write);
    s.choices = std::move(choices);
    return s;
}

// Choices are read and written as their index.
std::u16string ChoiceWord(const char* key, long long index);

// What each game action is called for the player; 12 is never written.
const char16_t* const kActionLabels[kKeyBindingCount] = {
    u"Throw grenade",
    u"Chat",
    u"Team chat",
    u"Shoot",
    u"Detonate",
    u"Light",
    u"Pick up",
    u"Select explosives",
    u"Select small arms",
    u"Select main weapon",
    u"Select grenades",
    u"Select slot five",
    nullptr,
    u"Use",
    u"Reload",
    u"Drop weapon",
    u"Move up",
    u"Move down",
    u"Move right",
    u"Move left",
    u"Aim",
    u"Sprint",
    u"Crouch",
    u"Map",
    u"Scores",
    u"Change team",
    u"Darker",
    u"Brighter",
    u"Quieter",
    u"Louder",
    u"Quit to menu",
    u"Kick player",
    u"Balance teams",
    u"Change map",
    u"Run admin command",
    u"Leave admin menu",
    u"Screenshot",
};

std::vector<Setting> BuildSettings()
{
    std::vector<Setting> all;
    const Page P = Page::Player, D = Page::Display, S = Page::Server;
    all.push_back(Make(
        "name", u"Player name", P, Kind::Text, [](IGame* g) { return TextOf(g->GetPlayerName()); },
        [](IGame* g, const std::u16string& v) { g->SetPlayerName(v.c_str()); }));
    all.push_back(Choices(
        "movingmode", u"Movement", P, {{u"absolute", u"Along the screen"}, {u"relative", u"Along the facing"}},
        [](IGame* g) { return ChoiceWord("movingmode", Opt(g)->GetMovingMode() == 1 ? 1 : 0); },
        [](IGame* g, const std::u16string& v) { Opt(g)->SetMovingMode(v == u"relative" ? 1 : 0); }));
    all.push_back(Make(
        "screenshotpath", u"Screenshot folder", P, Kind::Text,
        [](IGame* g) { return TextOf(Opt(g)->GetScreenshotPath()); },
        [](IGame* g, const std::u16string& v) { Opt(g)->SetScreenshotPath(v.c_str()); }));
    all.push_back(Make(
        "masterserver", u"Master server address", P, Kind::Text,
        [](IGame* g) { return TextOf(Opt(g)->GetUpdaterString()); },
        [](IGame* g, const std::u16string& v) { Opt(g)->SetUpdaterString(v.c_str()); }));
    all.push_back(Make(
        "defaultaddress", u"Default server address", P, Kind::Text,
        [](IGame* g) { return TextOf(Opt(g)->GetDefaultAddress()); },
        [](IGame* g, const std::u16string& v) { Opt(g)->SetDefaultAddress(v.c_str()); }));

    all.push_back(Make(
        "windowed", u"Play in a window", D, Kind::Flag, [](IGame* g) { return FlagText(Opt(g)->GetWindowed()); },
        [](IGame* g, const std::u16string& v) { Opt(g)->SetWindowed(IsOn(v)); }));
    all.push_back(Make(
        "vsync", u"Wait for the vertical retrace", D, Kind::Flag, [](IGame* g) { return FlagText(Opt(g)->GetVSync()); },
        [](IGame* g, const std::u16string& v) { Opt(g)->SetVSync(IsOn(v)); }));
    // Never set counts as on.
    all.push_back(Make(
        "usefonts", u"System fonts", D, Kind::Flag, [](IGame* g) { return FlagText(Opt(g)->GetUseFonts() != 0); },
        [](IGame* g, const std::u16string& v) { Opt(g)->SetUseFonts(IsOn(v)); }));
    all.push_back(Make(
        "renderlights", u"Lights", D, Kind::Flag, [](IGame* g) { return FlagText(Opt(g)->GetRenderLights()); },
        [](IGame* g, const std::u16string& v) { Opt(g)->SetRenderLights(IsOn(v)); }));
    all.push_back(Make(
        "floorblending", u"Blended floors", D, Kind::Flag,
        [](IGame* g) { return FlagText(Opt(g)->GetFloorBlending()); },
        [](IGame* g, const std::u16string& v) { Opt(g)->SetFloorBlending(IsOn(v)); }));
    all.push_back(Make(
        "renderobjshadow", u"Object shadows", D, Kind::Flag,
        [](IGame* g) { return FlagText(Opt(g)->GetRenderObjShadow()); },
        [](IGame* g, const std::u16string& v) { Opt(g)->SetRenderObjShadow(IsOn(v)); }));
    all.push_back(Make(
        "renderenvshadow", u"Wall shadows", D, Kind::Flag,
        [](IGame* g) { return FlagText(Opt(g)->GetRenderEnvShadow()); },
        [](IGame* g, const std::u16string& v) { Opt(g)->SetRenderEnvShadow(IsOn(v)); }));
    all.push_back(Ranged(
        "brightness", u"Brightness (%)", D, Kind::Decimal, 0.0, 1.0,
        [](IGame* g) { return Util::FloatToString16(Opt(g)->GetBrightness()); },
        [](IGame* g, const std::u16string& v) { Opt(g)->SetBrightness(float(RealOf(v))); }));
    // Decibels, as the in-game keys step it.
    all.push_back(Ranged(
        "mastervolume", u"Sound volume (dB)", D, Kind::Decimal, -100.0, 100.0,
        [](IGame* g) { return Util::FloatToString16(Opt(g)->GetMasterVolume()); },
        [](IGame* g, const std::u16string& v) { Opt(g)->SetMasterVolume(float(RealOf(v))); }));

    for (int i = 0; i < kKeyBindingCount; ++i) {
        if (i == kUnwrittenBinding)
            continue;
        Setting s = Make("", kActionLabels[i], Page::Keys, Kind::Key, nullptr, nullptr);
        s.key = Util::Narrow(GetKeyBindingInfo(i)->element);
        s.binding = i;
        all.push_back(s);
    }

    all.push_back(Make(
        "servername", u"Server name", S, Kind::Text, [](IGame* g) { return TextOf(Opt(g)->GetServerName()); },
        [](IGame* g, const std::u16string& v) { Opt(g)->SetServerName(v.c_str()); }));
    all.push_back(Make(
        "serverlevel", u"Level", S, Kind::Level, [](IGame* g) { return TextOf(Opt(g)->GetServerLevel()); },
        [](IGame* g, const std::u16string& v) { Opt(g)->SetServerLevel(v.c_str()); }));
    all.push_back(Choices(
        "servermode", u"Game mode", S,
        {{u"dm", u"Team deathmatch"}, {u"ctf", u"Capture the flag"}, {u"koh", u"King of the hill"}},
        [](IGame* g) { return ChoiceWord("servermode", Opt(g)->GetServerMode()); },
        [](IGame* g, const std::u16string& v) {
            Opt(g)->SetServerMode(v == u"ctf" ? 1 : v == u"koh" ? 2 : 0);
        }));
    all.push_back(Choices(
        "serverlighting", u"Lighting", S, {{u"noon", u"Noon"}, {u"evening", u"Evening"}, {u"night", u"Night"}},
        [](IGame* g) { return ChoiceWord("serverlighting", Opt(g)->GetServerLighting()); },
        [](IGame* g, const std::u16string& v) {
            Opt(g)->SetServerLighting(v == u"evening" ? 1 : v == u"night" ? 2 : 0);
        }));
    all.push_back(Ranged(
        "servermaxplayers", u"Players at most", S, Kind::Number, 1, 32,
        [](IGame* g) { return Util::IntToString16(Opt(g)->GetServerMaxPlayers()); },
        [](IGame* g, const std::u16string& v) { Opt(g)->SetServerMaxPlayers(int32_t(IntOf(v))); }));
    all.push_back(Ranged(
        "serverfraglimit", u"Frag limit", S, Kind::Number, 0, 9999,
        [](IGame* g) { return Util::IntToString16(Opt(g)->GetServerFragLimit()); },
        [](IGame* g, const std::u16string& v) { Opt(g)->SetServerFragLimit(int32_t(IntOf(v))); }));
    all.push_back(Ranged(
        "serverteamfraglimit", u"Team frag limit", S, Kind::Number, 0, 9999,
        [](IGame* g) { return Util::IntToString16(Opt(g)->GetServerTeamFragLimit()); },
        [](IGame* g, const std::u16string& v) { Opt(g)->SetServerTeamFragLimit(int32_t(IntOf(v))); }));
    all.push_back(Ranged(
        "servertimelimit", u"Time limit (minutes)", S, Kind::Number, 0, 9999,
        [](IGame* g) { return Util::IntToString16(Opt(g)->GetServerTimeLimit()); },
        [](IGame* g, const std::u16string& v) { Opt(g)->SetServerTimeLimit(int32_t(IntOf(v))); }));
    all.push_back(Ranged(
        "serverport", u"UDP port", S, Kind::Number, 1, 65535,
        [](IGame* g) { return Util::IntToString16(Opt(g)->GetServerPort()); },
        [](IGame* g, const std::u16string& v) { Opt(g)->SetServerPort(int32_t(IntOf(v))); }));
    all.push_back(Make(
        "serverbalanced", u"Balance the teams", S, Kind::Flag,
        [](IGame* g) { return FlagText(Opt(g)->GetServerBalanced()); },
        [](IGame* g, const std::u16string& v) { Opt(g)->SetServerBalanced(IsOn(v)); }));
    all.push_back(Make(
        "serveruploading", u"Send the level to players", S, Kind::Flag,
        [](IGame* g) { return FlagText(Opt(g)->GetServerUploading()); },
        [](IGame* g, const std::u16string& v) { Opt(g)->SetServerUploading(IsOn(v)); }));
    all.push_back(Make(
        "serverlocked", u"Ask for a password", S, Kind::Flag,
        [](IGame* g) { return FlagText(Opt(g)->GetServerLocked()); },
        [](IGame* g, const std::u16string& v) { Opt(g)->SetServerLocked(IsOn(v)); }));
    all.push_back(Make(
        "serverpassword", u"Password", S, Kind::Text, [](IGame* g) { return TextOf(Opt(g)->GetServerPassword()); },
        [](IGame* g, const std::u16string& v) { Opt(g)->SetServerPassword(v.c_str()); }));
    return all;
}

std::u16string ChoiceWord(const char* key, long long index)
{
    const Setting* s = FindSetting(key);
    if (!s || index < 0 || index >= (long long)s->choices.size())
        return s && !s->choices.empty() ? s->choices[0].word : u"";
    return s->choices[size_t(index)].word;
}

} // namespace

const std::vector<Setting>& AllSettings()
{
    static const std::vector<Setting> all = BuildSettings();
    return all;
}

const Setting* FindSetting(const std::string& key)
{
    for (const Setting& s : AllSettings())
        if (s.key == key)
            return &s;
    return nullptr;
}

std::u16string ReadSetting(const Setting& setting, IGame* game)
{
    if (setting.kind == Kind::Key)
        return Util::IntToString16(Opt(game)->GetKeyBinding(setting.binding));
    return setting.read(game);
}

void WriteSetting(const Setting& setting, IGame* game, const std::u16string& value)
{
    if (setting.kind == Kind::Key)
        Opt(game)->SetKeyBinding(setting.binding, int32_t(IntOf(value)));
    else
        setting.write(game, value);
}

bool ParseSetting(const Setting& setting, const std::u16string& text, std::u16string* value, std::u16string* error)
{
    const std::u16string name = Util::FromOs(setting.key);
    long long n = 0;
    double d = 0;
    switch (setting.kind) {
    case Kind::Text:
    case Kind::Level:
        *value = text;
        return true;
    case Kind::Flag:
        if (text == u"1" || text == u"true" || text == u"0" || text == u"false") {
            *value = FlagText(text == u"1" || text == u"true");
            return true;
        }
        *error = name + u" takes 1, 0, true or false";
        return false;
    case Kind::Number:
        if (Util::ParseInt(text.c_str(), &n) && n >= setting.low && n <= setting.high) {
            *value = Util::IntToString16(n);
            return true;
        }
        *error = name + u" takes a whole number from " + Util::IntToString16((long long)setting.low) + u" to " +
                 Util::IntToString16((long long)setting.high);
        return false;
    case Kind::Decimal:
        if (Util::ParseFloat(text.c_str(), &d) && d >= setting.low && d <= setting.high) {
            *value = Util::FloatToString16(d);
            return true;
        }
        *error = name + u" takes a number from " + Util::FloatToString16(setting.low, 1) + u" to " +
                 Util::FloatToString16(setting.high, 1);
        return false;
    case Kind::Choice:
        for (size_t i = 0; i < setting.choices.size(); ++i) {
            if (Util::StrCompareNoCase(text.c_str(), setting.choices[i].word) == 0 ||
                (Util::ParseInt(text.c_str(), &n) && n == (long long)i)) {
                *value = setting.choices[i].word;
                return true;
            }
        }
        *error = name + u" takes one of:";
        for (const Choice& c : setting.choices)
            *error += u" " + std::u16string(c.word);
        return false;
    case Kind::Key:
        if (Util::ParseInt(text.c_str(), &n) && IsKeyCode(n)) {
            *value = Util::IntToString16(n);
            return true;
        }
        *error = name + u" takes a key code (-1 for none, 0 to 499, 1000 to 1002 for the mouse buttons)";
        return false;
    }
    return false;
}

} // namespace Options
