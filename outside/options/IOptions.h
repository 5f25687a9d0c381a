#pragma once

#define OPTIONS_API __attribute__((visibility("default")))

class IGame;
class IEngine;

// The options dialog the launcher shows before the first start, or when the
// player asks for it with "-options". It reads and changes the settings only
// through the game (IGame::GetGameOptions, IGame::SetPlayerName) and never
// saves or starts anything itself.
//
// With a display it is a window: "Start game" answers true with *save set,
// "Save and quit" false with *save set, "Cancel" (or closing it) false with
// *save clear and the settings as they were.
//
// With VORNHAL_UI=headless, or without DISPLAY, no window opens and the
// environment answers:
//   VORNHAL_OPTIONS      "start" (also when unset), "save" or "cancel";
//   VORNHAL_OPTIONS_SET  "key=value;key=value..." applied for start and save,
//                        keys as in "game.opt" ("windowed=1;brightness=0.5;
//                        masterserver=127.0.0.1;moveupbutton=119") plus
//                        "name" for the player name. Flags take 1/0/true/
//                        false, choices their word or number.
// A bad answer, an unknown key or a value out of range changes nothing and
// is a failure (GetFailure).
class IOptions {
public:
    virtual ~IOptions() {}
    // True: start the game.
    virtual bool ShowOptionsDialog(IGame* game, IEngine* engine, bool* save) = 0;
    // Why the last ShowOptionsDialog could not ask the player (no usable
    // display, bad scripted answers), or null when it was answered; a
    // failure answers false with *save clear.
    virtual const char16_t* GetFailure() = 0;
};

// The library's single dialog object; the caller never destroys it.
extern "C" OPTIONS_API IOptions* GetOptions();
