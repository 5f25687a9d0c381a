#include "DialogRig.h"

#include "game/shell/dialogs/LoginDialog.h"

using namespace DialogRig;

class Login : public Rig {
protected:
    // The stand-in's accounts, made before the engine asks.
    StandIn accounts_{{"--add-account", "ann", "secret", "Ann", "u-ann", "--add-account",
                       "J\xC3\xA4\xC3\xA4k\xC3\xA4ri", "sisu", "Jaakari", "u-j"},
                      [](StandInState& s) { StandIn::AddAccount(s, "bob", "pw", "Bob", "u-bob", 9, false); }};

    bool Run(const char* script)
    {
        ::setenv("VORNHAL_UI_LOGIN", script, 1);
        game_ = Start();
        game_->engine.SetMasterServer(accounts_.Host().c_str());
        LoginDialog dialog;
        return RunLoginDialog(dialog, &game_->engine);
    }

    std::unique_ptr<InGame> game_;
};

TEST_F(Login, RefusalsKeepTheDialogOpenUntilTheServiceAccepts)
{
    ASSERT_TRUE(Run(":x;ann:;nobody:x;bob:pw;ann:wrong;ann:secret"));
    EXPECT_EQ(Boxes(), (std::vector<std::string>{
                           "Login Failed: Enter a username",
                           "Login Failed: Enter a password.",
                           "Login Failed: Account not found or it isn't activated.",
                           "Login Failed: Account not found or it isn't activated.",
                           "Login Failed: Password is incorrect.",
                       }));
    EXPECT_EQ(std::u16string(game_->engine.GetLoginNick()), u"Ann");
    EXPECT_EQ(std::u16string(game_->engine.GetLoginUid()), u"u-ann");

    Boxes().clear();
    EXPECT_FALSE(Run("ann:wrong")); // then the player cancels
    EXPECT_FALSE(Run("cancel"));
    EXPECT_EQ(Boxes(), (std::vector<std::string>{"Login Failed: Password is incorrect."}));
    // Only a wrong password is selected for typing again.
    LoginDialog asked;
    asked.engine = &game_->engine;
    bool select = false;
    EXPECT_FALSE(asked.OnOkPressed("nobody", "x", &select));
    EXPECT_FALSE(select);
    EXPECT_FALSE(asked.OnOkPressed("ann", "wrong", &select));
    EXPECT_TRUE(select);

    Boxes().clear();
    ::setenv("VORNHAL_UI_LOGIN", "ann:secret", 1);
    game_ = Start();
    game_->engine.SetMasterServer(u"127.0.0.1:1");
    LoginDialog dialog;
    EXPECT_FALSE(RunLoginDialog(dialog, &game_->engine));
    EXPECT_EQ(Boxes(), (std::vector<std::string>{"Login Failed: Can't connect to server."}));
}

TEST_F(Login, TypedTextLeavesAsUtf8CutAtACharacter)
{
    // The service keeps the name as UTF-8 bytes; the log-in finds it.
    EXPECT_TRUE(Run("J\xC3\xA4\xC3\xA4k\xC3\xA4ri:sisu"));
    EXPECT_TRUE(Boxes().empty());

    std::string name;
    for (int i = 0; i < 200; ++i)
        name += "\xC3\xA4";
    std::u16string sent = TypedTextForEngine(name, LoginDialog::kMaxTyped);
    ASSERT_EQ(sent.size(), 254u);
    EXPECT_EQ(Util::ToOs(sent), name.substr(0, 254));
    EXPECT_EQ(TypedTextForEngine(std::string(300, 'a'), LoginDialog::kMaxTyped).size(), 255u);
}

TEST(LoginPicture, ShowsAllButTheBottom47Rows)
{
    LoginDialog dialog;
    dialog.pixels = new uint32_t[10 * 105]();
    dialog.pictureWidth = 10;
    dialog.pictureHeight = 105;
    EXPECT_EQ(dialog.PictureShown().height, 58);
    EXPECT_EQ(dialog.PictureShown().width, 10);
    dialog.pictureHeight = 47;
    EXPECT_EQ(dialog.PictureShown().pixels, nullptr);
    EXPECT_EQ(dialog.PictureShown().height, 0);
}
