#include "platform/testing/test_support.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>

namespace fs = std::filesystem;

TempDir::TempDir() {
  std::random_device random;
  for (int attempt = 0; attempt < 100; ++attempt) {
    fs::path candidate = fs::temp_directory_path() / ("velkora-test-" + std::to_string(random()));
    std::error_code error;
    if (fs::create_directory(candidate, error)) {
      path_ = candidate.string() + static_cast<char>(fs::path::preferred_separator);
      return;
    }
  }
  ADD_FAILURE() << "cannot create a temporary directory";
}

TempDir::~TempDir() {
  std::error_code error;
  if (!path_.empty()) fs::remove_all(fs::path(path_), error);
}

void WriteTestFile(const std::string& path, const std::string& bytes) {
  fs::path p(path);
  std::error_code error;
  if (p.has_parent_path()) fs::create_directories(p.parent_path(), error);
  std::ofstream out(p, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  ASSERT_TRUE(out.good()) << "cannot write " << path;
}

std::string ReadTestFile(const std::string& path) {
  std::ifstream in(fs::path(path), std::ios::binary);
  if (!in) {
    ADD_FAILURE() << "cannot read " << path;
    return std::string();
  }
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

bool TestPathExists(const std::string& path) {
  std::error_code error;
  return fs::exists(fs::path(path), error);
}

void SetLastWriteTime(const std::string& path, int year, int month, int day, int hour) {
  std::tm local = {};
  local.tm_year = year - 1900;
  local.tm_mon = month - 1;
  local.tm_mday = day;
  local.tm_hour = hour;
  local.tm_isdst = -1;
  // The file clock's epoch is not the C clock's: step back from now by the
  // difference, in the file clock's own nanoseconds.
  long long seconds = static_cast<long long>(std::difftime(std::time(nullptr), std::mktime(&local)));
  auto when = fs::file_time_type::clock::now() - fs::file_time_type::duration(seconds * 1000000000LL);
  std::error_code error;
  fs::last_write_time(fs::path(path), when, error);
  EXPECT_FALSE(error) << "cannot set the time of " << path;
}

void SetEnvironment(const std::string& name, const std::string& value) {
#ifdef _WIN32
  _putenv_s(name.c_str(), value.c_str());
#else
  setenv(name.c_str(), value.c_str(), 1);
#endif
}

void UnsetEnvironment(const std::string& name) {
#ifdef _WIN32
  _putenv_s(name.c_str(), "");
#else
  unsetenv(name.c_str());
#endif
}

std::string FixtureUrl() {
  const char* url = std::getenv("VELKORA_FIXTURE_URL");
  return url ? url : "";
}

std::string FixtureRoot() {
  const char* root = std::getenv("VELKORA_FIXTURE_ROOT");
  if (!root) return "";
  std::string path = root;
#ifdef _WIN32
  // Wine maps the Unix root to drive Z:.
  if (!path.empty() && path[0] == '/') {
    for (char& c : path)
      if (c == '/') c = '\\';
    path = "Z:" + path;
  }
#endif
  return path;
}
