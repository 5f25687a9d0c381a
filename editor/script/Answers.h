#pragma once

#include <string>
#include <vector>

// A scripted run's answers to whatever would wait for a person: message
// boxes, file choosers and dialogs take them in the order the script gave
// them. A question nobody answered fails the run (and takes the careful
// answer: Cancel, No).
namespace Answers {

// One step of a dialog's script: set the control called name to value, or
// with name "press" press the button value, with "shot" keep a picture
// of the dialog in the file value, or with "?name" fail the run unless the
// control called name shows value.
struct DialogStep {
    std::string name;
    std::string value;
};

// True in a run whose dialogs take scripted answers (VORNHAL_UI=headless).
bool Scripted();
// Makes message boxes take the queued answers.
void InstallMessageBoxes();

void QueueMessageAnswer(const std::string& answer); // "Yes", "No", "Ok", "Cancel"
void QueueFile(const std::string& path);            // "" cancels the chooser
void QueueDialog(const std::string& title, const std::vector<DialogStep>& steps);

// The next queued path for a chooser; false when the script cancels it.
bool TakeFile(std::string* path);
// The steps of the next queued dialog, which must have this title.
bool TakeDialog(const std::string& title, std::vector<DialogStep>* steps);

// A scripted run that went wrong: said on standard error, and the program
// ends with a failure.
void Fail(const std::string& why);
bool HasFailed();
// Every queued answer was used.
bool AllTaken(std::string* left);

} // namespace Answers
