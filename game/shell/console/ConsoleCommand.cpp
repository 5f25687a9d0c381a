#include "game/shell/console/ConsoleCommand.h"

#include "engine/core/IEngine.h"
#include "engine/core/StringKit.h"
#include "engine/net/IConnection.h"
#include "engine/web/IPlayerScores.h"
#include "game/shell/console/ConsoleWords.h"
#include "game/shell/console/IMessageWriter.h"
#include "game/shell/protocol/MultiplayerHandler.h"
#include "game/shell/protocol/ServerHandler.h"
#include "game/world/modes/GameMod.h"
#include "game/world/player/Player.h"
#include "game/world/state/WorldServices.h"
#include "game/world/system/GameSystem.h"
#include "game/world/system/PlayerRoster.h"

#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

constexpr int kWordUnits = 65;
constexpr int kChatUnits = 1000;
constexpr int kDebugTextUnits = 1024;

const char* const kHelpText =
    "\n\nServer commands are:\n"
    "gamemode dm/ctf/koh                 change game mode\n"
    "changemap                           change to next level\n"
    "lighting noon/evening/night         change lighting for next level\n"
    "playerinfo [playername]             show information about player/players\n"
    "changeteam playername blue/red      move player to other team\n"
    "kick playername/ip                  kick player with name or ip\n"
    "ban playername/ip                   kick player with name or ip and disable connections from player's ip\n"
    "unban playername/ip                 enable connections from player's IP\n"
    "op playername                       make player's account an operator\n"
    "deop playername                     remove operator\n"
    "balance                             balance teams\n"
    "autobalance 0/1                     set autobalance off/on\n"
    "password [password]                 set server password or remove it with empty password\n"
    "timelimit                           change time limit to specified value\n"
    "fraglimit                           change frag limit to specified value\n"
    "chat message                        send chat message\n"
    "quit                                stop server\n\n";

const char* const kNotFound = "Player not found.\n";

// The words of one line and where its replies go.
class Command {
public:
    Command(const char16_t* line, IMessageWriter* writer, GameSystem* game) : writer_(writer), game_(game)
    {
        GetConsoleWord(kWordUnits, line, 0, word_, false);
        GetConsoleWord(kWordUnits, line, 1, first_, false);
        GetConsoleWord(kWordUnits, line, 2, second_, false);
        GetConsoleWord(kChatUnits, line, 1, rest_, true);
    }

    bool Is(const char16_t* name) const { return Util::StrCompareNoCase(word_, name) == 0; }
    const char16_t* First() const { return first_; }
    const char16_t* Second() const { return second_; }
    const char16_t* Rest() const { return rest_; }
    GameSystem* Game() { return game_; }
    IGameOptions& Options() { return game_->Options(); }

    void Print(const char* format, ...)
    {
        if (!writer_)
            return;
        va_list args;
        va_start(args, format);
        std::string text = Util::FormatV(format, args);
        va_end(args);
        writer_->Print("%s", text.c_str());
    }
    // Names and debug texts go out as the console's text (UTF-8), at most
    // limit units of them.
    void PrintText(const char16_t* text, int limit)
    {
        if (!writer_)
            return;
        int n = 0;
        while (n < limit && text[n] != 0)
            ++n;
        writer_->Print("%s", Util::ToOs(std::u16string(text, size_t(n))).c_str());
    }

    MultiplayerHandler* Handler()
    {
        if (MultiplayerHandler* handler = ActiveHandlerOf(game_))
            return handler;
        if (IEngine* engine = Services().engine)
            engine->FatalError("mpHandler not set");
        std::fputs("mpHandler not set\n", stderr);
        std::_Exit(255);
    }

private:
    IMessageWriter* writer_;
    GameSystem* game_;
    char16_t word_[kWordUnits] = {};
    char16_t first_[kWordUnits] = {};
    char16_t second_[kWordUnits] = {};
    char16_t rest_[kChatUnits] = {};
};

bool Empty(const char16_t* word) { return word[0] == 0; }

bool Same(const char16_t* a, const char16_t* b) { return Util::StrCompareNoCase(a, b) == 0; }

Player* FindPlayer(int32_t id) { return PlayerRoster().FindPlayer(id); }

const char* TeamName(int team) { return team == 0 ? "Blue" : "Red"; }

int SlotTeam(MultiplayerHandler* handler, int32_t id)
{
    for (int i = 0; i < MultiplayerHandler::kSlotCount; ++i)
        if (const PlayerSlot* slot = handler->GetSlot(i); slot && slot->id == id)
            return slot->team;
    return 0;
}

// Index of the word in the list, or -1.
int Choice(const char16_t* word, std::initializer_list<const char16_t*> words)
{
    int i = 0;
    for (const char16_t* w : words) {
        if (Same(word, w))
            return i;
        ++i;
    }
    return -1;
}

