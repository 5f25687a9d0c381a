#pragma once

// Lines of the HUD's message panels; line 0 is the newest. A line whose
// first character is 1 is highlighted.
class MessageContainer {
public:
    static constexpr int kMaxLines = 10;
    static constexpr int kLineLength = 1028;

    virtual ~MessageContainer() {}
    void AddMessage(const char16_t* text, bool highlight);
    const char16_t* GetLine(int i) const { return i >= 0 && i < kMaxLines ? lines_[i] : u""; }
    // Ages the panel; every period the oldest line goes.
    void Age(float dt, float period = 10.0f);

    float ageTimer = 0.0f;
    int linesInUse = 5;

private:
    char16_t lines_[kMaxLines][kLineLength] = {};
};
