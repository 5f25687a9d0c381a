#include "game/world/settings/GameOptions.h"

#include "engine/core/InetAddress.h"
#include "engine/core/StringKit.h"
#include "engine/render/IInput.h"

namespace {

std::u16string Cut(const char16_t* text, size_t limit)
{
    if (!text)
        return std::u16string();
    size_t n = 0;
    while (n < limit && text[n])
        ++n;
    return std::u16string(text, n);
}

uint32_t ResolveWithInetAddress(const char16_t* host)
{
    Util::InetAddress address(host);
    return uint32_t(address.GetIP());
}

bool EitherDown(IInput* input, int a, int b) { return input->IsKeyDown(a) || input->IsKeyDown(b); }

const size_t kBanTextSearch = 1024;

} // namespace

GameOptions::BanInfo::BanInfo(const char16_t* n, uint32_t a) : name(Cut(n, kShortText)), address(a) {}

GameOptions::GameOptions() : resolver_(ResolveWithInetAddress)
{
    for (int i = 0; i < kKeyBindingCount; ++i)
        keyBindings_[i] = GetKeyBindingInfo(i)->defaultKey;
}

GameOptions::~GameOptions()
{
    mapCycle_.DeleteAll();
    bans_.DeleteAll();
    operators_.DeleteAll();
}

void GameOptions::SetAddressResolver(AddressResolver resolver)
{
    resolver_ = resolver ? resolver : ResolveWithInetAddress;
}

void GameOptions::SetPlayerName(const char16_t* name) { playerName_ = Cut(name, kShortText); }
void GameOptions::SetScreenshotPath(const char16_t* path) { screenshotPath_ = Cut(path, kPathText); }
void GameOptions::SetDefaultAddress(const char16_t* address) { defaultAddress_ = Cut(address, SIZE_MAX); }
void GameOptions::SetServerName(const char16_t* name) { serverName_ = Cut(name, kShortText); }
void GameOptions::SetServerLevel(const char16_t* path) { serverLevel_ = Cut(path, kShortText); }
void GameOptions::SetServerPassword(const char16_t* password) { serverPassword_ = Cut(password, kShortText); }
void GameOptions::SetServerInfoFile(const char16_t* path) { serverInfoFile_ = Cut(path, SIZE_MAX); }
void GameOptions::SetUpdaterString(const char16_t* host) { masterServer_ = Cut(host, kShortText); }

void GameOptions::SetServerPort(int32_t port) { serverPort_ = port < 1 ? 1 : (port > 65535 ? 65535 : port); }

void GameOptions::SetServerLighting(int32_t lighting)
{
    serverLighting_ = lighting < 0 ? 0 : (lighting > 2 ? 2 : lighting);
}

// ---- key bindings ----

bool GameOptions::IsActionDown(IInput* input, int32_t action)
{
    const KeyBindingInfo* info = GetKeyBindingInfo(action);
    if (!input || !info)
        return false;
    int32_t key = keyBindings_[action];
    if (key != -1) {
        if (key == 308 || key == 307)
            return EitherDown(input, 308, 307);
        if (key == 306 || key == 305)
            return EitherDown(input, 306, 305);
        if (key == 304 || key == 303)
            return EitherDown(input, 304, 303);
        return input->IsKeyDown(key);
    }
    switch (info->fallback) {
    case KeyBindingInfo::MouseButton:
        return input->IsMouseButtonDown(info->fallbackValue);
    case KeyBindingInfo::InputAction:
        return input->IsActionDown(info->fallbackValue);
    case KeyBindingInfo::None:
        break;
    }
    return false;
}

void GameOptions::SetKeyBinding(int32_t action, int32_t key)
{
    if (action >= 0 && action < kKeyBindingCount)
        keyBindings_[action] = key;
}

int32_t GameOptions::GetKeyBinding(int32_t action)
{
    return action >= 0 && action < kKeyBindingCount ? keyBindings_[action] : -1;
}

bool GameOptions::IsKeyBound(int32_t action, int32_t key)
{
    // Leaving the game and leaving the admin menu may share a key.
    for (int i = 0; i < kKeyBindingCount; ++i) {
        if ((action == 30 && i == 35) || (action == 35 && i == 30))
            continue;
        if (keyBindings_[i] == key)
            return true;
    }
    return false;
}

// ---- map cycle ----

void GameOptions::AddMapCycleLevel(int32_t mode, const char16_t* path) { mapCycle_.Add(new LevelInfo(mode, path)); }

void GameOptions::RemoveMapCycleMode(int32_t mode)
{
    for (int i = mapCycle_.GetCount() - 1; i >= 0; --i) {
        if (mapCycle_[i]->mode == mode) {
            delete mapCycle_[i];
            mapCycle_.RemoveAt(i);
        }
    }
}

void GameOptions::ClearMapCycle() { mapCycle_.DeleteAll(); }

