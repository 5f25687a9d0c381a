#pragma once

// Exported from the engine library, which compiles this layer in.
#define UI_API __attribute__((visibility("default")))

// Message boxes. The console backend writes to standard error and answers
// with the default; a windowed host installs its own backend at start. The
// engine library exports them, so every library of a process shares one
// backend.
namespace Ui {

enum class Icon { None, Information, Warning, Error, Question };
enum class Buttons { Ok, OkCancel, YesNo, YesNoCancel };
enum class Answer { Ok, Cancel, Yes, No };

using MessageBackend = Answer (*)(const char16_t* title, const char16_t* text, Icon icon, Buttons buttons);

UI_API Answer ShowMessage(const char16_t* title, const char16_t* text, Icon icon, Buttons buttons = Buttons::Ok);
// null restores the console backend.
UI_API void SetMessageBackend(MessageBackend backend);
UI_API Answer ConsoleMessage(const char16_t* title, const char16_t* text, Icon icon, Buttons buttons);

} // namespace Ui
