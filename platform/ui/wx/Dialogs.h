#pragma once

#include <cstdint>
#include <memory>
#include <string>

// The client's dialogs over wxWidgets (library UiWx, linked by the game
// library and the editor, never by the engine or the dedicated server).
// Text in is the system's UTF-16; text typed by the player comes out as
// UTF-8.
//
// The dialogs are scripted, and open no window, when VORNHAL_UI=headless,
// when there is no X display, or when StartDialogs was not called or
// failed. Their answers then come from the environment:
//
//   VORNHAL_UI_LOGIN     "user:password" attempts separated by ";", tried
//                        in order until one is accepted; then, or with
//                        "cancel" or nothing, Cancel.
//   VORNHAL_UI_UPDATE    the buttons of the update question separated by
//                        ",": any number of "notes" (Release Notes), then
//                        "yes" or "no"; nothing means "no".
//   VORNHAL_UI_DOWNLOAD  "cancel-after:N": Cancel is pressed during the Nth
//                        pump of the download window; nothing: never.
//
// Message boxes of the scripted dialogs print "title: text" on standard
// error (the console backend).
namespace Ui {

// A picture as the engine's image loader gives it: rows top to bottom,
// 0xAARRGGBB pixels (alpha is not shown). Borrowed.
struct Picture {
    int width = 0;
    int height = 0;
    const uint32_t* pixels = nullptr;
};

// Starts the toolkit (without a main loop) and makes message boxes windows.
// Call before the renderer opens its window; the toolkit is pumped only
// while a dialog runs. False: the dialogs stay scripted. With a toolkit
// already running (a host with its own application object) it only
// installs the message boxes.
bool StartDialogs();
// Closes what is left open and ends the toolkit if StartDialogs started it.
void StopDialogs();
bool DialogsScripted();

// Shows a web page in the user's browser.
void OpenPage(const std::u16string& url);

// ---- log-in ----
class LoginHandler {
public:
    virtual ~LoginHandler() {}
    // OK with the typed user name and password. True closes the dialog as
    // logged in; otherwise it stays open, and selectPassword asks for the
    // password's text to be selected.
    virtual bool OnOkPressed(const std::string& user, const std::string& password, bool* selectPassword) = 0;
};

struct LoginView {
    Picture picture;     // shown 1:1 from the top left, as tall as given
    std::u16string link; // page behind "Create an account"
    std::u16string footer;
};

// "Login To Vornhal", modal. True when the handler accepted a log-in; false
// on Cancel, Escape or closing the window.
bool RunLogin(const LoginView& view, LoginHandler* handler);

// ---- update question and release notes ----
class UpdateQuestionHandler {
public:
    virtual ~UpdateQuestionHandler() {}
    virtual void OnReleaseNotesPressed() = 0;
};

// "Update Vornhal" with Yes, No and Release Notes, modal. True on Yes; No,
// Escape and closing the window answer false.
bool AskUpdate(const Picture& picture, UpdateQuestionHandler* handler);
// "Vornhal Release Notes", modal, over the update question while it is open.
void ShowReleaseNotes(const std::u16string& notes);

// ---- download ----
constexpr int kProgressRange = 10000;

class DownloadHandler {
public:
    virtual ~DownloadHandler() {}
    // Cancel, Escape or closing the window.
    virtual void OnCancelPressed() = 0;
};

// The modeless "Update Vornhal" download window. It takes input only while
// pumped.
class DownloadWindow {
public:
    virtual ~DownloadWindow() {}
    virtual void SetStatus(const std::u16string& text) = 0;
    virtual void SetProgress(int position) = 0; // 0..kProgressRange
    // Handles what is pending (input, drawing) and returns.
    virtual void Pump() = 0;
    virtual void Hide() = 0;
};

// Shown at once; destroying it closes it. Never null.
std::unique_ptr<DownloadWindow> OpenDownloadWindow(const Picture& picture, const std::u16string& footer,
                                                   DownloadHandler* handler);

} // namespace Ui
