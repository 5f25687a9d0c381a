#pragma once

class GameSystem;
class IMessageWriter;

// Carries out one line of the server's operator; true for "quit". Without a
// writer (operators' chat lines) nothing is printed. levelLost, when given,
// is set when "changemap" could not start a level: the console program then
// shuts down, after the interpreter has returned.
bool ExecuteConsoleCommand(const char16_t* line, IMessageWriter* writer, GameSystem* game, bool* levelLost = nullptr);
