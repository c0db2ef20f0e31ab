// The command line's contact with its console: arguments, standard error, Ctrl-C.
#pragma once

#include <string>
#include <vector>

// The program's arguments (without the program name) as Shift_JIS, converted from
// the system's own encoding (UTF-8 on Linux, UTF-16 on Windows).
std::vector<std::string> CommandLineArguments(int argc, char** argv);

// Writes Shift_JIS text to standard output or standard error as UTF-8.
void PrintOut(const std::string& sjis);
void PrintError(const std::string& sjis);

// Whether standard error is a terminal (progress then updates one line).
bool ErrorIsTerminal();

// Installs a Ctrl-C handler that only records the request.
void InstallInterruptHandler();
bool InterruptRequested();
