#include "game/shell/menu/MainMenu.h"

#include "engine/core/IEngine.h"
#include "engine/core/StringKit.h"
#include "engine/render/IInput.h"
#include "engine/render/IRenderer.h"
#include "engine/web/IServerInfo.h"
#include "engine/web/IServerList.h"
#include "game/shell/menu/IMenuHost.h"
#include "game/shell/menu/LeadingNumber.h"
#include "game/shell/menu/MenuButton.h"
#include "game/shell/menu/MenuDraw.h"
#include "game/shell/menu/MenuEdit.h"
#include "game/shell/menu/MenuList.h"
#include "game/world/geometry/Quad.h"
#include "game/world/resources/CommonMedia.h"
#include "game/world/system/GameSystem.h"
#include "platform/os/StopSignals.h"

#include <climits>

namespace {

constexpr int kActionReturn = 1;

// A refusal of the typed address stands at the foot of the list's panel,
// over the address field: the strip of the field has no room for a line.
constexpr int kRefusalRight = 684;
constexpr int kRefusalTop = 665;
constexpr int kRefusalHeight = 19;

const MenuDraw::Faces kQuitFaces = {{0, 36}, {74, 111}, {111, 148}};
const MenuDraw::Faces kTabFaces = {{0, 36}, {74, 111}, {111, 148}};
const MenuDraw::Faces kSmallFaces = {{0, 28}, {28, 56}, {56, 84}};

const char16_t* ModeName(int mode)
{
    switch (mode) {
    case 0:
        return u"TDM";
    case 1:
        return u"CTF";
    case 2:
        return u"KOH";
    default:
        return u"Unknown";
    }
}

int Sign(int v) { return v < 0 ? -1 : (v > 0 ? 1 : 0); }

} // namespace

const char16_t* JoinAddress::Refusal() const
{
    switch (verdict) {
    case Verdict::HostTooLong:
        return u"Address can't be over 255 characters";
    case Verdict::PortTooLarge:
        return u"Port must be between 0 and 65535";
    default:
        return nullptr;
    }
}

JoinAddress ParseJoinAddress(const char16_t* text)
{
    JoinAddress out;
    const std::u16string all = text ? text : u"";
    if (all.empty())
        return out;
    const size_t colon = all.find(u':');
    out.host = all.substr(0, colon);
    out.port = MainMenu::kDefaultPort;
    // Digits beyond an int saturate rather than wrap into a valid port.
    if (colon != std::u16string::npos)
        LeadingNumber(all.c_str() + colon + 1, &out.port);
    if (out.host.size() > size_t(MainMenu::kMaxHostUnits))
        out.verdict = JoinAddress::Verdict::HostTooLong;
    else if (out.port > MainMenu::kMaxPort)
        out.verdict = JoinAddress::Verdict::PortTooLarge;
    else
        out.verdict = JoinAddress::Verdict::Join;
    return out;
}

MainMenu::MainMenu(IMenuHost* host, const ScreenContext& context, MenuSmoke* smoke)
    : MenuSystem(host), context_(context), smoke_(smoke)
{
}

MainMenu::~MainMenu() = default;

void MainMenu::FetchList() { list_.reset(context_.engine ? context_.engine->GetServerList() : nullptr); }

void MainMenu::Build()
{
    FetchList();
    quit = AddButton(890, 21, 118, 36);
    joinTab = AddButton(14, 148, 187, 37);
    hostTab = AddButton(201, 148, 204, 37);
    refresh = AddButton(30, 710, 105, 28);
    join = AddButton(590, 710, 91, 28);
    table = new MenuList(this, 15, 185, 692, 520);
    controls.push_back(table);
    table->AddColumn(u"Name", 300);
    table->AddColumn(u"Players", 70);
    table->AddColumn(u"Ping", 40);
    table->AddColumn(u"Mode", 50);
    table->AddColumn(u"Map", 200);
    table->AddColumn(u"Address", 200);
    table->columns.Get(0)->sort = 2;
    table->Sort();
    address = AddEdit(400, 717, 180, 20);
    address->SetText(context_.game ? context_.game->Options().GetDefaultAddress() : u"");
}

void MainMenu::StoreAddress()
{
    if (context_.game)
        context_.game->Options().SetDefaultAddress(address->GetText());
}

void MainMenu::Join()
{
    StoreAddress();
    const JoinAddress target = ParseJoinAddress(address->GetText());
    if (target.verdict == JoinAddress::Verdict::Empty)
        return;
    if (target.verdict != JoinAddress::Verdict::Join) {
        refusal_ = target.Refusal();
        refusalTime_ = 0.0f;
        return;
    }
    refusal_ = nullptr;
    if (context_.game) {
        Util::StrCopy(context_.game->connectAddress, 256, target.host.c_str());
        context_.game->connectPort = target.port;
    }
    result = 3;
}

