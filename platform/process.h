// Starting other programs and opening documents with the user's default program.
#pragma once

#include <cstdint>
#include <string>

// Receives the captured standard output of a launched program.
class ProcessOutputReceiver {
 public:
  virtual ~ProcessOutputReceiver() = default;
  // `text`: at most 4095 bytes of the program's output, zero-terminated.
  virtual void Receive(const char* text) = 0;
};

// Fill in the fields, then Run().
//
// With a program: starts it with the arguments. The arguments text is split on
// blanks into separate arguments on Linux (no quoting is understood); Windows
// passes "program arguments" as one command line. With a receiver, the program's
// standard output is captured (at most 4095 bytes reach the receiver), the
// launcher waits for the end and records the exit code; without one it waits only
// when `wait` is set.
// Without a program: opens the document (a file, folder or URL) with the user's
// default program (Windows: the shell; Linux: xdg-open), waiting when `wait` is set.
// Failures are reported ("CreateProcess に失敗", "ShellExecuteEx に失敗",
// "CreatePipe に失敗", "WaitForSingleObject に失敗", ...) and Run returns false.
struct ProcessLauncher {
  std::string program;    // empty: open `document` instead
  std::string arguments;  // Shift_JIS
  std::string document;   // Shift_JIS
  ProcessOutputReceiver* receiver = nullptr;  // borrowed, may be null
  bool wait = false;
  uint32_t exitCode = 0;

  bool Run();
};

// This process's id.
uint32_t CurrentProcessId();
// Whether a process with this id is running now (an id the system may reuse
// later; callers pair it with another test).
bool ProcessExists(uint32_t id);
