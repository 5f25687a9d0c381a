#pragma once

#ifndef VORNHAL_DEDICATED

#include <bitset>
#include <cstdint>
#include <vector>

// Keyboard, mouse and text-entry state that the frame pump fills from SDL's
// events. Key codes are SDL 1.2 key symbols.
class InputState {
public:
    static constexpr int kKeyCount = 500;
    static constexpr int kActionCount = 256;
    static constexpr int kMaxTypedChars = 1024;
    static constexpr int kLineCapacity = 1024; // with the terminator

    InputState();

    // Mouse button numbers as SDL gives them: 1 left, 2 middle, 3 right,
    // 4 wheel up, 5 wheel down.
    void KeyDown(int key, char16_t unicode);
    void KeyUp(int key);
    void MouseMotion(int x, int y, int dx, int dy);
    void ButtonDown(int button);
    void ButtonUp(int button);
    // Called before each batch of events. The buttons change at most once a
    // batch, and the pointer stays where that change happened: what comes
    // after it waits for the next batch. So a frame that polls them sees
    // every press and release where it was made, however quick. Keys too
    // change at most once a batch, so a press shorter than a frame is seen
    // held by one frame; their presses are kept for a batch besides.
    void BeginEvents();

    bool IsActionDown(int action) const;
    // Whether the action's key went down in the last batch, however soon it
    // came up again.
    bool WasActionPressed(int action) const;
    float TakeMouseDeltaX();
    float TakeMouseDeltaY();
    float TakeWheelDelta();
    bool IsMouseButtonDown(int button) const;
    bool IsKeyDown(int key) const;
    int GetKeyOfAction(int action) const;
    void GetMousePosition(int* x, int* y) const;

    void SetTextLine(const char16_t* text);
    void ClearTextLine();
    bool TakeEnterPressed();
    const char16_t* GetTextLine() const { return line_; }
    short GetLastKey() const { return lastKey_; }
    const char16_t* GetTypedChars() const { return typed_; }
    int GetTypedCharCount() const { return typedCount_; }
    void ClearTypedChars() { typedCount_ = 0; }

private:
    // A pointer event held for a later batch: a button (SDL number) going
    // down or up, or a motion.
    struct PointerEvent {
        int button; // 0: motion
        bool down;
        int x, y, dx, dy;
    };
    void Pointer(const PointerEvent& e);
    void ApplyPointer(const PointerEvent& e);
    void KeyState(int key, bool down);
    bool DropRepeatedTap(int key);
    void SetKey(int key, bool down);

    int keyToAction_[kKeyCount];
    int keys_[kKeyCount] = {};
    int actions_[kActionCount] = {};
    int left_ = 0, right_ = 0, middle_ = 0;
    std::bitset<kActionCount> actionsPressed_;
    std::bitset<kKeyCount> keysChanged_;
    // Keys whose last press typed a character of text.
    std::bitset<kKeyCount> textKeys_;
    std::vector<std::pair<int, bool>> keysWaiting_;
    // Pointer events after this batch's button change wait, in order, for
    // later batches; motions between two changes are merged into one.
    unsigned buttonsChanged_ = 0; // bit = SDL number
    static constexpr size_t kMaxWaiting = 64;
    std::vector<PointerEvent> waiting_;
    float deltaX_ = 0.0f, deltaY_ = 0.0f, wheel_ = 0.0f;
    int mouseX_ = 0, mouseY_ = 0;
    char16_t typed_[kMaxTypedChars] = {};
    int typedCount_ = 0;
    char16_t line_[kLineCapacity] = {};
    int lineLength_ = 0;
    bool enterPressed_ = false;
    bool ignoreHeldKey_ = false;
    bool keyHeld_ = false;
    short lastKey_ = 0;
};

#endif
