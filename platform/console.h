// The command line's contact with its console: arguments, standard error, Ctrl-C.
#pragma once

#include <string>
#include <string_view>
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

// Writes bytes (UTF-8 data: search results, an export) to standard output
// as they are, without line-end translation; false when the write failed (a
// closed pipe, a full disk).
bool WriteOutBytes(std::string_view bytes);
// Flushes standard output; false when that failed.
bool FlushOut();

// Whether standard error is a terminal (progress then updates one line).
bool ErrorIsTerminal();

// Installs a Ctrl-C handler that only records the request.
void InstallInterruptHandler();
bool InterruptRequested();
