#include "game/shell/dialogs/LoginDialog.h"

#include "engine/core/IEngine.h"
#include "engine/core/StringKit.h"
#include "game/shell/dialogs/DialogSettings.h"
#include "platform/ui/Ui.h"

namespace {

void Refuse(const char16_t* text) { Ui::ShowMessage(u"Login Failed", text, Ui::Icon::Warning); }

} // namespace

LoginDialog::~LoginDialog() { delete[] pixels; }

std::u16string TypedTextForEngine(const std::string& utf8, size_t maxBytes)
{
    size_t n = utf8.size();
    if (n > maxBytes) {
        n = maxBytes;
        // Back off to the start of the cut character.
        while (n > 0 && (static_cast<unsigned char>(utf8[n]) & 0xC0) == 0x80)
            --n;
    }
    return Util::Widen(utf8.data(), n);
}

Ui::Picture LoginDialog::PictureShown() const
{
    Ui::Picture shown;
    if (pixels && pictureWidth > 0 && pictureHeight > kPictureRowsHidden) {
        shown.width = pictureWidth;
        shown.height = pictureHeight - kPictureRowsHidden;
        shown.pixels = pixels;
    }
    return shown;
}

bool LoginDialog::OnOkPressed(const std::string& userText, const std::string& passwordText, bool* selectPassword)
{
    const std::u16string user = TypedTextForEngine(userText, kMaxTyped);
    const std::u16string password = TypedTextForEngine(passwordText, kMaxTyped);
    if (user.empty()) {
        Refuse(u"Enter a username");
        return false;
    }
    if (password.empty()) {
        Refuse(u"Enter a password.");
        return false;
    }
    int status = 0;
    if (!engine || !engine->Login(user.c_str(), password.c_str(), &status)) {
        Refuse(u"Can't connect to server.");
        return false;
    }
    switch (status) {
    case 1:
        return true;
    case 0:
        Refuse(u"Password is incorrect.");
        if (selectPassword)
            *selectPassword = true;
        return false;
    case 2:
        Refuse(u"Account not found or it isn't activated.");
        return false;
    default:
        return false; // a status the service does not give: nothing to say
    }
}

bool RunLoginDialog(LoginDialog& dialog, IEngine* engine)
{
    dialog.engine = engine;
    delete[] dialog.pixels;
    dialog.pixels = nullptr;
    dialog.pictureWidth = dialog.pictureHeight = 0;
    if (engine &&
        !engine->LoadImagePixels(u"gfx/login.png", &dialog.pictureWidth, &dialog.pictureHeight, &dialog.pixels))
        dialog.pictureWidth = dialog.pictureHeight = 0;
    Ui::LoginView view;
    view.picture = dialog.PictureShown();
    view.link = DialogSettings::kRegisterPage;
    view.footer = DialogSettings::kFooter;
    return Ui::RunLogin(view, &dialog);
}
