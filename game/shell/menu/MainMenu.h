#pragma once

#include "game/shell/menu/IMenuListData.h"
#include "game/shell/menu/MenuSystem.h"
#include "game/shell/menu/ScreenContext.h"

#include <memory>
#include <string>

class IServerList;
class MenuList;
class MenuSmoke;

// Where the address field says to join.
struct JoinAddress {
    enum class Verdict {
        Join,
        Empty,        // nothing typed: the join does nothing
        HostTooLong,  // the host would be cut short
        PortTooLarge, // the socket layer would wrap it
    };
    Verdict verdict = Verdict::Empty;
    // The text before the first ":", or the whole text.
    std::u16string host;
    // The digits after the first ":" (0 when none follow), 8887 without one.
    int port = 0;
    // What the screen shows for a refusal; null for Join and Empty.
    const char16_t* Refusal() const;
};

JoinAddress ParseJoinAddress(const char16_t* text);

// The server browser: the master server's list of game servers, an address
// field and the ways to the host form, into a game and out of the client.
class MainMenu : public MenuSystem, public IMenuListData {
public:
    static constexpr int kDefaultPort = 8887;
    static constexpr int kMaxHostUnits = 255;
    static constexpr int kMaxPort = 65535;
    // Seconds a refused join's reason stays on screen.
    static constexpr float kRefusalSeconds = 10.0f;

    MainMenu(IMenuHost* host, const ScreenContext& context, MenuSmoke* smoke);
    ~MainMenu() override;

    void Build() override;
    void Frame() override;

    const char16_t* GetCellText(int row, int column) override;
    int GetRowCount() override;
    int CompareRows(int a, int b, int column) override;
    void OnRowSelected(int row) override;

    // The reason the last join was refused, or null.
    const char16_t* GetRefusal() const { return refusal_; }

    MenuButton* quit = nullptr;
    MenuButton* joinTab = nullptr;
    MenuButton* hostTab = nullptr;
    MenuButton* refresh = nullptr;
    MenuButton* join = nullptr;
    MenuList* table = nullptr;
    MenuEdit* address = nullptr;

private:
    void FetchList();
    // Every way out keeps the field as the default address.
    void StoreAddress();
    void Join();
    void Draw();

    ScreenContext context_;
    MenuSmoke* smoke_;
    std::unique_ptr<IServerList> list_;
    char16_t cell_[256] = {};
    const char16_t* refusal_ = nullptr;
    float refusalTime_ = 0.0f;
};
