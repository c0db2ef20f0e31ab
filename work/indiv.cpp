// The company pages' side of the run: which companies have a page (step 0),
// and each converted day's rows added to the pages (step 9).
#include <algorithm>
#include <memory>
#include <vector>

#include "markup/tree.h"
#include "pages/company_pages.h"
#include "pages/output.h"
#include "pages/rows.h"
#include "platform/files.h"
#include "platform/sjis.h"
#include "work/steps.h"
#include "work/worktask.h"

void ScanIndivPages(RunSelections& selections) {
  TickerBits& present = selections.Indiv();
  present.reset();
  // One directory listing instead of 8999 lookups: "NNNN.html".
  FileFinder finder;
  if (!finder.Start((OutputSubdirPath("Indiv") + "*.html").c_str(), FileFinder::kFiles)) return;
  for (; !finder.IsFinished(); finder._Next()) {
    const std::string& name = finder.CurrentFindData().name;
    if (name.size() != 9 || !std::all_of(name.begin(), name.begin() + 4, IsAsciiDigit)) continue;
    AddTicker(present, std::stoi(name.substr(0, 4)));
  }
}

bool AddDayToIndivPages(MarkupElement& table, uint32_t date) {
  bool written = true;
  // Company by company, from the day's last row: each company's rows leave the
  // table in raw order and make one group on its page.
  while (!table.children().empty()) {
    int ticker = RowTicker(*table.children().back());
    std::vector<std::unique_ptr<MarkupElement>> rows;
    for (size_t i = table.children().size(); i-- > 0;) {
      if (RowTicker(*table.children()[i]) == ticker) rows.push_back(table.DetachChild(table.children()[i]));
    }
    std::reverse(rows.begin(), rows.end());
    // Rows without a company code (read by the text method) have no page.
    if (TickerIndex(ticker) && !AddDayToCompanyPage(ticker, date, std::move(rows))) written = false;
  }
  return written;
}
