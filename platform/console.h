// The command line's contact with its console: arguments, standard error, Ctrl-C.
#pragma once

#include <string>
#include <vector>

// The program's arguments (without the program name) as Shift_JIS, converted from
// the system's own encoding (UTF-8 on Linux, UTF-16 on Windows). False when an
// argument is not valid text of that encoding or holds a character that code
// page 932 lacks, since it would be used changed ("?" in a path); `bad` is then
// its position (1 for the first argument).
bool CommandLineArguments(int argc, char** argv, std::vector<std::string>& arguments, int& bad);

// Writes Shift_JIS text to standard output or standard error as UTF-8.
void PrintOut(const std::string& sjis);
void PrintError(const std::string& sjis);

// Whether standard error is a terminal (progress then updates one line).
bool ErrorIsTerminal();

// Installs a Ctrl-C handler that only records the request.
void InstallInterruptHandler();
bool InterruptRequested();
