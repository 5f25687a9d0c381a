#pragma once

// Our layer over the console of the C runtime: key reads without waiting
// and without echo, and the interrupt. On a terminal, standard input goes
// into a character mode without echo (Ctrl+C still interrupts); from a pipe
// or a file the bytes are read as they come, and its end means no more keys.
namespace Console {

constexpr int kBackspace = 8;
constexpr int kEnter = 13;
constexpr int kNoKey = -1;

void Open();
// Gives the terminal its own settings back; also done at exit.
void Restore();

// The next key, or kNoKey when none is waiting. '\n' and '\r' are Enter,
// DEL and BS are Backspace; escape sequences and other control bytes are
// dropped.
int PollKey();
// Waits for one key; returns at once when the input has ended.
void WaitKey();

// Ctrl+C, termination requests and a hang-up only raise a flag, which the
// program's loop reads on its main thread.
void InstallInterruptFlag();
bool InterruptRequested();

} // namespace Console
