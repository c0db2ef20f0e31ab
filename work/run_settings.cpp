// The only place of the pipeline that reads the option file.
#include "work/run_settings.h"

#include "settings/ini.h"
#include "settings/options.h"

namespace {

// Display options, the status keys that remember what the pages were built
// with, and where the run keeps each option's value.
struct DisplayOption {
  OptionKey option;
  OptionKey status;
  bool (*on)(const PageSettings&);
};
constexpr DisplayOption kDisplayOptions[] = {
    {OptionKey::IgnoreGR, OptionKey::LastIgnoreGR, [](const PageSettings& p) { return p.ignoreGR; }},
    {OptionKey::IgnoreAim, OptionKey::LastIgnoreAim, [](const PageSettings& p) { return p.ignoreAim; }},
    {OptionKey::IgnoreForeign, OptionKey::LastIgnoreForeign, [](const PageSettings& p) { return p.ignoreForeign; }},
    {OptionKey::IgnoreREIT, OptionKey::LastIgnoreREIT, [](const PageSettings& p) { return p.ignoreREIT; }},
    {OptionKey::IgnoreETF, OptionKey::LastIgnoreETF, [](const PageSettings& p) { return p.ignoreETF; }},
    {OptionKey::HtmlInsertMarket, OptionKey::LastHtmlInertMarket, [](const PageSettings& p) { return p.cells.market; }},
    {OptionKey::HtmlInsertIndustry, OptionKey::LastHtmlInertIndustry,
     [](const PageSettings& p) { return p.cells.industry; }},
    {OptionKey::HtmlInsertYahoo, OptionKey::LastHtmlInertYahoo, [](const PageSettings& p) { return p.cells.yahoo; }},
    {OptionKey::HtmlInsertIfis, OptionKey::LastHtmlInertIfis, [](const PageSettings& p) { return p.cells.ifis; }},
    {OptionKey::HtmlInsertGMO, OptionKey::LastHtmlInertGMO, [](const PageSettings& p) { return p.cells.gmo; }},
    {OptionKey::HtmlInsertKCom, OptionKey::LastHtmlInertKCom, [](const PageSettings& p) { return p.cells.kcom; }},
    {OptionKey::HtmlInsertSBI, OptionKey::LastHtmlInertSBI, [](const PageSettings& p) { return p.cells.sbi; }},
};

std::string Stored(const OptionStore& options, OptionKey key) {
  const OptionInfo& info = InfoOf(key);
  return options.Raw(info.section, info.name, info.defaultText);
}

bool DisplayOptionsChanged(const OptionStore& options) {
  for (const DisplayOption& pair : kDisplayOptions)
    if (Stored(options, pair.option) != Stored(options, pair.status)) return true;
  return false;
}

// The pause between two requests to one host. A hand-edited value that is no
// number would read as 0, which would turn the pause off: it gives the default.
int RequestInterval(const OptionStore& options) {
  std::string raw = Stored(options, OptionKey::RequestIntervalMs);
  bool number = !raw.empty() && raw.find_first_not_of("0123456789") == std::string::npos;
  return number ? options.Int(OptionKey::RequestIntervalMs)
                : IniParseInt(InfoOf(OptionKey::RequestIntervalMs).defaultText, 0);
}

CellOptions ReadCellOptions(const OptionStore& options, const SiteAddresses& sites) {
  auto on = [&](OptionKey key) { return options.Flag(key); };
  CellOptions cells;
  cells.inPortHighlight = on(OptionKey::InPortHighlight);
  cells.market = on(OptionKey::HtmlInsertMarket);
  cells.industry = on(OptionKey::HtmlInsertIndustry);
  cells.yahoo = on(OptionKey::HtmlInsertYahoo);
  cells.ifis = on(OptionKey::HtmlInsertIfis);
  cells.gmo = on(OptionKey::HtmlInsertGMO);
  cells.kcom = on(OptionKey::HtmlInsertKCom);
  cells.sbi = on(OptionKey::HtmlInsertSBI);
  cells.gmoServer = options.Text(OptionKey::GMOServer);
  cells.sites = sites;
  return cells;
}

PageSettings ReadPageSettings(const OptionStore& options, const SiteAddresses& sites) {
  auto on = [&](OptionKey key) { return options.Flag(key); };
  PageSettings pages;
  pages.cells = ReadCellOptions(options, sites);
  pages.fullName = on(OptionKey::UseFullConame);
  pages.mergeTime = on(OptionKey::HtmlRowMergeTime);
  pages.remake = on(OptionKey::CollectRemake);
  pages.atomFeed = on(OptionKey::EnableAtomFeed);
  pages.ignoreGR = on(OptionKey::IgnoreGR);
  pages.ignoreAim = on(OptionKey::IgnoreAim);
  pages.ignoreForeign = on(OptionKey::IgnoreForeign);
  pages.ignoreREIT = on(OptionKey::IgnoreREIT);
  pages.ignoreETF = on(OptionKey::IgnoreETF);
  pages.inMarketTime = on(OptionKey::StScheInMarketHighlight);
  pages.periodStart = options.Date(OptionKey::PeriodSt);
  pages.archive = options.Int(OptionKey::ArchivePdf);
  pages.archiveXbrl = on(OptionKey::ArchiveXbrl);
  return pages;
}

ScheduleSettings ReadScheduleSettings(const OptionStore& options) {
  ScheduleSettings schedules;
  if (options.Flag(OptionKey::EnableStSche)) {
    if (options.Flag(OptionKey::EnableStSchePort)) schedules.views.Add(View::kPort);
    if (options.Flag(OptionKey::EnableStScheXls)) schedules.views.Add(View::kXls);
    if (options.Flag(OptionKey::EnableStScheAll)) schedules.views.Add(View::kAll);
  }
  schedules.xlsBox = options.Flag(OptionKey::EnableStScheXls);
  schedules.cycle = options.Int(OptionKey::StScheCycle);
  schedules.daySpan = options.Int(OptionKey::StScheDaySpan);
  schedules.dayOfWeek = options.Int(OptionKey::StScheDayOfWeek);
  schedules.recheckVague = options.Flag(OptionKey::StScheRecheckAboutEnable);
  schedules.recheckVagueDays = options.Int(OptionKey::StScheRecheckAboutDay);
  schedules.recheckEmpty = options.Flag(OptionKey::StScheRecheckEmptyEnable);
  schedules.recheckEmptyDays = options.Int(OptionKey::StScheRecheckEmptyDay);
  schedules.lastFetch = options.Date(OptionKey::LastStSche);
  schedules.lastPages = options.Date(OptionKey::LastStScheHtml);
  schedules.fileVersion = options.Int(OptionKey::ScheduleDat);
  return schedules;
}

}  // namespace