int32_t GameOptions::GetMapCycleCount(int32_t mode)
{
    int32_t n = 0;
    for (int i = 0; i < mapCycle_.GetCount(); ++i)
        if (mapCycle_[i]->mode == mode)
            ++n;
    return n;
}

const char16_t* GameOptions::GetMapCycleLevel(int32_t mode, int32_t index)
{
    int32_t n = 0;
    for (int i = 0; i < mapCycle_.GetCount(); ++i) {
        if (mapCycle_[i]->mode != mode)
            continue;
        if (n++ == index)
            return mapCycle_[i]->path.c_str();
    }
    return u"";
}

const char16_t* GameOptions::FindMapCycleLevel(int32_t /*mode*/, const char16_t* path)
{
    for (int i = 0; path && i < mapCycle_.GetCount(); ++i) {
        if (mapCycle_[i]->path == path) {
            mapCycleCursor_ = i + 1;
            return mapCycle_[i]->path.c_str();
        }
    }
    mapCycleCursor_ = 0;
    return nullptr;
}

void GameOptions::SetNextMapCycleLevel(int32_t mode, const char16_t* path)
{
    FindMapCycleLevel(mode, path);
    hasPendingLevel_ = path != nullptr;
    pendingLevel_ = path ? path : u"";
}

const char16_t* GameOptions::NextMapCycleLevel(int32_t mode)
{
    if (hasPendingLevel_) {
        hasPendingLevel_ = false;
        returnedLevel_.swap(pendingLevel_);
        pendingLevel_.clear();
        return returnedLevel_.c_str();
    }
    int count = mapCycle_.GetCount();
    for (int step = 0; step < count; ++step) {
        if (mapCycleCursor_ < 0 || mapCycleCursor_ >= count)
            mapCycleCursor_ = 0;
        LevelInfo* entry = mapCycle_[mapCycleCursor_++];
        if (entry->mode == mode)
            return entry->path.c_str();
    }
    return serverLevel_.c_str();
}

// ---- bans ----

void GameOptions::AddBan(const char16_t* name, uint32_t address) { bans_.Add(new BanInfo(name, address)); }

void GameOptions::AddBanEntry(const char16_t* text)
{
    if (!text)
        return;
    // The last colon splits, so a name holding colons survives the file;
    // an IPv4 address text holds none.
    size_t colon = SIZE_MAX;
    for (size_t i = 0; i < kBanTextSearch && text[i]; ++i)
        if (text[i] == u':')
            colon = i;
    std::u16string name;
    const char16_t* address = text;
    if (colon != SIZE_MAX) {
        name.assign(text, colon < kShortText ? colon : kShortText);
        address = text + colon + 1;
    }
    AddBan(name.c_str(), resolver_(address));
}

void GameOptions::RemoveBan(const char16_t* name)
{
    if (!name)
        return;
    for (int i = bans_.GetCount() - 1; i >= 0; --i) {
        if (Util::StrCompareNoCase(bans_[i]->name.c_str(), name) == 0) {
            delete bans_[i];
            bans_.RemoveAt(i);
        }
    }
}

const char16_t* GameOptions::GetBanName(int32_t i)
{
    BanInfo* ban = bans_.Get(i);
    return ban ? ban->name.c_str() : u"";
}

uint32_t GameOptions::GetBanAddress(int32_t i)
{
    BanInfo* ban = bans_.Get(i);
    return ban ? ban->address : 0;
}

// ---- operators ----

void GameOptions::AddOperator(const char16_t* name) { operators_.Add(new OperatorEntry{name ? name : u"", 0}); }

void GameOptions::RemoveOperator(const char16_t* name)
{
    for (int i = 0; name && i < operators_.GetCount(); ++i) {
        if (operators_[i]->name == name) {
            delete operators_[i];
            operators_.RemoveAt(i);
            return;
        }
    }
}

bool GameOptions::IsOperator(const char16_t* name)
{
    for (int i = 0; name && i < operators_.GetCount(); ++i)
        if (operators_[i]->name == name)
            return true;
    return false;
}

void GameOptions::SetOperatorAccount(int32_t i, int32_t account)
{
    if (OperatorEntry* e = operators_.Get(i))
        e->account = account < 0 ? 0 : account;
}

int32_t GameOptions::GetOperatorAccount(int32_t i)
{
    OperatorEntry* e = operators_.Get(i);
    return e ? e->account : 0;
}

bool GameOptions::IsOperatorAccount(const char16_t* name, int32_t account)
{
    // A name anybody may join under proves nothing; only a confirmed account
    // does. The name, as "op" was typed, is matched as player names are.
    if (account <= 0)
        return false;
    for (int i = 0; name && i < operators_.GetCount(); ++i)
        if (operators_[i]->account == account && Util::StrCompareNoCase(operators_[i]->name.c_str(), name) == 0)
            return true;
    return false;
}

const char16_t* GameOptions::GetOperator(int32_t i)
{
    OperatorEntry* e = operators_.Get(i);
    return e ? e->name.c_str() : u"";
}
