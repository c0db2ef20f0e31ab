// demo: a synthetic week of disclosures served by the loopback fixture server,
// run through the whole pipeline into a new home directory.
#include <string>
#include <vector>

#include "cli/commands.h"
#include "platform/console.h"
#include "platform/dates.h"
#include "platform/diagnostics.h"
#include "platform/files.h"
#include "platform/helper_process.h"
#include "settings/lists.h"
#include "settings/options.h"
#include "work/controller.h"

namespace {

// Companies of the fixture's built-in list used as the sample portfolio and as
// the sample spreadsheet directory.
const char kSamplePortfolio[] = "7203, 6758, 9984, 8306, 130A";
const char* const kSampleSpreadsheets[] = {"7203.xlsx", "4063.xls", "6501.xlsm", "330a.xls"};

bool MakeDirectory(const std::string& path) {
  FileEntry directory(path.c_str());
  return directory.ExistsPath() || directory.CreateDir();
}

bool WriteEmptyFile(const std::string& path) {
  DiskFile file(path.c_str());
  return file.Open(FileOpenMode::CreateAlways);
}

// Starts the fixture server beside this program for the week; returns its port.
int StartFixture(HelperProcess& server, const std::string& root, uint32_t first, uint32_t last) {
  std::string program = HomeDirectory() + "velkora-fixture";
  std::vector<std::string> arguments = {"--port", "0", "--root", root, "--time-limit", "900", "--seed", "7",
                                        "--per-day", "120", "--generate", FormatString("%u:%u", first, last)};
  if (!server.Start(program, arguments)) return 0;
  std::string line;
  if (!server.ReadLine(line) || line.rfind("port ", 0) != 0) return 0;
  return std::atoi(line.c_str() + 5);
}

void WriteDemoOptions(const std::string& home, int port, int logLevel) {
  std::string server = FormatString("http://127.0.0.1:%d", port);
  Options().SetText(OptionKey::HtmlDataDir, home + "html");
  Options().SetText(OptionKey::XlsCheckDir, home + "xls");
  Options().SetText(OptionKey::TdnetBaseUrl, server + "/inbs/");
  Options().SetText(OptionKey::QuoteUrlTemplate, server + "/quote/{code}.T");
  Options().SetText(OptionKey::ReportUrlTemplate, server + "/index.php?action=tp1&sa=report&bcode={code}");
  Options().SetInt(OptionKey::RequestIntervalMs, 0);  // a loopback server needs no pause
  Options().SetFlag(OptionKey::EnableHtmlAll, true);
  Options().SetFlag(OptionKey::EnableHtmlPort, true);
  Options().SetFlag(OptionKey::EnableHtmlXls, true);
  Options().SetFlag(OptionKey::EnableHtmlTicker, true);
  Options().SetFlag(OptionKey::UseFullConame, true);
  Options().SetFlag(OptionKey::HtmlInsertIndustry, true);
  Options().SetFlag(OptionKey::HtmlInsertMarket, true);
  for (OptionKey link : {OptionKey::HtmlInsertYahoo, OptionKey::HtmlInsertIfis, OptionKey::HtmlInsertGMO,
                         OptionKey::HtmlInsertKCom, OptionKey::HtmlInsertSBI})
    Options().SetFlag(link, true);
  // Schedules of the portfolio and the spreadsheet companies (the all page
  // would ask for the report page of every one of 9000 codes).
  for (OptionKey schedule : {OptionKey::EnableStSche, OptionKey::EnableStSchePort, OptionKey::EnableStScheXls})
    Options().SetFlag(schedule, true);
  Options().SetText(OptionKey::PortList, kSamplePortfolio);
  Options().SetInt(OptionKey::DebugLogLevel, logLevel);
}

int RunDemoPipeline(uint32_t first, uint32_t last) {
  Options().SetInt(OptionKey::PeriodType, 3);
  Options().SetInt(OptionKey::PeriodSt, static_cast<int>(first));
  Options().SetInt(OptionKey::PeriodEd, static_cast<int>(last));
  ProgressLine progress;
  UserLists lists;
  WorkController controller(progress, lists);
  controller.StartRun(first, last, 0, false);
  while (controller.OnIdle()) {
  }
  return kExitOk;
}

void PrintResults(const std::string& home, uint32_t first, uint32_t last) {
  PrintOut("Demo home: " + home + "\n");
  std::string company = home + "html" + kPathSeparator + "Indiv" + kPathSeparator + "7203.html";
  if (FileEntry(company.c_str()).ExistsPath()) PrintOut("Company page: " + company + "\n");
  for (const char* page : {"All.html", "Port.html", "Xls.html", "PortSche.html", "XlsSche.html"}) {
    std::string summary = home + "html" + kPathSeparator + page;
    if (FileEntry(summary.c_str()).ExistsPath()) PrintOut(std::string(page) + ": " + summary + "\n");
  }
  for (const char* view : {"All", "Port", "Xls"}) {
    for (uint32_t day = first; day <= last; day = NextDay(day)) {
      std::string path = home + "html" + kPathSeparator + view + kPathSeparator + FormatString("%u.html", day);
      FileEntry page(path.c_str());
      if (page.ExistsPath()) PrintOut(std::string(view) + " view: " + path + "\n");
    }
  }
}

}  // namespace

struct DemoArguments {
  std::string out;
  int logLevel = 1;
};

// -1 when the arguments read, else the usage error's exit status.
int ParseDemoArguments(const std::vector<std::string>& arguments, DemoArguments& demo) {
  for (size_t i = 0; i < arguments.size(); i += 2) {
    const std::string& name = arguments[i];
    if (i + 1 >= arguments.size() || (name != "--out" && name != "--log-level"))
      return UsageError("demo takes only --out DIR and --log-level 0|1|2");
    const std::string& value = arguments[i + 1];
    if (name == "--out") {
      demo.out = value;
    } else if (value == "0" || value == "1" || value == "2") {
      demo.logLevel = value[0] - '0';
    } else {
      return UsageError("--log-level needs 0, 1 or 2");
    }
  }
  return -1;
}

int CommandDemo(const std::vector<std::string>& arguments) {
  DemoArguments demo;
  if (int status = ParseDemoArguments(arguments, demo); status >= 0) return status;
  std::string home = demo.out;
  if (!home.empty()) {
    if (home.back() != '/' && home.back() != '\\') home += kPathSeparator;
    if (!MakeDirectory(home)) return UsageError("cannot create " + demo.out);
  } else {
    home = CreateTemporaryDirectory("velkora-demo-");
    if (home.empty()) return UsageError("cannot create a temporary directory");
  }
  uint32_t last = TodayDate(), first = AddDays(last, -6);
  HelperProcess server;
  int port = StartFixture(server, home + "fixture", first, last);
  if (port <= 0) {
    PrintError("velkora: cannot start " + HomeDirectory() + "velkora-fixture (build it with the linux preset)\n");
    return kExitReported;
  }
  if (!SetHomeDirectory(home)) return UsageError("cannot use " + home);
  OptionStore store;
  MakeDirectory(home + "html" + kPathSeparator);
  MakeDirectory(home + "xls" + kPathSeparator);
  for (const char* name : kSampleSpreadsheets) WriteEmptyFile(home + "xls" + kPathSeparator + name);
  WriteDemoOptions(home, port, demo.logLevel);
  int status = RunDemoPipeline(first, last);
  server.Stop();
  PrintResults(home, first, last);
  return status;
}
