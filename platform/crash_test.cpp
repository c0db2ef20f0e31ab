#include "platform/crash.h"

#include <gtest/gtest.h>

#include <csignal>
#include <sstream>
#include <string>
#include <vector>

#include "platform/files.h"
#include "platform/testing/test_support.h"

#ifndef _WIN32
#include <sys/wait.h>
#include <unistd.h>
#endif

namespace {

std::vector<std::string> CrLfLines(const std::string& text) {
  std::vector<std::string> lines;
  size_t start = 0;
  for (size_t end; (end = text.find("\r\n", start)) != std::string::npos; start = end + 2)
    lines.push_back(text.substr(start, end - start));
  EXPECT_EQ(start, text.size()) << "text must end in CR LF";
  return lines;
}

TEST(CrashReport, HasTwentyTwoLinesWhateverTheCount) {
  int64_t information[16] = {1, 0x1000, -5};
  std::vector<std::string> lines = CrLfLines(
      FormatCrashReport(0xC0000005u, 0, 0, 0x0000000140001234ull, 2, information));
  ASSERT_EQ(lines.size(), 22u);
  EXPECT_EQ(lines[0], "ExceptionCode : 0xC0000005");
  EXPECT_EQ(lines[1], "ExceptionFlags : 0x00000000");
  EXPECT_EQ(lines[2], "pExceptionRecord : 0x00000000");
  EXPECT_EQ(lines[3], "ExceptionAddress : 0x40001234");
  EXPECT_EQ(lines[4], "NumberParameters : 2");
  EXPECT_EQ(lines[5], "ExceptionInformation : ");
  EXPECT_EQ(lines[6], " [0] 1");
  EXPECT_EQ(lines[7], " [1] 4096");
  EXPECT_EQ(lines[8], " [2] -5");
  EXPECT_EQ(lines[16], " [A] 0");
  EXPECT_EQ(lines[21], " [F] 0");
}

#ifndef _WIN32
// A real fatal signal in a child process: the report lands in its home directory
// and the signal still ends the child.
TEST(CrashReport, WrittenOnARealCrash) {
  TempDir temp;
  pid_t child = fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    if (!SetHomeDirectory(temp.Path())) _exit(2);
    InstallCrashHandler();
    raise(SIGSEGV);
    _exit(3);
  }
  int status = 0;
  ASSERT_EQ(waitpid(child, &status, 0), child);
  EXPECT_TRUE(WIFSIGNALED(status));
  if (WIFSIGNALED(status)) {
    EXPECT_EQ(WTERMSIG(status), SIGSEGV);
  }
  std::vector<std::string> lines = CrLfLines(ReadTestFile(temp / kCrashReportName));
  ASSERT_EQ(lines.size(), 22u);
  EXPECT_EQ(lines[0], "ExceptionCode : 0x0000000B");
  EXPECT_EQ(lines[4], "NumberParameters : 0");
}
#endif

}  // namespace
