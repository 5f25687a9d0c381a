#pragma once

#include "game/shell/menu/MenuControl.h"

#include <string>

// A one-line text field with a cursor, a selection, the clipboard and
// scrolling. Typing stops at 255 characters; SetText takes any length.
class MenuEdit : public MenuControl {
public:
    static constexpr int kTypingLimit = 255;

    using MenuControl::MenuControl;
    void OnChar(int code) override;
    void OnMouse(IRenderer* renderer, int mx, int my, bool down, float wheel) override;
    void Update(float dt) override;

    void SetText(const char16_t* text);
    const char16_t* GetText() const { return text_.c_str(); }
    int GetLength() const { return int(text_.size()); }
    void DeleteSelection();
    void Draw(IRenderer* renderer);

    bool hovered = false;
    bool focused = false;
    float blink = 0.0f;
    int cursor = 0;
    int anchor = -1;
    float scroll = 0.0f;
    bool dragging = false;
    bool submitted = false;
    bool enabled = true;
    bool caretMoved = false;

private:
    bool HasSelection() const { return anchor >= 0 && anchor != cursor; }
    void ClampCaret();
    int PrefixWidth(IRenderer* r, int count) const;
    void PlaceCaret(IRenderer* r, int mx);
    void Copy() const;
    void Paste();
    void Insert(int at, const std::u16string& s);

    std::u16string text_;
    // The last frame's time, which the drag scroll runs on.
    float frameTime_ = 0.0f;
    // The box grows with a font taller than the design's.
    void Fit(IRenderer* r);
    int textExtra_ = 0;
};
