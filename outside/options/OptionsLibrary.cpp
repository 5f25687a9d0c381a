#include "outside/options/Backends.h"
#include "outside/options/IOptions.h"

#include "game/shell/client/IGame.h"

#include <cstdlib>
#include <cstring>
#include <string>

namespace {

bool WantsWindow()
{
    const char* ui = std::getenv("VORNHAL_UI");
    const char* display = std::getenv("DISPLAY");
    // An answer given beforehand is taken, also where the game's own
    // dialogs open windows.
    const char* answer = std::getenv("VORNHAL_OPTIONS");
    return !(ui && std::strcmp(ui, "headless") == 0) && !(answer && *answer) && display && *display;
}

class OptionsLibrary : public IOptions {
public:
    bool ShowOptionsDialog(IGame* game, IEngine*, bool* save) override
    {
        bool ignored = false;
        if (!save)
            save = &ignored;
        *save = false;
        failure_.clear();
        failed_ = false;
        if (!game || !game->GetGameOptions())
            return Fail(u"the game has no settings to show");
        Options::Answer answer = Options::Answer::Cancel;
        std::u16string error;
        const bool answered = WantsWindow() ? Options::RunWindow(game, &answer, &error)
                                            : Options::RunScripted(game, std::getenv("VORNHAL_OPTIONS"),
                                                                   std::getenv("VORNHAL_OPTIONS_SET"), &answer, &error);
        if (!answered)
            return Fail(error);
        *save = answer != Options::Answer::Cancel;
        return answer == Options::Answer::Start;
    }

    const char16_t* GetFailure() override { return failed_ ? failure_.c_str() : nullptr; }

private:
    bool Fail(const std::u16string& why)
    {
        failure_ = why;
        failed_ = true;
        return false;
    }

    std::u16string failure_;
    bool failed_ = false;
};

OptionsLibrary g_library;

} // namespace

extern "C" OPTIONS_API IOptions* GetOptions() { return &g_library; }
