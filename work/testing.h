// Shared set-up for the pipeline's tests: a temporary home with an option file,
// an output directory, and a progress recorder.
#pragma once

#include <gtest/gtest.h>

#include <memory>
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
// closed loopback port, so downloads fail fast) and no pause between requests. Today is 2024-04-15 unless
// VELKORA_TODAY is set already.
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
  bool setToday_ = false;
};

// How many requests the fixture server has answered so far (its counters do
// not count themselves).
long FixtureRequestCount();

// A UTF-8 literal as bytes (the fixture server's pages are UTF-8).
inline std::string Utf8(const char8_t* text) { return reinterpret_cast<const char*>(text); }

// One disclosure of a list page, as the service shows it.
struct ListRow {
  std::u8string time, code, name, title, place;
  std::u8string link = u8"140120240329500000.pdf";
  std::u8string xbrl = u8"";  // the XBRL cell's link target; none when empty
};

// A list page shaped like the real service's: the heading "kaiji-text-1", the
// count cell with the day's total (by default every row of every page), a pager
// naming every page, the rows in a table, each cell with two classes.
std::string ListPage(uint32_t date, int pages, const std::vector<ListRow>& rows, int total = -1);
// The page of a day without disclosures.
std::string EmptyListPage(uint32_t date);

// Tests of the pipeline against the fixture server: list pages written into the
// server's root, a home whose TDnet address is the server.
class PipelineTest : public ::testing::Test {
 protected:
  void SetUp() override;
  // Serves `text` as list page `page` of `date`.
  void Serve(uint32_t date, int page, const std::string& text);
  // The raw day file of a date.
  std::string Raw(uint32_t date);
  // A raw row as the tree method and the text method write it.
  std::string RowLine(const char* time, const char* ticker, const char* name, const char* market, const char* title,
                      const char* link = "140120240329500000.pdf");

  std::string base_;
  std::unique_ptr<PipelineHome> home_;
};
