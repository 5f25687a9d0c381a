#pragma once

// Shows the progress lines of a level load.
class LoadingListener {
public:
    virtual ~LoadingListener() {}
    virtual void ShowLoadingText(const char16_t* text, bool newLine) = 0;
};
