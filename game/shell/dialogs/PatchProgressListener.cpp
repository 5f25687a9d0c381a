#include "game/shell/dialogs/PatchProgressListener.h"

#include "platform/ui/wx/Dialogs.h"

#include <cmath>

void PatchProgressListener::OnProgress(float fraction)
{
    if (!std::isfinite(fraction))
        return;
    fraction = fraction < 0.0f ? 0.0f : fraction > 1.0f ? 1.0f : fraction;
    const int position = int(fraction * float(Ui::kProgressRange));
    if (position == lastPosition_)
        return;
    lastPosition_ = position;
    if (window_)
        window_->SetProgress(position);
}
