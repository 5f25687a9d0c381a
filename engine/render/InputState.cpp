#ifndef VORNHAL_DEDICATED

#include "engine/render/InputState.h"

#include <algorithm>
#include <iterator>

namespace {

constexpr int kReturn = 13;
constexpr int kBackspace = 8;

} // namespace

InputState::InputState()
{
    for (int& a : keyToAction_)
        a = -1;
    struct Range {
        int firstKey, lastKey, firstAction;
    };
    const Range table[] = {
        {27, 27, 0},    {13, 13, 1},    {32, 32, 2},    {8, 8, 3},      {127, 127, 4},  {282, 293, 5}, {48, 54, 17},
        {276, 276, 24}, {275, 275, 25}, {273, 273, 26}, {274, 274, 27}, {97, 122, 28},  {9, 9, 54},    {303, 303, 55},
        {304, 304, 56}, {305, 305, 57}, {306, 306, 58}, {307, 307, 59}, {308, 308, 60}, {43, 43, 61},  {45, 45, 62},
    };
    for (const Range& r : table)
        for (int k = r.firstKey; k <= r.lastKey; ++k)
            keyToAction_[k] = r.firstAction + (k - r.firstKey);
}

void InputState::KeyDown(int key, char16_t unicode)
{
    if (key >= 0 && key < kKeyCount) {
        textKeys_.set(size_t(key), unicode >= 32 && unicode != 127);
        KeyState(key, true);
        if (keyToAction_[key] >= 0)
            actionsPressed_.set(size_t(keyToAction_[key]));
    }
    if (!ignoreHeldKey_) {
        if (typedCount_ < kMaxTypedChars && unicode != 0)
            typed_[typedCount_++] = unicode < 31 ? char16_t(key) : unicode;
        if (key == kReturn) {
            enterPressed_ = true;
        } else if (key == kBackspace) {
            if (lineLength_ > 0)
                line_[--lineLength_] = 0;
        } else if (unicode >= 32 && unicode != 127 && lineLength_ < kLineCapacity - 1) {
            // Control characters (Escape, Tab, Ctrl+letter, Delete) are not text.
            line_[lineLength_++] = unicode;
            line_[lineLength_] = 0;
        }
    }
    lastKey_ = short(key >= 'a' && key <= 'z' ? key - 'a' + 'A' : key);
    keyHeld_ = true;
}

void InputState::KeyUp(int key)
{
    if (key >= 0 && key < kKeyCount)
        KeyState(key, false);
    ignoreHeldKey_ = false;
    keyHeld_ = false;
    lastKey_ = 0;
}

void InputState::KeyState(int key, bool down)
{
    // A key changes at most once a batch and what follows waits, in order:
    // a press let go before the frame is still seen held by that frame, and
    // a release before a new press is seen let go.
    const bool behind = std::any_of(keysWaiting_.begin(), keysWaiting_.end(),
                                    [key](const std::pair<int, bool>& w) { return w.first == key; });
    if (behind || keysChanged_.test(size_t(key))) {
        if (!down && DropRepeatedTap(key))
            return;
        keysWaiting_.emplace_back(key, down);
        if (keysWaiting_.size() > kMaxWaiting) {
            for (const auto& w : keysWaiting_)
                SetKey(w.first, w.second);
            keysWaiting_.clear();
        }
        return;
    }
    SetKey(key, down);
    keysChanged_.set(size_t(key));
}

bool InputState::DropRepeatedTap(int key)
{
    // A key tapped again in a batch that already saw it pressed is not
    // played back: typing would otherwise go on pressing keys a frame at a
    // time after the line has closed. Its text has been taken already. A
    // key without text (Backspace, an arrow) acts only by being held, so
    // each tap is played back.
    if (!textKeys_.test(size_t(key)))
        return false;
    auto last = std::find_if(keysWaiting_.rbegin(), keysWaiting_.rend(),
                             [key](const std::pair<int, bool>& w) { return w.first == key; });
    if (last == keysWaiting_.rend() || !last->second)
        return false;
    bool pressed = keysChanged_.test(size_t(key)) && keys_[key] == 1;
    for (auto w = std::next(last); w != keysWaiting_.rend() && !pressed; ++w)
        pressed = w->first == key && w->second;
    if (pressed)
        keysWaiting_.erase(std::next(last).base());
    return pressed;
}

void InputState::SetKey(int key, bool down)
{
    const int value = down ? 1 : 0;
    if (keyToAction_[key] >= 0)
        actions_[keyToAction_[key]] = value;
    keys_[key] = value;
}

