#include "work/testing.h"

#include <gtest/gtest.h>

#include "platform/files.h"

PipelineHome::PipelineHome(const std::string& tdnetBase) {
  previousHome_ = HomeDirectory();
  EXPECT_TRUE(SetHomeDirectory(home_.Path()));
  output_ = home_.Path() + "out" + std::string(1, kPathSeparator);
  WriteTestFile(output_ + "keep", "");
  store_ = std::make_unique<OptionStore>();
  Options().SetText(OptionKey::HtmlDataDir, home_.Path() + "out");
  Options().SetText(OptionKey::TdnetBaseUrl, tdnetBase);
}

PipelineHome::~PipelineHome() {
  controller.CancelWorkTask();
  store_.reset();
  SetHomeDirectory(previousHome_);
}

std::string PipelineHome::Run(uint32_t first, uint32_t last) {
  Options().SetInt(OptionKey::PeriodSt, static_cast<int>(first));
  Options().SetInt(OptionKey::PeriodEd, static_cast<int>(last));
  EXPECT_TRUE(controller.StartRun(first, last, 0, false));
  for (int turns = 0; controller.OnIdle(); ++turns) {
    if (turns > 100000) {
      ADD_FAILURE() << "the run does not end";
      break;
    }
  }
  std::string log = Home() + "DebugLog.txt";
  return TestPathExists(log) ? ReadTestFile(log) : std::string();
}
