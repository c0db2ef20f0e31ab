#include "work/run.h"

#include <algorithm>

#include "pages/frame.h"
#include "platform/files.h"
#include "settings/lists.h"
#include "settings/options.h"
#include "work/dates.h"
#include "work/worktask.h"

void PeriodOfType(int periodType, uint32_t& firstDay, uint32_t& lastDay) {
  uint32_t today = TodayDate();
  switch (periodType) {
    case 0: {
      std::string last = Options().Text(OptionKey::LastDownload);
      firstDay = (!last.empty() && last[0] >= '0' && last[0] <= '9') ? static_cast<uint32_t>(std::stoul(last)) : today;
      lastDay = today;
      break;
    }
    case 1:
      firstDay = lastDay = today;
      break;
    case 3:
      firstDay = static_cast<uint32_t>(Options().Int(OptionKey::PeriodSt));
      lastDay = static_cast<uint32_t>(Options().Int(OptionKey::PeriodEd));
      break;
    default:
      firstDay = AddDays(today, -7);
      lastDay = today;
      break;
  }
}

static void DeleteCompanyFiles() {
  for (const char* name : {"_coname.txt", "_coprof.dat"}) {
    FileEntry file(OutputPath(name).c_str());
    if (file.ExistsPath()) file.Delete();
  }
}

bool StartRun(WorkController& controller, uint32_t day1, uint32_t day2, uint8_t scheduleRefetch,
              bool refetchCompanies) {
  if (controller.Running()) return false;
  if (Options().Flag(OptionKey::EnableHtmlPort) && !controller.Portfolio().Present())
    ParseTickerList(Options().Text(OptionKey::PortList).c_str(), controller.Portfolio());
  if (Options().Flag(OptionKey::EnableIgnoreList) && !controller.IgnoreList().Present())
    ParseTickerList(Options().Text(OptionKey::IgnoreList).c_str(), controller.IgnoreList());
  if (Options().Int(OptionKey::CoProfDat) == 1 || refetchCompanies) DeleteCompanyFiles();
  return controller.StartWorkTask(std::min(day1, day2), std::max(day1, day2), scheduleRefetch);
}

bool SavePortfolioList(WorkController& controller, const std::string& text) {
  if (!ParseTickerList(text.c_str(), controller.Portfolio())) return false;
  if (!Options().SetText(OptionKey::PortList, text)) return false;
  RemoveOutputSubdir("Port");
  return true;
}

bool SaveIgnoreList(WorkController& controller, const std::string& text) {
  if (!ParseTickerList(text.c_str(), controller.IgnoreList())) return false;
  if (!Options().SetText(OptionKey::IgnoreList, text)) return false;
  for (const char* view : {"All", "Port", "Xls", "Indiv"}) RemoveOutputSubdir(view);
  Options().SetInt(OptionKey::LastUpdateIndiv, static_cast<int>(kNeverDate));
  return true;
}

bool SaveKeywordList(const std::string& text) { return Options().SetText(OptionKey::KeyHighlightList, text); }
