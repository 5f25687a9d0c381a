// Each dialog as a real window on the X display, worked with real keys.

#include "support/XDriver.h"

#include "platform/ui/Ui.h"
#include "platform/ui/wx/Dialogs.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <functional>
#include <thread>

namespace {

constexpr uint32_t kSky = 0x3070B0;
constexpr uint32_t kField = 0xD0A020;

// A picture of two bands, as the engine's loader gives it (0xAARRGGBB).
std::vector<uint32_t> Bands(int width, int height)
{
    std::vector<uint32_t> p(size_t(width) * size_t(height));
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            p[size_t(y) * size_t(width) + size_t(x)] = 0xFF000000u | (y < height / 2 ? kSky : kField);
    return p;
}

// The player's side of a dialog, on a thread of its own while the dialog
// runs on the main thread.
class Player {
public:
    explicit Player(std::function<void(XDriver&)> script)
        : thread_([this, script] {
              XDriver x;
              if (x.Ok())
                  script(x);
          })
    {
    }
    ~Player() { thread_.join(); }

private:
    std::thread thread_;
};

struct LoginRecorder : Ui::LoginHandler {
    std::vector<std::pair<std::string, std::string>> attempts;
    std::vector<Ui::Answer> answers;
    bool OnOkPressed(const std::string& user, const std::string& password, bool* selectPassword) override
    {
        attempts.emplace_back(user, password);
        if (password == "secret")
            return true;
        // As the game refuses: a box, then the password selected.
        answers.push_back(Ui::ShowMessage(u"Login Failed", u"Password is incorrect.", Ui::Icon::Warning));
        *selectPassword = true;
        return false;
    }
};

struct NotesRecorder : Ui::UpdateQuestionHandler {
    int presses = 0;
    void OnReleaseNotesPressed() override
    {
        ++presses;
        Ui::ShowReleaseNotes(u"Version 7\n-----\nFaster boats\n");
    }
};

struct CancelRecorder : Ui::DownloadHandler {
    bool cancelled = false;
    void OnCancelPressed() override { cancelled = true; }
};

} // namespace

class DialogWindows : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        ::unsetenv("VORNHAL_UI");
        started_ = Ui::StartDialogs();
    }
    static void TearDownTestSuite() { Ui::StopDialogs(); }
    void SetUp() override
    {
        if (!started_)
            GTEST_SKIP() << "no X display";
        ASSERT_FALSE(Ui::DialogsScripted());
    }

    static bool started_;
};
bool DialogWindows::started_ = false;

TEST_F(DialogWindows, LoginTakesTypedTextAndClosesOnlyWhenAccepted)
{
    // The data set's picture, without its bottom 47 rows as the game shows it.
    std::vector<uint32_t> pixels;
    int width = 0, height = 0;
    ASSERT_TRUE(LoadPng(std::string(VORNHAL_BUILD_DIR) + "/gfx/login.png", &width, &height, &pixels));
    ASSERT_GT(height, 47 + 50);
    Ui::LoginView view;
    view.picture = {width, height - 47, pixels.data()};
    view.link = u"http://127.0.0.1:1/register";
    view.footer = u"Vornhal: Finland against Russia";
    auto at = [&](int x, int y) { return pixels[size_t(y) * size_t(width) + size_t(x)] & 0xFFFFFF; };
    LoginRecorder handler;
    bool shown = false;
    bool accepted = false;
    {
        Player player([&](XDriver& x) {
            XWindow w = x.WaitForWindow("Login To Vornhal");
            // Drawn: the picture is on the screen, 1:1 from the top left.
            shown = w && x.WaitForPixel(w, 4, 4, at(4, 4)) && x.WaitForPixel(w, 4, 50, at(4, 50), 0);
            x.Focus(w);
            x.Type("ann");
            x.Key("Tab");
            x.Type("wrong");
            x.Key("Return");
            XWindow box = x.WaitForWindow("Login Failed");
            x.Focus(box);
            x.Key("Return");
            EXPECT_TRUE(x.WaitGone(box));
            // The password is selected: typing replaces it.
            x.Focus(w);
            x.Type("secret");
            x.Key("Return");
            if (!x.WaitGone(w))
                x.Key("Escape"); // fail, not hang
        });
        accepted = Ui::RunLogin(view, &handler);
    }
    EXPECT_TRUE(shown);
    EXPECT_TRUE(accepted);
    EXPECT_EQ(handler.attempts,
              (std::vector<std::pair<std::string, std::string>>{{"ann", "wrong"}, {"ann", "secret"}}));
    EXPECT_EQ(handler.answers, std::vector<Ui::Answer>{Ui::Answer::Ok});

    LoginRecorder untouched;
    {
        Player player([&](XDriver& x) {
            XWindow w = x.WaitForWindow("Login To Vornhal");
            x.Focus(w);
            x.Key("Escape");
        });
        accepted = Ui::RunLogin(view, &untouched);
    }
    EXPECT_FALSE(accepted);
    EXPECT_TRUE(untouched.attempts.empty());
}

TEST_F(DialogWindows, UpdateQuestionOpensTheNotesAndAnswers)
{
    std::vector<uint32_t> pixels = Bands(400, 90);
    Ui::Picture picture{400, 90, pixels.data()};
    NotesRecorder handler;
    bool yes = true;
    {
        Player player([&](XDriver& x) {
            XWindow q = x.WaitForWindow("Update Vornhal");
            x.WaitForPixel(q, 4, 4, kSky);
            x.Focus(q);
            x.Key("Tab"); // Yes, No, Release Notes
            x.Key("Tab");
            x.Key("Return");
            XWindow notes = x.WaitForWindow("Vornhal Release Notes");
            EXPECT_NE(notes, 0u);
            x.Focus(notes);
            x.Key("Escape");
            EXPECT_TRUE(x.WaitGone(notes));
            x.Focus(q);
            x.Key("Escape");
        });
        yes = Ui::AskUpdate(picture, &handler);
    }
    EXPECT_FALSE(yes);
    EXPECT_EQ(handler.presses, 1);
}

TEST_F(DialogWindows, DownloadWindowTakesCancelWhilePumped)
{
    std::vector<uint32_t> pixels = Bands(400, 60);
    CancelRecorder handler;
    std::unique_ptr<Ui::DownloadWindow> window = Ui::OpenDownloadWindow({400, 60, pixels.data()}, u"footer", &handler);
    window->SetStatus(u"Downloading v7\n12.50 KiB/sec");
    window->SetProgress(Ui::kProgressRange / 2);
    Player player([&](XDriver& x) {
        XWindow w = x.WaitForWindow("Update Vornhal");
        x.WaitForPixel(w, 4, 4, kSky);
        x.Focus(w);
        x.Key("Escape");
    });
    // The download's reports pump it.
    auto end = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    while (!handler.cancelled && std::chrono::steady_clock::now() < end) {
        window->Pump();
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    EXPECT_TRUE(handler.cancelled);
}