void InputState::Pointer(const PointerEvent& e)
{
    // Each button changes once a batch; the pointer stays where a change
    // happened; the order of what waits is kept.
    const bool wait = !waiting_.empty() || (e.button == 0 ? buttonsChanged_ != 0 : (buttonsChanged_ >> e.button) & 1u);
    if (!wait) {
        ApplyPointer(e);
        return;
    }
    if (e.button == 0 && !waiting_.empty() && waiting_.back().button == 0) {
        PointerEvent& last = waiting_.back();
        last.x = e.x;
        last.y = e.y;
        last.dx += e.dx;
        last.dy += e.dy;
        return;
    }
    waiting_.push_back(e);
    // A flood no frame could follow: the state catches up at once.
    if (waiting_.size() > kMaxWaiting) {
        for (const PointerEvent& w : waiting_)
            ApplyPointer(w);
        waiting_.clear();
    }
}

void InputState::ApplyPointer(const PointerEvent& e)
{
    if (e.button == 0) {
        mouseX_ = e.x;
        mouseY_ = e.y;
        deltaX_ += float(e.dx);
        deltaY_ += float(e.dy);
        return;
    }
    buttonsChanged_ |= 1u << e.button;
    const int value = e.down ? 1 : 0;
    switch (e.button) {
    case 1:
        left_ = value;
        break;
    case 2:
        middle_ = value;
        break;
    case 3:
        right_ = value;
        break;
    default:
        break;
    }
}

void InputState::MouseMotion(int x, int y, int dx, int dy) { Pointer({0, false, x, y, dx, dy}); }

void InputState::ButtonDown(int button)
{
    if (button >= 1 && button <= 3)
        Pointer({button, true, 0, 0, 0, 0});
    else if (button == 4)
        wheel_ += 1.0f;
    else if (button == 5)
        wheel_ -= 1.0f;
}

void InputState::ButtonUp(int button)
{
    if (button >= 1 && button <= 3)
        Pointer({button, false, 0, 0, 0, 0});
}

void InputState::BeginEvents()
{
    actionsPressed_.reset();
    keysChanged_.reset();
    std::vector<std::pair<int, bool>> keys;
    keys.swap(keysWaiting_);
    for (const auto& k : keys)
        KeyState(k.first, k.second);
    buttonsChanged_ = 0;
    std::vector<PointerEvent> waiting;
    waiting.swap(waiting_);
    for (const PointerEvent& e : waiting)
        Pointer(e);
}

bool InputState::IsActionDown(int action) const
{
    return action >= 0 && action < kActionCount && actions_[action] == 1;
}

bool InputState::WasActionPressed(int action) const
{
    return action >= 0 && action < kActionCount && actionsPressed_.test(size_t(action));
}

float InputState::TakeMouseDeltaX()
{
    float d = deltaX_;
    deltaX_ = 0.0f;
    return d;
}

float InputState::TakeMouseDeltaY()
{
    float d = deltaY_;
    deltaY_ = 0.0f;
    return d;
}

float InputState::TakeWheelDelta()
{
    float d = wheel_;
    wheel_ = 0.0f;
    return d;
}

bool InputState::IsMouseButtonDown(int button) const
{
    switch (button) {
    case 0:
        return left_ == 1;
    case 1:
        return right_ == 1;
    case 2:
        return middle_ == 1;
    default:
        return false;
    }
}

bool InputState::IsKeyDown(int key) const
{
    if (key >= 0 && key < kKeyCount)
        return keys_[key] == 1;
    switch (key) {
    case 1000:
        return left_ == 1;
    case 1001:
        return middle_ == 1;
    case 1002:
        return right_ == 1;
    default:
        return false;
    }
}

int InputState::GetKeyOfAction(int action) const
{
    for (int k = 0; k < kKeyCount; ++k)
        if (keyToAction_[k] == action && action >= 0)
            return k;
    return -1;
}

void InputState::GetMousePosition(int* x, int* y) const
{
    if (x)
        *x = mouseX_;
    if (y)
        *y = mouseY_;
}

void InputState::SetTextLine(const char16_t* text)
{
    lineLength_ = 0;
    // The line keeps at most what its buffer holds.
    for (const char16_t* p = text; p && *p && lineLength_ < kLineCapacity - 1; ++p)
        line_[lineLength_++] = *p;
    line_[lineLength_] = 0;
    enterPressed_ = false;
    ignoreHeldKey_ = keyHeld_;
}

void InputState::ClearTextLine() { SetTextLine(u""); }

bool InputState::TakeEnterPressed()
{
    bool pressed = enterPressed_;
    enterPressed_ = false;
    return pressed;
}

#endif
