#include "MenuFakes.h"

#include "engine/core/Engine.h"
#include "engine/core/StringKit.h"
#include "game/shell/client/Game.h"
#include "game/shell/menu/HostMenu.h"
#include "game/shell/menu/MenuButton.h"
#include "game/shell/menu/MenuDropdown.h"
#include "game/shell/menu/MenuEdit.h"
#include "game/world/system/GameSystem.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <memory>

namespace {

struct Form {
    std::u16string name, players, frags, teamFrags, time;
    int mode;
    bool locked;
    std::u16string password;
    // Null: the form passes and is written.
    const char16_t* refusal;
};

// Every check of the host form, with what reaches the settings: a refused
// form writes nothing, a passing one writes its numbers.
TEST(HostForm, ChecksNumbersAndTextsBeforeWriting)
{
    setenv("VORNHAL_UI", "headless", 1);
    std::unique_ptr<Engine> engine;
    {
        TestSupport::ScopedChdir in(VORNHAL_BUILD_DIR);
        engine.reset(new Engine());
    }
    Game game;
    game.Init(engine.get());
    IGameOptions& options = game.GetGameSystem()->Options();
    const std::u16string n64(64, u'n'), n65(65, u'n');
    const Form forms[] = {
        {u"abc", u"8", u"10", u"20", u"15", 0, false, u"", u"Server name must be at least 4 characters"},
        {n65, u"8", u"10", u"20", u"15", 0, false, u"", u"Server name can't be over 64 characters"},
        {n64, u"1", u"0", u"0", u"0", 0, false, u"", nullptr},
        {u"abcd", u"32", u"9999", u"9999", u"9999", 1, false, u"", nullptr},
        {u"abcd", u"0", u"10", u"20", u"15", 0, false, u"", u"Max players must be between 1 and 32"},
        {u"abcd", u"33", u"10", u"20", u"15", 0, false, u"", u"Max players must be between 1 and 32"},
        {u"abcd", u"x12", u"10", u"20", u"15", 0, false, u"", u"Max players must be between 1 and 32"},
        {u"abcd", u"4294967298", u"10", u"20", u"15", 0, false, u"", u"Max players must be between 1 and 32"},
        {u"abcd", u"12abc", u"10", u"20", u"15", 0, false, u"", nullptr},
        {u"abcd", u"8", u"", u"20", u"15", 0, false, u"", u"Frag limit must be between 0 and 9999"},
        {u"abcd", u"8", u"-5", u"20", u"15", 0, false, u"", u"Frag limit must be between 0 and 9999"},
        {u"abcd", u"8", u"10000", u"20", u"15", 0, false, u"", u"Frag limit must be between 0 and 9999"},
        {u"abcd", u"8", u"4294967306", u"20", u"15", 0, false, u"", u"Frag limit must be between 0 and 9999"},
        {u"abcd", u"8", u"10", u"abc", u"15", 0, false, u"", u"Team frag limit must be between 0 and 9999"},
        {u"abcd", u"8", u"10", u"20", u"100000", 0, false, u"", u"Time limit must be between 0 and 9999"},
        // King of the hill greys the frag limits: a bad one there keeps the setting.
        {u"abcd", u"8", u"oops", u"5", u"15", 2, false, u"", nullptr},
        {u"abcd", u"8", u"10", u"20", u"15", 0, true, u"", u"Password must be entered"},
        {u"abcd", u"8", u"10", u"20", u"15", 0, true, n65, u"Password can't be over 64 characters"},
        {u"abcd", u"8", u"10", u"20", u"15", 0, true, u"pw", nullptr},
    };
    for (const Form& form : forms) {
        const std::string what = Util::Narrow(form.name.substr(0, 8) + u"/" + form.players + u"/" + form.frags + u"/" +
                                              form.teamFrags + u"/" + form.time + u"/" + form.password.substr(0, 8));
        options.SetServerName(u"Sentinel");
        options.SetServerMaxPlayers(7);
        options.SetServerFragLimit(11);
        options.SetServerTeamFragLimit(22);
        options.SetServerTimeLimit(33);
        options.SetServerLocked(false);
        MenuHost host;
        HostMenu menu(&host, game.GetScreenContext());
        menu.Build();
        menu.name->SetText(form.name.c_str());
        menu.maxPlayers->SetText(form.players.c_str());
        menu.fragLimit->SetText(form.frags.c_str());
        menu.teamFragLimit->SetText(form.teamFrags.c_str());
        menu.timeLimit->SetText(form.time.c_str());
        menu.gameMode->selected = form.mode;
        menu.FillLevels();
        menu.passwordOn->checked = form.locked;
        menu.password->SetText(form.password.c_str());

        EXPECT_EQ(menu.Apply(), form.refusal == nullptr) << what;
        if (form.refusal) {
            ASSERT_NE(menu.GetMessage(), nullptr) << what;
            EXPECT_EQ(std::u16string(menu.GetMessage()), form.refusal) << what;
            EXPECT_EQ(std::u16string(options.GetServerName()), u"Sentinel") << what;
            EXPECT_EQ(options.GetServerMaxPlayers(), 7) << what;
            EXPECT_EQ(options.GetServerFragLimit(), 11) << what;
            continue;
        }
        EXPECT_EQ(std::u16string(options.GetServerName()), form.name) << what;
        EXPECT_EQ(options.GetServerMaxPlayers(), Util::AtoI(form.players.c_str())) << what;
        EXPECT_EQ(options.GetServerFragLimit(), form.mode == 2 ? 11 : Util::AtoI(form.frags.c_str())) << what;
        EXPECT_EQ(options.GetServerTeamFragLimit(), Util::AtoI(form.teamFrags.c_str())) << what;
        EXPECT_EQ(options.GetServerTimeLimit(), Util::AtoI(form.time.c_str())) << what;
        EXPECT_EQ(options.GetServerMode(), form.mode) << what;
        EXPECT_EQ(options.GetServerLocked(), form.locked) << what;
        if (form.locked) {
            EXPECT_EQ(std::u16string(options.GetServerPassword()), form.password) << what;
        }
    }
    game.Shutdown();
}

} // namespace
