#include "game/shell/menu/HostMenu.h"

#include "engine/core/StringKit.h"
#include "engine/render/IRenderer.h"
#include "game/shell/menu/IMenuHost.h"
#include "game/shell/menu/LeadingNumber.h"
#include "game/shell/menu/MenuButton.h"
#include "game/shell/menu/MenuDraw.h"
#include "game/shell/menu/MenuDropdown.h"
#include "game/shell/menu/MenuEdit.h"
#include "game/world/geometry/Quad.h"
#include "game/world/resources/CommonMedia.h"
#include "game/world/system/GameSystem.h"
#include "platform/os/StopSignals.h"

namespace {

constexpr int kKingOfTheHill = 2;

const MenuDraw::Faces kTallFaces = {{0, 36}, {74, 111}, {111, 148}};
const MenuDraw::Faces kSmallFaces = {{0, 28}, {28, 56}, {56, 84}};

// A limit field that holds no number from 0 to the largest limit.
bool BadLimit(const MenuEdit* field)
{
    int value = 0;
    return !LeadingNumber(field->GetText(), &value) || value > HostMenu::kMaxLimit;
}

int NumberOf(const MenuEdit* field)
{
    int value = 0;
    LeadingNumber(field->GetText(), &value);
    return value;
}

void SetNumber(MenuEdit* field, int value) { field->SetText(Util::IntToString16(value).c_str()); }

} // namespace

HostMenu::HostMenu(IMenuHost* host, const ScreenContext& context) : MenuSystem(host), context_(context) {}

HostMenu::~HostMenu() = default;

void HostMenu::Build()
{
    GameSystem* game = context_.game;
    game->RefreshLevelList();
    quit = AddButton(890, 21, 118, 36);
    joinTab = AddButton(14, 148, 187, 37);
    hostTab = AddButton(201, 148, 204, 37);
    name = AddEdit(175, 200, 250, 17);
    gameMode = AddDropdown(175, 225);
    level = AddDropdown(175, 250);
    lighting = AddDropdown(175, 275);
    maxPlayers = AddEdit(175, 300, 80, 17);
    balancing = AddCheckBox(427, 303);
    fragLimit = AddEdit(175, 325, 80, 17);
    teamFragLimit = AddEdit(175, 350, 80, 17);
    timeLimit = AddEdit(175, 375, 80, 17);
    passwordOn = AddCheckBox(111, 403);
    password = AddEdit(256, 400, 250, 17);
    start = AddButton(602, 710, 91, 28);

    IGameOptions& options = game->Options();
    gameMode->AddItem(u"Team Deathmatch", 0);
    gameMode->AddItem(u"Capture the Flag", 0);
    gameMode->AddItem(u"King of the Hill", 0);
    gameMode->selected = 0;
    for (int i = 0; i < game->GetLevelCount(); ++i) {
        const GameSystem::LevelInfo* info = game->GetLevel(i);
        if (info && info->path == options.GetServerLevel())
            gameMode->selected = info->gameMode;
    }
    FillLevels();
    lighting->AddItem(u"Noon", 0);
    lighting->AddItem(u"Evening", 0);
    lighting->selected = options.GetServerLighting();

    name->SetText(options.GetServerName());
    SetNumber(maxPlayers, options.GetServerMaxPlayers());
    SetNumber(fragLimit, options.GetServerFragLimit());
    SetNumber(teamFragLimit, options.GetServerTeamFragLimit());
    SetNumber(timeLimit, options.GetServerTimeLimit());
    balancing->checked = options.GetServerBalanced();
    if (options.GetServerLocked()) {
        passwordOn->checked = true;
        password->SetText(options.GetServerPassword());
    }
}

void HostMenu::FillLevels()
{
    if (gameMode->selected == lastGameMode_)
        return;
    lastGameMode_ = gameMode->selected;
    const bool fragsCount = lastGameMode_ != kKingOfTheHill;
    fragLimit->enabled = fragsCount;
    teamFragLimit->enabled = fragsCount;
    level->Clear();
    GameSystem* game = context_.game;
    const char16_t* configured = game->Options().GetServerLevel();
    bool found = false;
    for (int i = 0; i < game->GetLevelCount(); ++i) {
        const GameSystem::LevelInfo* info = game->GetLevel(i);
        if (!info || info->gameMode != lastGameMode_)
            continue;
        level->AddItem(info->name, i);
        if (info->path == configured) {
            level->selected = level->GetItemCount() - 1;
            found = true;
        }
    }
    if (!found)
        level->selected = 0;
}

const char16_t* HostMenu::Check() const
{
    const int nameLength = name->GetLength();
    if (nameLength < kMinNameUnits)
        return u"Server name must be at least 4 characters";
    if (nameLength > kMaxNameUnits)
        return u"Server name can't be over 64 characters";
    const int players = NumberOf(maxPlayers);
    if (players < 1 || players > kMaxPlayers)
        return u"Max players must be between 1 and 32";
    // A greyed limit is not this mode's: it is left as it was instead.
    if (fragLimit->enabled && BadLimit(fragLimit))
        return u"Frag limit must be between 0 and 9999";
    if (teamFragLimit->enabled && BadLimit(teamFragLimit))
        return u"Team frag limit must be between 0 and 9999";
    if (BadLimit(timeLimit))
        return u"Time limit must be between 0 and 9999";
    if (passwordOn->checked && password->GetLength() == 0)
        return u"Password must be entered";
    if (passwordOn->checked && password->GetLength() > kMaxPasswordUnits)
        return u"Password can't be over 64 characters";
    return nullptr;
}

