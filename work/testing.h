// Shared set-up for the pipeline's tests: a temporary home with an option file,
// an output directory, and a progress recorder.
#pragma once

#include <string>
#include <vector>

#include "platform/testing/test_support.h"
#include "settings/options.h"
#include "settings/lists.h"
#include "work/worktask.h"

class RecordingObserver : public WorkObserver {
 public:
  void ShowProgress(int code, int a, int b) override { texts.push_back(ProgressText(code, a, b)); }
  void RunStarted() override { ++started; }
  void RunFinished() override { ++finished; }
  std::vector<std::string> texts;
  int started = 0;
  int finished = 0;
};

// A temporary home holding VelkoraOption.ini and the output directory "out"
// (HtmlDataDir), with the TDnet address pointed at `tdnetBase` (by default a
// closed loopback port, so downloads fail fast).
class PipelineHome {
 public:
  explicit PipelineHome(const std::string& tdnetBase = "http://127.0.0.1:9/inbs/");
  ~PipelineHome();

  std::string Output(const std::string& name = "") const { return output_ + name; }
  const std::string& Home() const { return home_.Path(); }
  // Runs a whole task for the period and returns the debug log's text.
  std::string Run(uint32_t first, uint32_t last);

  RecordingObserver observer;
  UserLists lists;
  WorkController controller{observer, lists};

 private:
  TempDir home_;
  std::string output_;
  std::string previousHome_;
  std::unique_ptr<OptionStore> store_;
};
