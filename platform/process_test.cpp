#include "platform/process.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/diagnostics.h"

namespace {

struct Collect : ProcessOutputReceiver {
  void Receive(const char* text) override { received.push_back(text); }
  std::vector<std::string> received;
};

#ifdef _WIN32
const char* const kLineEnd = "\r\n";
#else
const char* const kLineEnd = "\n";
#endif

TEST(ProcessLauncher, CapturesStandardOutput) {
  MessageRecorder recorder;
  Collect collect;
  ProcessLauncher launcher;
#ifdef _WIN32
  launcher.program = "cmd";
  launcher.arguments = "/c echo hello world";
  const std::string expected = std::string("hello world") + kLineEnd;
#else
  launcher.program = "/bin/echo";
  launcher.arguments = "hello  world";  // split on blanks: two arguments
  const std::string expected = std::string("hello world") + kLineEnd;
#endif
  launcher.receiver = &collect;
  ASSERT_TRUE(launcher.Run());
  EXPECT_EQ(collect.received, std::vector<std::string>{expected});
  EXPECT_EQ(launcher.exitCode, 0u);
  EXPECT_TRUE(recorder.messages.empty());
}

TEST(ProcessLauncher, WaitsForTheExitCode) {
  ProcessLauncher launcher;
#ifdef _WIN32
  launcher.program = "cmd";
  launcher.arguments = "/c exit 3";
  const uint32_t expected = 3;
#else
  launcher.program = "/bin/false";
  const uint32_t expected = 1;
#endif
  launcher.wait = true;
  ASSERT_TRUE(launcher.Run());
  EXPECT_EQ(launcher.exitCode, expected);
}

TEST(ProcessLauncher, MissingProgramIsReported) {
  MessageRecorder recorder;
  ProcessLauncher launcher;
  launcher.program = "velkora-no-such-program-here";
  launcher.wait = true;
  EXPECT_FALSE(launcher.Run());
  EXPECT_EQ(recorder.Texts(), std::vector<std::string>{"CreateProcess に失敗"});
}

}  // namespace
