// A helper program that runs beside this one while it works (the demo's fixture
// server), and a fresh temporary directory.
#pragma once

#include <memory>
#include <string>
#include <vector>

class HelperProcess {
 public:
  HelperProcess();
  ~HelperProcess();  // stops the program when it still runs
  HelperProcess(const HelperProcess&) = delete;
  HelperProcess& operator=(const HelperProcess&) = delete;

  // Starts `program` (a path, Shift_JIS) with `arguments`, its standard output on
  // a pipe. False when it cannot be started.
  bool Start(const std::string& program, const std::vector<std::string>& arguments);
  // Reads one line of its standard output without the line feed; false at its end.
  bool ReadLine(std::string& line);
  // Ends the program and waits for it.
  void Stop();

 private:
  struct Impl;
  std::unique_ptr<Impl> impl_;
};

// Creates a new directory under the system's temporary directory whose name
// begins with `prefix`; returns its path with a trailing separator, "" on failure.
std::string CreateTemporaryDirectory(const char* prefix);
