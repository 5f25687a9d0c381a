#pragma once

#include "game/shell/menu/MenuSystem.h"
#include "game/shell/menu/ScreenContext.h"

// The form in which a player sets up a game to host. Every way out writes a
// form that passes the checks into the settings; only the start button
// waits for them to pass.
class HostMenu : public MenuSystem {
public:
    static constexpr int kMinNameUnits = 4;
    static constexpr int kMaxNameUnits = 64;
    static constexpr int kMaxPasswordUnits = 64;
    static constexpr int kMaxPlayers = 32;
    // Frag, team frag and time limits (0: none).
    static constexpr int kMaxLimit = 9999;
    static constexpr float kMessageSeconds = 10.0f;

    HostMenu(IMenuHost* host, const ScreenContext& context);
    ~HostMenu() override;

    void Build() override;
    void Frame() override;

    // Checks the form and writes it into the settings when it passes; a
    // refusal is kept as the message and nothing is written.
    bool Apply();
    // Follows a change of the game mode: the level list and the limits that
    // mode uses.
    void FillLevels();

    // The refusal shown, or null.
    const char16_t* GetMessage() const { return message_; }

    MenuButton* quit = nullptr;
    MenuButton* joinTab = nullptr;
    MenuButton* hostTab = nullptr;
    MenuEdit* name = nullptr;
    MenuDropdown* gameMode = nullptr;
    MenuDropdown* level = nullptr;
    MenuDropdown* lighting = nullptr;
    MenuEdit* maxPlayers = nullptr;
    MenuButton* balancing = nullptr;
    MenuEdit* fragLimit = nullptr;
    MenuEdit* teamFragLimit = nullptr;
    MenuEdit* timeLimit = nullptr;
    MenuButton* passwordOn = nullptr;
    MenuEdit* password = nullptr;
    MenuButton* start = nullptr;

private:
    // The refusal of the first check that fails, or null.
    const char16_t* Check() const;
    void Write();
    void Draw();
    void Label(int top, int right, int x, int y);

    ScreenContext context_;
    float messageTime_ = 0.0f;
    const char16_t* message_ = nullptr;
    int lastGameMode_ = -1;
};
