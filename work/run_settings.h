// What a run reads of the option file, read once when the run starts, and the
// status keys it writes. A `set` or an edit of the option file while a run is
// under way changes nothing of that run; the status keys are written through
// at once, so a run killed half-way keeps what it recorded.
#pragma once

#include <cstdint>
#include <string>

#include "pages/output.h"
#include "pages/page_inputs.h"
#include "pages/views.h"
#include "settings/site_urls.h"

class OptionStore;

// The schedule options (EnableStSche*, StSche*) and the schedule status.
struct ScheduleSettings {
  ViewSet views;              // the schedule pages wanted (EnableStSche with its Port, Xls, All boxes)
  bool xlsBox = false;        // EnableStScheXls as it stands, whether or not EnableStSche is on
  int cycle = 0;              // StScheCycle: 0 every run, 1 every daySpan days, 2 weekly on dayOfWeek
  int daySpan = 0;            // StScheDaySpan
  int dayOfWeek = 0;          // StScheDayOfWeek
  bool recheckVague = false;  // StScheRecheckAboutEnable: vague dates asked again ...
  int recheckVagueDays = 0;   // StScheRecheckAboutDay: ... within so many days
  bool recheckEmpty = false;  // StScheRecheckEmptyEnable: vacant numbers asked again ...
  int recheckEmptyDays = 0;   // StScheRecheckEmptyDay: ... after so many days
  uint32_t lastFetch = 0;     // LastStSche
  uint32_t lastPages = 0;     // LastStScheHtml
  int fileVersion = 0;        // ScheduleDat: "_schedule.dat" is read only at 2
};

// Every option a run reads.
struct RunSettings {
  OutputDir output;         // HtmlDataDir
  std::string xlsCheckDir;  // XlsCheckDir
  SiteAddresses sites;      // TdnetBaseUrl and the finance sites' templates
  int requestIntervalMs = 0;  // RequestIntervalMs (the default when the file holds no number)
  int debugLogLevel = 0;      // DebugLogLevel
  uint32_t periodStart = 0;   // PeriodSt: the conversion and the summary pages start there

  // The pages and views of the run.
  bool htmlPort = false, htmlXls = false, htmlAll = false;  // EnableHtmlPort, EnableHtmlXls, EnableHtmlAll
  bool companyPages = false;        // EnableHtmlTicker
  bool remakeCompanyPages = false;  // TickerRemake
  PageSettings pages;               // what the page builders read
  ScheduleSettings schedules;
  bool schedulesOn = false;  // EnableStSche: the schedule store is kept (names with it)

  // The user's lists.
  std::string portList, ignoreList;  // PortList, IgnoreList (unescaped)
  bool ignoreListOn = false;         // EnableIgnoreList
  bool ignoreTitlesOn = false;       // EnableIgnoreTitleList
  bool keywordsOn = false;           // EnableKeyHighlightList
  std::string keywordsStored;        // KeyHighlightList as the file stores it (escaped), cut as a read cuts it

  // The web portfolio.
  bool webPortfolio = false;  // WebPortEnable
  std::string webPortUrl;     // WebPortUrl
  bool webPortPreWordOn = false;  // WebPortPreWordEnable
  std::string webPortPreWord;     // WebPortPreWord

  // The company store.
  bool detailMarket = false;  // UseDetailMarket
  int companyFilesVersion = 0;  // CoProfDat: 1 is a format that cannot be read

  // A display option differs from the status copy the pages were built with
  // (IgnoreGR ... HtmlInsertSBI against LastIgnoreGR ... LastHtmlInertSBI,
  // compared as the file holds them): the pages are made anew.
  bool displayOptionsChanged = false;

  // Whether the company profile (markets, industries) is kept: a display
  // option needs it.
  bool WantsProfile() const {
    return detailMarket || pages.cells.industry || pages.ignoreForeign || pages.ignoreREIT || pages.ignoreETF;
  }
  // Whether a page of the run shows the portfolio: Port.html and its views,
  // PortSche.html, or the portfolio's marks on the other pages.
  bool PortfolioUsed() const;
  // Whether the spreadsheet directory is looked at
  // (EnableHtmlXls, EnableStScheXls or ArchivePdf 2).
  bool ScansXls() const { return htmlXls || schedules.xlsBox || pages.archive >= 2; }
};

// The settings of a run from the current option file (Options()).
RunSettings ReadRunSettings();

// The status keys of a run, written through to the current option file.
// LastUpdateIndiv, which the run also reads, is kept as the run last wrote it.
class RunStatus {
 public:
  // Reads LastUpdateIndiv from the current option file.
  RunStatus();

  uint32_t LastUpdateIndiv() const { return lastUpdateIndiv_; }
  void SetLastUpdateIndiv(uint32_t date);
  void SetLastDownload(uint32_t date);
  void SetLastSchedules(uint32_t date);      // LastStSche
  void SetLastSchedulePages(uint32_t date);  // LastStScheHtml
  // The twelve status keys of the display options (LastIgnoreGR ...), as 0 or 1.
  void SetDisplayStatus(const PageSettings& pages);
  // PortList, as the web portfolio gave it.
  void SetPortList(const std::string& text);
  // FileVer: the data files written are of version 2.
  void SetCompanyFilesVersion();   // CoProfDat
  void SetScheduleFileVersion();   // ScheduleDat

 private:
  OptionStore& store_;
  uint32_t lastUpdateIndiv_ = 0;
};