void ListPlayers(Command& c)
{
    MultiplayerHandler* handler = c.Handler();
    for (int i = 0; i < MultiplayerHandler::kSlotCount; ++i) {
        const PlayerSlot* slot = handler->GetSlot(i);
        if (!slot || !slot->IsUsed() || slot->team < 0)
            continue;
        int ping = 0;
        float loss = 0.0f;
        Player* player = FindPlayer(slot->id);
        if (MPAPI::IConnection* connection = player ? player->GetConnection() : nullptr) {
            ping = connection->GetPing();
            loss = connection->GetPacketLoss();
        }
        c.PrintText(slot->name, MultiplayerHandler::kSlotCount);
        c.Print(", %s, %d frags, ping: %d, loss: %1.2f\n", TeamName(slot->team), handler->GetPlayerFrags(slot->id),
                ping, double(loss));
    }
}

void ShowPlayer(Command& c, const char16_t* name)
{
    MultiplayerHandler* handler = c.Handler();
    int32_t id = handler->FindPlayerIdByName(name);
    if (id == 0) {
        c.Print(kNotFound);
        return;
    }
    Player* player = FindPlayer(id);
    MPAPI::IConnection* connection = player ? player->GetConnection() : nullptr;
    // The address is in network order: its lowest byte is the first number.
    uint32_t address = handler->GetPlayerAddress(id);
    c.Print("\n");
    c.Print("Team: %s\n", TeamName(SlotTeam(handler, id)));
    c.Print("IP: %d.%d.%d.%d\n", int(address & 0xFF), int((address >> 8) & 0xFF), int((address >> 16) & 0xFF),
            int(address >> 24));
    c.Print("Port: %d\n", handler->GetPlayerPort(id));
    c.Print("Ping: %d\n", connection ? connection->GetPing() : 0);
    c.Print("Packet loss: %1.2f\n", connection ? double(connection->GetPacketLoss()) : 0.0);
    if (connection) {
        char16_t text[kDebugTextUnits] = {};
        connection->GetDebugText(text, kDebugTextUnits);
        text[kDebugTextUnits - 1] = 0;
        c.PrintText(text, kDebugTextUnits);
    }
}

void ChangeTeam(Command& c)
{
    if (Empty(c.First()) || Empty(c.Second())) {
        c.Print("Command syntax is: changeteam playername blue/red\n");
        return;
    }
    Player* player = FindPlayer(c.Handler()->FindPlayerIdByName(c.First()));
    if (!player) {
        c.Print(kNotFound);
        return;
    }
    int team = Choice(c.Second(), {u"blue", u"red"});
    if (team >= 0)
        c.Handler()->ChangeTeam(player, team + 1);
}

// kick and ban: the name must be of a player on the server now.
void RemovePlayer(Command& c, bool ban)
{
    if (Empty(c.First())) {
        c.Print(ban ? "Command syntax is: ban playername/ip\n" : "Command syntax is: kick playername/ip\n");
        return;
    }
    MultiplayerHandler* handler = c.Handler();
    int32_t id = handler->FindPlayerIdByName(c.First());
    if (id == 0) {
        c.Print(kNotFound);
        return;
    }
    if (ban)
        handler->BanPlayer(c.First());
    handler->KickPlayer(id);
}

void SayOperator(Command& c, int32_t entry)
{
    IGameOptions& o = c.Options();
    c.PrintText(o.GetOperator(entry), kWordUnits);
    c.Print(" is an operator (account %d).\n", int(o.GetOperatorAccount(entry)));
}

// The account the master service confirmed for the player who holds the
// name becomes an operator: a name alone anybody may join under.
void MakeOperator(Command& c)
{
    int32_t id = c.Handler()->FindPlayerIdByName(c.First());
    Player* player = id != 0 ? FindPlayer(id) : nullptr;
    if (!player) {
        c.Print(kNotFound);
        return;
    }
    IPlayerScores* scores = player->GetScores();
    int32_t account = scores ? scores->GetAccountId() : 0;
    if (account <= 0) {
        c.Print("Player has no confirmed account.\n");
        return;
    }
    IGameOptions& o = c.Options();
    // An entry of that name without an account (an older file's) takes it.
    for (int32_t i = 0; i < o.GetOperatorCount(); ++i) {
        if (!Same(o.GetOperator(i), c.First()))
            continue;
        int32_t bound = o.GetOperatorAccount(i);
        if (bound == 0)
            o.SetOperatorAccount(i, account);
        if (bound == 0 || bound == account)
            return SayOperator(c, i);
    }
    o.AddOperator(c.First());
    o.SetOperatorAccount(o.GetOperatorCount() - 1, account);
    SayOperator(c, o.GetOperatorCount() - 1);
}

void SetPassword(Command& c)
{
    const char16_t* word = c.First();
    c.Options().SetServerPassword(word);
    c.Handler()->SetPassword(word);
    c.Options().SetServerLocked(!Empty(word));
    c.Print(Empty(word) ? "Password removed.\n" : "Password changed.\n");
}

void SetLimit(Command& c, bool time)
{
    if (Empty(c.First())) {
        c.Print(time ? "Command syntax is: timelimit value.\n" : "Command syntax is: fraglimit value.\n");
        return;
    }
    int value = Util::AtoI(c.First());
    if (time) {
        c.Options().SetServerTimeLimit(value);
        c.Print("Time limit changed to %d\n", c.Options().GetServerTimeLimit());
    } else {
        c.Options().SetServerFragLimit(value);
        c.Print("Frag limit changed to %d\n", c.Options().GetServerFragLimit());
    }
}

