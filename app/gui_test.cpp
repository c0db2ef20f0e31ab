#include "app/gui_testing.h"

#include <cstdlib>

TEST_F(GuiTest, Starts) {
  StartApp();
  EXPECT_EQ(Text(Item(7)), L"全て");
}

// The picture of the main window for the documentation: the test announces the
// window's rectangle and waits (pumping messages, so it stays painted) until the
// screen has been captured.
TEST_F(GuiTest, Screenshot) {
  const char* ready = std::getenv("VELKORA_SHOT_READY");
  const char* done = std::getenv("VELKORA_SHOT_DONE");
  if (!ready || !done) GTEST_SKIP() << "no screenshot requested";
  StartApp();
  RECT bounds{};
  GetWindowRect(Main().Handle(), &bounds);
  std::string geometry = std::to_string(bounds.right - bounds.left) + "x" + std::to_string(bounds.bottom - bounds.top) +
                         "+" + std::to_string(bounds.left) + "+" + std::to_string(bounds.top);
  auto wine = [](std::string path) { for (char& c : path) if (c == '/') c = '\\'; return "Z:" + path; };
  std::string donePath = wine(done);
  WriteTestFile(wine(ready), geometry + "\n");
  EXPECT_TRUE(RunLoopUntil([&] { return TestPathExists(donePath); }, 30));
}
