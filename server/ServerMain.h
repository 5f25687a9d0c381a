#pragma once

#include <string>

// The dedicated server program's entry, and what the rest of the program
// reaches of it.
int ServerMain(int argc, char** argv);
void ShutdownServer();
void PrintConsoleMessage(const char16_t* format, ...);
