// Portfolio sources: the spreadsheet directory scan (step 0) and the portfolio
// read from a web page (step 1).
#include <algorithm>
#include <memory>

#include "markup/text.h"
#include "pages/output.h"
#include "platform/diagnostics.h"
#include "platform/files.h"
#include "platform/sjis.h"
#include "settings/lists.h"
#include "settings/options.h"
#include "work/fetch_page.h"
#include "work/run_settings.h"
#include "work/run_trace.h"
#include "work/selections.h"
#include "work/site_pages.h"
#include "work/steps.h"

namespace {

// Collects codes as "NNNN, " with a line feed after every 13th.
struct Collected {
  std::string text;
  int count = 0;
  void Add(Code code) {
    text += code.Text() + ", ";
    if (++count % 13 == 0) text += "\n";
  }
};

// Reads a number at the cursor; collects it when it is an integer that is a
// code of the tables.
void CollectNumberAt(const char*& cursor, Collected& collected) {
  NumberSlot value;
  if (ReadNumber(cursor, &value) == kIntegerNumber && Code(value.integer).Index()) collected.Add(Code(value.integer));
}

void PreWordScan(const std::string& text, const std::string& preWord, Collected& collected) {
  const char* cursor = text.c_str();
  while (const char* found = FindText(cursor, preWord.c_str())) {
    cursor = found + preWord.size();
    CollectNumberAt(cursor, collected);
  }
}

void DigitScan(const std::string& text, Collected& collected) {
  const char* cursor = text.c_str();
  while (*cursor) {
    if (IsAsciiDigit(cursor[0]) && IsAsciiDigit(cursor[1]) && IsAsciiDigit(cursor[2]) && IsAsciiDigit(cursor[3])) {
      const char* before = cursor;
      CollectNumberAt(cursor, collected);
      if (cursor == before) ++cursor;
    } else {
      ++cursor;
    }
  }
}

}  // namespace

void ScanXlsDirectory(RunSelections& selections, RunTrace& trace, const RunSettings& settings) {
  trace.Log(2, "check xls exist\n");
  const std::string& directory = settings.xlsCheckDir;
  if (!CheckDirectoryPath(OptionKey::XlsCheckDir, directory)) return;
  FileEntry check((directory + "/").c_str());
  if (!check.ExistsPath()) {
    ReportError("xlsチェックパスの<%s>は存在しません", directory.c_str());
    return;
  }
  // One directory listing instead of 8999 lookups; the match is the same:
  // a code (four digits, or digits and letters such as "285A"), then ".xls"
  // and anything after it, ASCII case ignored.
  FileFinder finder;
  if (!finder.Start((directory + "/*.*").c_str(), FileFinder::kFiles)) return;
  for (; !finder.IsFinished(); finder._Next()) {
    const std::string& name = finder.CurrentFindData().name;
    if (name.size() < 8) continue;
    std::string extension = name.substr(4, 4);
    LowerCaseInPlace(extension);
    std::optional<Code> ticker = Code::FromTypedText(std::string_view(name).substr(0, 4));
    if (extension != ".xls" || !ticker) continue;
    AddTicker(*selections.Xls(), *ticker);
  }
}

void ReadWebPortfolio(RunSelections& selections, HttpDownloader& downloader, RunTrace& trace,
                      const RunSettings& settings, RunStatus& status) {
  const std::string& url = settings.webPortUrl;
  FetchedPage answer = FetchPage(downloader, url);
  if (!answer.Arrived()) return;  // the downloader has said why
  trace.Log(2, "check web portfolio\n\n");
  // An error page, a login or maintenance page answered with an error status,
  // is no portfolio: its numbers (a date, an error code) must not replace the
  // user's list.
  if (!answer.IsPage()) {
    MessageSeverity = kSeverityWarning;
    ReportMessage("ポートフォリオのページ<%s>を読めません (%s)。前回のポートフォリオを使います", url.c_str(),
                  WhyUnusable(answer).c_str());
    return;
  }
  const std::string& preWord = settings.webPortPreWord;
  Collected collected;
  if (!preWord.empty() && settings.webPortPreWordOn)
    PreWordScan(answer.text, preWord, collected);
  else
    DigitScan(answer.text, collected);
  if (collected.count > 0) {
    collected.text.resize(collected.text.size() - 2);
    ParseTickerList(collected.text.c_str(), selections.Portfolio());
    status.SetPortList(collected.text);
  }
}
