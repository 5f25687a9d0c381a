#pragma once

#include "engine/core/List.h"
#include "game/shell/menu/MenuControl.h"
#include "game/shell/menu/ScrollBar.h"

#include <cstdint>
#include <string>

class ITexture;

// A closed box with an arrow that opens a scrollable list of items below
// itself.
class MenuDropdown : public MenuControl {
public:
    struct Item {
        std::u16string text;
        int64_t value;
    };

    MenuDropdown(int x, int y) : MenuControl(x, y, 250, 17) {}
    ~MenuDropdown() override;

    void OnMouse(IRenderer* renderer, int mx, int my, bool down, float wheel) override;
    void Update(float dt) override { frameTime_ = dt; }

    void AddItem(const char16_t* text, int64_t value);
    void Clear();
    int GetItemCount() const { return items.GetCount(); }
    // Null outside the list.
    const Item* GetItem(int i) const { return items.Get(i); }
    void Draw(IRenderer* renderer, ITexture* arrows);
    void DrawList(IRenderer* renderer);

    bool arrowHovered = false;
    bool arrowPressed = false;
    bool thumbHovered = false;
    ScrollBar bar;
    int listHeight = 200;
    bool open = false;
    // 0 idle, 1 the press began on the arrow, 2 on the thumb.
    int mouseMode = 0;
    // An index at or past the item count shows an empty box.
    int selected = -1;
    int hoveredItem = -1;
    float edgeRemainder = 0.0f;
    Util::List<Item> items;

private:
    static constexpr int kItemHeight = 18;
    int Top() const { return y + height; }
    int ItemWidth() const { return bar.needed ? width - 20 : width; }
    int ItemHeight() const { return kItemHeight + textExtra_; }
    void Measure() { bar.Measure(items.GetCount() * ItemHeight(), listHeight, 20); }
    // The box and the items grow with a font taller than the design's.
    void Fit(IRenderer* r);
    bool PassArrowAndThumb(int mx, int my, bool down);
    void EdgeScroll(int my);

    float frameTime_ = 0.0f;
    int textExtra_ = 0;
};
