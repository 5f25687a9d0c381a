#pragma once

#include "engine/web/IDownloadListener.h"

#include <cstdint>

class ITimer;
class UpdateFilesDialog;
namespace Ui {
class DownloadWindow;
}

// Moves the download window along while the update's files come in: the
// window is pumped on every report, the bar and the speed drawn on every
// 50th, the speed measured over at least half a second.
class UpdateProgressListener : public IDownloadListener {
public:
    static constexpr int kReportsPerDraw = 50;
    static constexpr float kSpeedSeconds = 0.5f;
    static constexpr int kStatusSize = 1024;

    // total: the bytes of all files; timer: ours to use, the caller's.
    UpdateProgressListener(UpdateFilesDialog* dialog, Ui::DownloadWindow* window, int64_t total, ITimer* timer);

    // False once the player cancelled: the download stops.
    bool OnProgress(int bytesSoFar) override;

    // "Downloading <name>" with the speed so far; a new speed sample starts.
    void BeginFile(const char16_t* name);
    void AddFinished(int64_t bytes) { finished_ += bytes; }

    int GetBarPosition() const { return lastPosition_; }
    float GetSpeed() const { return speed_; }

private:
    void ShowStatus();

    UpdateFilesDialog* dialog_;
    Ui::DownloadWindow* window_;
    int64_t total_;
    int64_t finished_ = 0;
    ITimer* timer_;
    int lastPosition_ = 0;
    char16_t status_[kStatusSize] = {};
    float seconds_ = 0.0f;
    int calls_ = 0;
    int lastBytes_ = 0;
    float speed_ = 0.0f; // KiB/s, smoothed
    int64_t bytes_ = 0;
};