void HostMenu::Write()
{
    GameSystem* game = context_.game;
    IGameOptions& options = game->Options();
    options.SetServerName(name->GetText());
    options.SetServerLevel(u"");
    options.SetServerMode(gameMode->selected);
    const MenuDropdown::Item* chosen = level->GetItem(level->selected);
    const GameSystem::LevelInfo* info = chosen ? game->GetLevel(int(chosen->value)) : nullptr;
    if (info && !info->path.empty())
        options.SetServerLevel(info->path.c_str());
    options.SetServerLighting(lighting->selected);
    options.SetServerMaxPlayers(NumberOf(maxPlayers));
    options.SetServerBalanced(balancing->checked);
    if (!BadLimit(fragLimit))
        options.SetServerFragLimit(NumberOf(fragLimit));
    if (!BadLimit(teamFragLimit))
        options.SetServerTeamFragLimit(NumberOf(teamFragLimit));
    options.SetServerTimeLimit(NumberOf(timeLimit));
    if (passwordOn->checked) {
        options.SetServerLocked(true);
        options.SetServerPassword(password->GetText());
    } else {
        options.SetServerLocked(false);
    }
}

bool HostMenu::Apply()
{
    if (const char16_t* refusal = Check()) {
        message_ = refusal;
        return false;
    }
    Write();
    return true;
}

void HostMenu::Frame()
{
    FillLevels();
    IRenderer* r = host->GetMenuRenderer();
    CommonMedia* media = context_.media;
    MenuDraw::Background(r, media ? media->textures[CommonMedia::MenuBackground] : nullptr);
    password->enabled = passwordOn->checked;
    // A stop signal leaves as Quit does, the form's settings kept.
    if (quit->clicked || Os::StopRequested()) {
        quit->clicked = false;
        Apply();
        result = 5;
    }
    if (joinTab->clicked) {
        joinTab->clicked = false;
        Apply();
        result = 0;
    }
    if (start->clicked) {
        start->clicked = false;
        message_ = nullptr;
        if (Apply())
            result = 4;
        else
            messageTime_ = 0.0f;
    }
    Draw();
    if (message_) {
        r->DrawText(25, 430, message_, 140, 140, 140);
        messageTime_ += host->GetMenuFrameTime();
        if (messageTime_ > kMessageSeconds) {
            message_ = nullptr;
            messageTime_ = 0.0f;
        }
    }
}

void HostMenu::Label(int top, int right, int x, int y)
{
    ITexture* strips = context_.media ? context_.media->textures[CommonMedia::HostTexts] : nullptr;
    if (!strips)
        return;
    IRenderer* r = host->GetMenuRenderer();
    Quad q;
    q.SetFromTextureRect(strips, 0, top, right, top + 10);
    q.Translate(float(x), float(y));
    r->SetTexture(0, strips);
    r->SetAlphaBlend();
    r->DrawQuad(&q, 1.0f);
}

void HostMenu::Draw()
{
    IRenderer* r = host->GetMenuRenderer();
    ITexture* const* pictures = context_.media ? context_.media->textures : nullptr;
    auto picture = [pictures](CommonMedia::Slot slot) { return pictures ? pictures[slot] : nullptr; };
    ITexture* arrows = host->GetMenuArrows();
    MenuDraw::Button(r, picture(CommonMedia::ExitButton), *quit, kTallFaces);
    MenuDraw::Button(r, picture(CommonMedia::JoinGameTab), *joinTab, kTallFaces);
    MenuDraw::Picture(r, picture(CommonMedia::HostGameTab), 0, 38, 204, 74, hostTab->x, hostTab->y);
    Label(0, 119, 25, 205);
    name->Draw(r);
    Label(100, 119, 25, 230);
    gameMode->Draw(r, arrows);
    Label(10, 119, 25, 255);
    level->Draw(r, arrows);
    Label(90, 90, 25, 280);
    lighting->Draw(r, arrows);
    Label(20, 119, 25, 305);
    maxPlayers->Draw(r);
    Label(30, 119, 295, 305);
    balancing->DrawCheckBox(r);
    Label(40, 119, 25, 330);
    fragLimit->Draw(r);
    Label(50, 119, 25, 355);
    teamFragLimit->Draw(r);
    Label(60, 119, 25, 380);
    timeLimit->Draw(r);
    Label(70, 119, 25, 405);
    passwordOn->DrawCheckBox(r);
    Label(80, 119, 175, 406);
    password->Draw(r);
    MenuDraw::Button(r, picture(CommonMedia::HostButton), *start, kSmallFaces);
    gameMode->DrawList(r);
    level->DrawList(r);
    lighting->DrawList(r);
}
