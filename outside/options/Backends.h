#pragma once

#include <string>

class IGame;

// The two ways the options dialog gets its answer.
namespace Options {

enum class Answer { Start, Save, Cancel };

// The environment's answer: answer is VORNHAL_OPTIONS, settings
// VORNHAL_OPTIONS_SET (either may be null). False with a sentence in *error,
// and nothing changed, when they are not understood.
bool RunScripted(IGame* game, const char* answer, const char* settings, Answer* out, std::u16string* error);

// The dialog window on the display, with wxWidgets started for it unless the
// host runs it already. False with *error when it cannot be shown.
bool RunWindow(IGame* game, Answer* out, std::u16string* error);

} // namespace Options
