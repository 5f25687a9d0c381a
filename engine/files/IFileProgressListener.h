#pragma once

// Told after each entry a package save has written.
class IFileProgressListener {
public:
    virtual ~IFileProgressListener() {}
    virtual void OnProgress(float fraction) = 0;
};