bool RunSettings::PortfolioUsed() const {
  if (pages.archive >= 1 || htmlPort || schedules.views.Has(View::kPort)) return true;
  bool others = htmlAll || htmlXls || schedules.views.Has(View::kAll) || schedules.views.Has(View::kXls);
  return pages.cells.inPortHighlight && others;
}

RunSettings ReadRunSettings() {
  const OptionStore& options = Options();
  auto on = [&](OptionKey key) { return options.Flag(key); };
  RunSettings run;
  run.output = OutputDirOf(options);
  run.xlsCheckDir = options.Text(OptionKey::XlsCheckDir);
  run.sites = ReadSiteAddresses(options);
  run.requestIntervalMs = RequestInterval(options);
  run.debugLogLevel = options.Int(OptionKey::DebugLogLevel);
  run.periodStart = options.Date(OptionKey::PeriodSt);
  run.htmlPort = on(OptionKey::EnableHtmlPort);
  run.htmlXls = on(OptionKey::EnableHtmlXls);
  run.htmlAll = on(OptionKey::EnableHtmlAll);
  run.companyPages = on(OptionKey::EnableHtmlTicker);
  run.remakeCompanyPages = on(OptionKey::TickerRemake);
  run.pages = ReadPageSettings(options, run.sites);
  run.schedules = ReadScheduleSettings(options);
  run.schedulesOn = on(OptionKey::EnableStSche);
  run.portList = options.Text(OptionKey::PortList);
  run.ignoreList = options.Text(OptionKey::IgnoreList);
  run.ignoreListOn = on(OptionKey::EnableIgnoreList);
  run.ignoreTitlesOn = on(OptionKey::EnableIgnoreTitleList);
  run.keywordsOn = on(OptionKey::EnableKeyHighlightList);
  // The keywords are split from the stored text, which their splitter
  // unescapes itself, cut as the profile call cuts it.
  run.keywordsStored = Stored(options, OptionKey::KeyHighlightList).substr(0, kMaxOptionText);
  run.webPortfolio = on(OptionKey::WebPortEnable);
  run.webPortUrl = options.Text(OptionKey::WebPortUrl);
  run.webPortPreWordOn = on(OptionKey::WebPortPreWordEnable);
  run.webPortPreWord = options.Text(OptionKey::WebPortPreWord);
  run.detailMarket = on(OptionKey::UseDetailMarket);
  run.companyFilesVersion = options.Int(OptionKey::CoProfDat);
  run.displayOptionsChanged = DisplayOptionsChanged(options);
  return run;
}

RunStatus::RunStatus() : store_(Options()), lastUpdateIndiv_(store_.Date(OptionKey::LastUpdateIndiv)) {}

void RunStatus::SetLastUpdateIndiv(uint32_t date) {
  lastUpdateIndiv_ = date;
  store_.SetInt(OptionKey::LastUpdateIndiv, static_cast<int>(date));
}

void RunStatus::SetLastDownload(uint32_t date) { store_.SetInt(OptionKey::LastDownload, static_cast<int>(date)); }

void RunStatus::SetLastSchedules(uint32_t date) { store_.SetInt(OptionKey::LastStSche, static_cast<int>(date)); }

void RunStatus::SetLastSchedulePages(uint32_t date) {
  store_.SetInt(OptionKey::LastStScheHtml, static_cast<int>(date));
}

void RunStatus::SetDisplayStatus(const PageSettings& pages) {
  for (const DisplayOption& pair : kDisplayOptions) store_.SetInt(pair.status, pair.on(pages) ? 1 : 0);
}

void RunStatus::SetPortList(const std::string& text) { store_.SetText(OptionKey::PortList, text); }

void RunStatus::SetCompanyFilesVersion() { store_.SetInt(OptionKey::CoProfDat, 2); }

void RunStatus::SetScheduleFileVersion() { store_.SetInt(OptionKey::ScheduleDat, 2); }
