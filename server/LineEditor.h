#pragma once

#include <string>

// The line the operator is typing at the server console.
class LineEditor {
public:
    static constexpr int kCapacity = 1024;
    static constexpr int kMaxTyped = 1000;

    // What the console shows for the key, before it is applied.
    std::string Echo(int key) const;
    // True when Enter ends a line that is not empty.
    bool Apply(int key);
    void Clear();
    const char16_t* Text() const { return line_; }
    int Length() const { return length_; }

private:
    char16_t line_[kCapacity] = {};
    int length_ = 0;
};
