#pragma once

#include "platform/ui/wx/Dialogs.h"

#include <cstdint>
#include <string>

class IEngine;

// The log-in with an account of the online service, before the client's
// window opens. OK sends the log-in through the engine; a refusal shows
// its box and keeps the dialog open.
class LoginDialog : public Ui::LoginHandler {
public:
    // Typed text goes out as UTF-8, at most this many bytes.
    static constexpr int kMaxTyped = 255;
    // The picture shows without its bottom rows.
    static constexpr int kPictureRowsHidden = 47;

    LoginDialog() = default;
    ~LoginDialog() override;
    LoginDialog(const LoginDialog&) = delete;
    LoginDialog& operator=(const LoginDialog&) = delete;

    bool OnOkPressed(const std::string& user, const std::string& password, bool* selectPassword) override;

    // The picture box's part: the top rows of the picture, none when it is
    // shorter than the hidden rows.
    Ui::Picture PictureShown() const;

    IEngine* engine = nullptr;
    // "gfx/login.png" as the engine loads it; ours.
    int pictureWidth = 0;
    int pictureHeight = 0;
    uint32_t* pixels = nullptr;
};

// True when the dialog ended with a successful log-in, false when it was
// cancelled. The nickname and user id stay in the engine.
bool RunLoginDialog(LoginDialog& dialog, IEngine* engine);

// Typed UTF-8 as the engine sends it: each byte widened to a unit, so the
// service receives the UTF-8 bytes; cut to at most maxBytes at a character
// boundary.
std::u16string TypedTextForEngine(const std::string& utf8, size_t maxBytes);