void GiveAllAmmo(Command& c)
{
    MultiplayerHandler* handler = c.Handler();
    for (int i = 0; i < MultiplayerHandler::kSlotCount; ++i) {
        const PlayerSlot* slot = handler->GetSlot(i);
        if (Player* player = slot && slot->id != 0 ? FindPlayer(slot->id) : nullptr)
            player->GiveAllAmmo();
    }
}

void ToggleDebug(Command& c)
{
    if (Empty(c.First()))
        return;
    int32_t id = c.Handler()->FindPlayerIdByName(c.First());
    if (id == 0) {
        c.Print(kNotFound);
        return;
    }
    Player* player = FindPlayer(id);
    if (MPAPI::IConnection* connection = player ? player->GetConnection() : nullptr)
        connection->ToggleDebug();
}

// The settings commands that pick one of a few words.
bool SetChoice(Command& c)
{
    if (c.Is(u"gamemode")) {
        int mode = Choice(c.First(), {u"dm", u"ctf", u"koh"});
        if (mode < 0)
            return c.Print("Command syntax is: gamemode dm/ctf/koh\n"), true;
        c.Options().SetServerMode(mode);
        return c.Print("Game mode changed.\n"), true;
    }
    if (c.Is(u"lighting")) {
        int lighting = Choice(c.First(), {u"noon", u"evening", u"night"});
        if (lighting < 0)
            return c.Print("Command syntax is: lighting noon/evening/night\n"), true;
        c.Options().SetServerLighting(lighting);
        return c.Print("Lighting changed.\n"), true;
    }
    if (c.Is(u"autobalance")) {
        if (Empty(c.First()))
            return c.Print("Command syntax is: autobalance 0/1\n"), true;
        if (c.First()[0] == u'0' || c.First()[0] == u'1')
            c.Options().SetServerBalanced(c.First()[0] == u'1');
        return true;
    }
    return false;
}

// The commands about players; false when the word is none of them.
bool ManagePlayers(Command& c)
{
    if (c.Is(u"playerinfo"))
        Empty(c.First()) ? ListPlayers(c) : ShowPlayer(c, c.First());
    else if (c.Is(u"changeteam"))
        ChangeTeam(c);
    else if (c.Is(u"kick"))
        RemovePlayer(c, false);
    else if (c.Is(u"ban"))
        RemovePlayer(c, true);
    else if (c.Is(u"unban")) {
        if (Empty(c.First()))
            c.Print("Command syntax is: unban playername/ip\n");
        else if (!c.Handler()->UnbanPlayer(c.First()))
            c.Print(kNotFound);
    } else if (c.Is(u"op") || c.Is(u"deop")) {
        bool add = c.Is(u"op");
        if (Empty(c.First()))
            c.Print(add ? "Command syntax is: op playername/ip\n" : "Command syntax is: deop playername/ip\n");
        else if (add)
            MakeOperator(c);
        else
            c.Options().RemoveOperator(c.First());
    } else if (c.Is(u"giveallammo"))
        GiveAllAmmo(c);
    else if (c.Is(u"debug"))
        ToggleDebug(c);
    else
        return false;
    return true;
}

} // namespace

bool ExecuteConsoleCommand(const char16_t* line, IMessageWriter* writer, GameSystem* game, bool* levelLost)
{
    if (levelLost)
        *levelLost = false;
    Command c(line, writer, game);
    if (c.Is(u"quit"))
        return true;
    if (!game)
        return false;
    if (c.Is(u"help")) {
        c.Print("%s", kHelpText);
    } else if (SetChoice(c) || ManagePlayers(c)) {
    } else if (c.Is(u"changemap")) {
        MultiplayerHandler* handler = c.Handler();
        if (!handler->StartLevel()) {
            c.Print("Unable to load level.\n");
            // A level that would not load is found before the one played is
            // torn down: the server goes on with it. Only a server left with
            // no level at all has nothing more to offer.
            bool serving = handler == game->GetServerHandler();
            bool playing = serving && static_cast<ServerHandler*>(handler)->GetLevelPath()[0] != 0;
            if (levelLost)
                *levelLost = !playing;
        }
    } else if (c.Is(u"balance")) {
        if (GameMod* mode = game->GetGameMode())
            mode->ToggleBalance();
    } else if (c.Is(u"password")) {
        SetPassword(c);
    } else if (c.Is(u"timelimit") || c.Is(u"fraglimit")) {
        SetLimit(c, c.Is(u"timelimit"));
    } else if (c.Is(u"chat")) {
        if (Empty(c.Rest()))
            c.Print("Command syntax is: chat message\n");
        else
            c.Handler()->BroadcastMessage((u"(Console) " + std::u16string(c.Rest())).c_str(), -1, false, false);
    } else if (c.Is(u"makedamage")) {
        if (Empty(c.First()))
            c.Print("Command syntax is: makedamage value.\n");
        else
            game->DamageEverything(float(Util::AtoI(c.First())));
    }
    return false;
}
