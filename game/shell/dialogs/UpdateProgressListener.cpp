#include "game/shell/dialogs/UpdateProgressListener.h"

#include "engine/core/ITimer.h"
#include "engine/core/StringKit.h"
#include "game/shell/dialogs/UpdateFilesDialog.h"
#include "platform/ui/wx/Dialogs.h"

UpdateProgressListener::UpdateProgressListener(UpdateFilesDialog* dialog, Ui::DownloadWindow* window, int64_t total,
                                               ITimer* timer)
    : dialog_(dialog), window_(window), total_(total), timer_(timer)
{
}

void UpdateProgressListener::BeginFile(const char16_t* name)
{
    Util::FormatTo(status_, kStatusSize, u"Downloading %s", name ? name : u"");
    ShowStatus();
    seconds_ = 0.0f;
    bytes_ = 0;
}

void UpdateProgressListener::ShowStatus()
{
    char16_t text[kStatusSize];
    Util::FormatTo(text, kStatusSize, u"%s\n%1.2f KiB/sec", status_, double(speed_));
    if (window_)
        window_->SetStatus(text);
}

bool UpdateProgressListener::OnProgress(int bytesSoFar)
{
    if (!dialog_->IsRunning())
        return false;
    if (bytesSoFar > lastBytes_)
        bytes_ += bytesSoFar - lastBytes_;
    ++calls_;
    lastBytes_ = bytesSoFar;
    if (window_)
        window_->Pump();
    if (calls_ % kReportsPerDraw != 0)
        return true;

    // In 64 bits: bytes times the range would pass 32 bits above 214 KB.
    int position = 0;
    if (total_ > 0) {
        int64_t done = finished_ + bytesSoFar;
        position = int(done * Ui::kProgressRange / total_);
        position = position < 0 ? 0 : position > Ui::kProgressRange ? Ui::kProgressRange : position;
    }
    if (position != lastPosition_) {
        lastPosition_ = position;
        if (window_)
            window_->SetProgress(position);
    }
    if (timer_) {
        seconds_ += timer_->GetElapsed();
        timer_->Reset();
    }
    if (seconds_ >= kSpeedSeconds) {
        const float speed = float(double(bytes_) / 1024.0 / double(seconds_));
        speed_ = 0.5f * speed_ + 0.5f * speed;
        bytes_ = 0;
        seconds_ = 0.0f;
        ShowStatus();
    }
    return true;
}