void MainMenu::Frame()
{
    IRenderer* r = host->GetMenuRenderer();
    CommonMedia* media = context_.media;
    MenuDraw::Background(r, media ? media->textures[CommonMedia::MenuBackground] : nullptr);
    // A stop signal leaves as Quit does, the form's settings kept.
    if (quit->clicked || Os::StopRequested()) {
        quit->clicked = false;
        StoreAddress();
        result = 5;
    }
    const bool returnHeld = address->focused && host->GetMenuInput()->IsActionDown(kActionReturn);
    if (join->clicked || returnHeld) {
        join->clicked = false;
        Join();
    }
    if (hostTab->clicked) {
        hostTab->clicked = false;
        StoreAddress();
        result = 1;
    }
    if (refresh->clicked) {
        refresh->clicked = false;
        StoreAddress();
        list_.reset();
        FetchList();
        table->Sort();
    }
    Draw();
}

void MainMenu::Draw()
{
    IRenderer* r = host->GetMenuRenderer();
    ITexture* const* pictures = context_.media ? context_.media->textures : nullptr;
    auto picture = [pictures](CommonMedia::Slot slot) { return pictures ? pictures[slot] : nullptr; };
    MenuDraw::Button(r, picture(CommonMedia::ExitButton), *quit, kQuitFaces);
    MenuDraw::Picture(r, picture(CommonMedia::JoinGameTab), 0, 38, 187, 75, joinTab->x, joinTab->y);
    MenuDraw::Button(r, picture(CommonMedia::HostGameTab), *hostTab, kTabFaces);
    MenuDraw::Button(r, picture(CommonMedia::RefreshButton), *refresh, kSmallFaces);
    if (address->GetLength() == 0)
        MenuDraw::Picture(r, picture(CommonMedia::JoinButton), 0, 84, 91, 112, join->x, join->y);
    else
        MenuDraw::Button(r, picture(CommonMedia::JoinButton), *join, kSmallFaces);
    MenuDraw::Picture(r, picture(CommonMedia::JoinTexts), 0, 0, 60, 10, 330, 725);
    table->Draw(r, host->GetMenuArrows());
    address->Draw(r);
    if (refusal_) {
        const int left = kRefusalRight - r->GetTextWidth(refusal_);
        // On the panel's own colour: rows of a long list may lie under it.
        FillScreenRect(r, float(left - 4), float(kRefusalTop - 2), float(kRefusalRight + 2),
                       float(kRefusalTop + kRefusalHeight), 24, 22, 18, 1.0f);
        r->DrawText(left, kRefusalTop, refusal_, 140, 140, 140);
        refusalTime_ += host->GetMenuFrameTime();
        if (refusalTime_ > kRefusalSeconds) {
            refusal_ = nullptr;
            refusalTime_ = 0.0f;
        }
    }
}

// ---- the server table --------------------------------------------------------

int MainMenu::GetRowCount() { return list_ ? list_->GetCount() : 0; }

const char16_t* MainMenu::GetCellText(int row, int column)
{
    cell_[0] = 0;
    IServerInfo* server = list_ ? list_->GetServer(row) : nullptr;
    if (!server)
        return cell_;
    // The master server's texts may be of any length: they are cut to the cell.
    switch (column) {
    case 0:
        Util::StrCopy(cell_, 256, server->GetName());
        break;
    case 1:
        Util::FormatTo(cell_, 256, u"%d/%d", server->GetPlayers(), server->GetMaxPlayers());
        break;
    case 2:
        Util::FormatTo(cell_, 256, u"%d", 0);
        break;
    case 3:
        Util::StrCopy(cell_, 256, ModeName(server->GetGameMode()));
        break;
    case 4:
        Util::StrCopy(cell_, 256, server->GetLevel());
        break;
    case 5:
        Util::FormatTo(cell_, 256, u"%s:%d", server->GetAddress(), server->GetPort());
        break;
    default:
        break;
    }
    return cell_;
}

int MainMenu::CompareRows(int a, int b, int column)
{
    IServerInfo* sa = list_ ? list_->GetServer(a) : nullptr;
    IServerInfo* sb = list_ ? list_->GetServer(b) : nullptr;
    if (!sa || !sb)
        return 0;
    switch (column) {
    case 0:
        return Sign(Util::StrCompare(sa->GetName(), sb->GetName()));
    case 3: {
        const long long d = (long long)sa->GetGameMode() - sb->GetGameMode();
        return int(d < INT_MIN ? INT_MIN : (d > INT_MAX ? INT_MAX : d));
    }
    case 4:
        return Sign(Util::StrCompare(sa->GetLevel(), sb->GetLevel()));
    default:
        return 0;
    }
}

void MainMenu::OnRowSelected(int row)
{
    IServerInfo* server = list_ ? list_->GetServer(row) : nullptr;
    if (!server)
        return;
    char16_t text[256];
    Util::FormatTo(text, 256, u"%s:%d", server->GetAddress(), server->GetPort());
    address->SetText(text);
}
