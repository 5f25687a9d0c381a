#pragma once

#include "platform/ui/wx/Dialogs.h"

// The dialogs without windows: answers from the environment (Dialogs.h).
namespace Ui {
namespace Scripted {

// VORNHAL_UI=headless, or no X display.
bool HeadlessRequested();

bool RunLogin(LoginHandler* handler);
bool AskUpdate(UpdateQuestionHandler* handler);
std::unique_ptr<DownloadWindow> OpenDownloadWindow(DownloadHandler* handler);

} // namespace Scripted
} // namespace Ui
