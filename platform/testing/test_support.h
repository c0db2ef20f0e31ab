// Helpers shared by the tests of every layer.
#pragma once

#include <string>

// A fresh directory under the system's temporary directory, removed with
// everything in it when the object goes. Path() ends in the native separator and
// is an absolute Shift_JIS (here: ASCII) path usable with FilePath.
class TempDir {
 public:
  TempDir();
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;

  const std::string& Path() const { return path_; }
  // Path() followed by a relative name ("/" inside it is fine on both systems).
  std::string operator/(const std::string& name) const { return path_ + name; }

 private:
  std::string path_;
};

// Writes bytes to a file (creating directories above it); fails the test on error.
void WriteTestFile(const std::string& path, const std::string& bytes);
// Reads a whole file; "" with a test failure when it cannot be read.
std::string ReadTestFile(const std::string& path);
// Whether a file or directory exists.
bool TestPathExists(const std::string& path);

// Sets a file's last-write time to a local calendar time.
void SetLastWriteTime(const std::string& path, int year, int month, int day, int hour);

// Sets or removes an environment variable of this process.
void SetEnvironment(const std::string& name, const std::string& value);
void UnsetEnvironment(const std::string& name);

// Base URL of the loopback fixture server started by tools/with-fixture, such as
// "http://127.0.0.1:40123" (no trailing slash); "" when the test runs without one.
std::string FixtureUrl();
// The directory the fixture server serves files from, as a path of this system
// (under Wine the Unix path is turned into a Z: drive path); "" without a server.
std::string FixtureRoot();
