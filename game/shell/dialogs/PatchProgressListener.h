#pragma once

#include "engine/files/IFileProgressListener.h"

namespace Ui {
class DownloadWindow;
}

// The download window's bar while the new data file is written.
class PatchProgressListener : public IFileProgressListener {
public:
    explicit PatchProgressListener(Ui::DownloadWindow* window) : window_(window) {}
    void OnProgress(float fraction) override;
    int GetBarPosition() const { return lastPosition_; }

private:
    Ui::DownloadWindow* window_;
    int lastPosition_ = 0;
};
