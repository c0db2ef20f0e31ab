// The two finance sites as they are and as they misbehave, through real runs
// against the fixture server: hostile names, error statuses, refusals, block
// pages, large pages, both shapes of the quote page, and the pace of requests.
#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <thread>  // also the clocks: <chrono> itself does not build with the Shift_JIS execution charset

#include "markup/text.h"
#include "platform/diagnostics.h"
#include "platform/files.h"
#include "settings/options.h"
#include "work/company_store.h"
#include "work/testing.h"

namespace {

const int kCompanies[] = {1301, 6758, 7203};

size_t CountOf(const std::string& text, const std::string& piece) {
  size_t count = 0;
  for (size_t at = text.find(piece); at != std::string::npos; at = text.find(piece, at + 1)) ++count;
  return count;
}

// Why a page is not one a site's bytes left alone: live markup of a name, a
// NUL byte, an "&" that begins no entity reference, unbalanced rows. Empty
// when it is fine.
std::string Poisoned(const std::string& page) {
  for (const char* markup : {"<script", "<b>", "<!--", "</title><", "<title><"})
    if (page.find(markup) != std::string::npos) return std::string("holds ") + markup;
  if (page.find('\0') != std::string::npos) return "holds a NUL byte";
  if (CountOf(page, "<tr") != CountOf(page, "</tr>") || CountOf(page, "<table") != 1 ||
      CountOf(page, "</table>") + CountOf(page, "<table />") != 1)
    return "rows or tables out of balance";
  for (size_t at = page.find('&'); at != std::string::npos; at = page.find('&', at + 1)) {
    size_t end = page.find_first_of("; <\"\n", at + 1);
    if (end == std::string::npos || page[end] != ';') return "a bare & at " + std::to_string(at);
  }
  return "";
}

// The lines of "_coname.txt" (with the count of lines checked).
std::vector<std::string> NameLines(const std::string& path) {
  std::string text = ReadTestFile(path);
  TextLines lines(text);
  std::vector<std::string> names;
  for (size_t i = 0; i + 1 < lines.Count(); ++i) {
    std::string_view line = lines.View(i);
    names.emplace_back(line.substr(0, line.size() - 1));
  }
  EXPECT_EQ(names.size(), 9000u);
  EXPECT_TRUE(lines.View(lines.Count() - 1).empty());
  names.resize(9000);
  return names;
}

std::string NameOf(const std::vector<std::string>& names, int ticker) {
  return names[static_cast<size_t>(ticker - 1001)];
}

// Every file of a directory tree (its relative path, its bytes), the run's
// lock aside.
std::map<std::string, std::string> Snapshot(const std::string& directory) {
  std::map<std::string, std::string> files;
  for (const auto& entry : std::filesystem::recursive_directory_iterator(directory)) {
    if (!entry.is_regular_file() || entry.path().filename() == "_run.lock") continue;
    std::string relative = std::filesystem::relative(entry.path(), directory).generic_string();
    files[relative] = ReadTestFile(entry.path().string());
  }
  return files;
}

// A schedule file whose only entry is `ticker`'s next announcement.
std::string ScheduleFile(int ticker, uint32_t date, int status) {
  std::string bytes(360000, '\0');
  size_t at = static_cast<size_t>(ticker - 1001) * 40;
  for (int i = 0; i < 4; ++i) bytes[at + static_cast<size_t>(i)] = static_cast<char>(date >> (8 * i) & 0xFF);
  bytes[at + 6] = static_cast<char>(status);
  return bytes;
}

class SitesTest : public PipelineTest {
 protected:
  void SetUp() override {
    PipelineTest::SetUp();
    if (home_) Configure();
  }

  // A fresh home: three companies on two days, full names, all three summary
  // pages, the portfolio's schedule page, every link cell.
  void Configure() {
    auto on = [](OptionKey key) { Options().SetFlag(key, true); };
    // The requests counted here are the finance sites'; the document archive
    // has tests of its own.
    Options().SetInt(OptionKey::ArchivePdf, 0);
    for (OptionKey key : {OptionKey::UseFullConame, OptionKey::EnableHtmlPort, OptionKey::EnableHtmlXls,
                          OptionKey::EnableStSche, OptionKey::EnableStSchePort, OptionKey::HtmlInsertMarket,
                          OptionKey::HtmlInsertIndustry, OptionKey::HtmlInsertYahoo, OptionKey::HtmlInsertIfis,
                          OptionKey::HtmlInsertGMO, OptionKey::HtmlInsertKCom, OptionKey::HtmlInsertSBI})
      on(key);
    Options().SetInt(OptionKey::StScheCycle, 0);
    Options().SetText(OptionKey::PortList, "7203, 1301");
    WriteTestFile(home_->Home() + "xls/6758.xls", "");
    Options().SetText(OptionKey::XlsCheckDir, home_->Home() + "xls");
    Sites("", "");
    std::vector<ListRow> rows = {{u8"15:00", u8"72030", u8"ミカワ", u8"業績予想の修正", u8"東"},
                                 {u8"11:00", u8"67580", u8"コスモ", u8"お知らせ", u8"東"},
                                 {u8"10:00", u8"13010", u8"あけぼの", u8"M&amp;Aのお知らせ", u8"東"}};
    Serve(20240410, 1, ListPage(20240410, 1, rows));
    Serve(20240411, 1, ListPage(20240411, 1, rows));
  }

  // Both sites' addresses, each with a path prefix of the fixture (a failure
  // or a hostile mode) or none.
  void Sites(const std::string& quotePrefix, const std::string& reportPrefix) {
    Options().SetText(OptionKey::QuoteUrlTemplate, FixtureUrl() + quotePrefix + "/quote/{code}.T");
    Options().SetText(OptionKey::ReportUrlTemplate,
                      FixtureUrl() + reportPrefix + "/index.php?action=tp1&sa=report&bcode={code}");
  }

  void Fresh() {
    home_.reset();  // the old home gives back the home directory and today first
    home_ = std::make_unique<PipelineHome>(base_);
    Configure();
  }

  std::vector<std::string> Names() { return NameLines(home_->Output("_coname.txt")); }

  // Each page the runs make, checked for what a site could have put into it.
  void ExpectPagesUnpoisoned(const std::string& what) {
    for (const char* page : {"All.html", "Port.html", "Xls.html", "PortSche.html"})
      EXPECT_EQ(Poisoned(ReadTestFile(home_->Output(page))), "") << what << ": " << page;
  }
};

TEST_F(SitesTest, HostileNamesBecomeTextOnOneLineAndNeverFreezeAPage) {
  struct Case {
    const char* kind;
    std::string stored;  // what "_coname.txt" keeps of the name
  } cases[] = {
      {"script", "alert(1)ミカワ"},
      {"bold", "ミカワx"},
      {"comment", "Foo&lt;!--"},
      {"table", "ミカワ"},
      {"lines", "ミカワ 自動車"},
      {"nul", "ミカワ自動車"},
      {"long", std::string(kMaxNameBytes, 'W')},
  };
  for (const Case& c : cases) {
    Fresh();
    Sites(std::string("/name/") + c.kind, "");
    MessageRecorder messages;
    home_->Run(20240410, 20240410);
    // A second day merges into the pages the first run wrote.
    home_->Run(20240410, 20240411);
    EXPECT_TRUE(messages.messages.empty()) << c.kind << ": " << messages.Texts().front();
    std::vector<std::string> names = Names();
    for (int ticker : kCompanies) EXPECT_EQ(NameOf(names, ticker), c.stored) << c.kind << " " << ticker;
    ExpectPagesUnpoisoned(c.kind);
    std::string all = ReadTestFile(home_->Output("All.html"));
    EXPECT_NE(all.find(c.stored), std::string::npos) << c.kind;
    EXPECT_EQ(CountOf(all, "<td id=\"date\""), 2u) << c.kind;
  }

  // A report page's heading gives names too (full names off): on one line.
  Fresh();
  Options().SetFlag(OptionKey::UseFullConame, false);
  Sites("", "/name/lines");
  MessageRecorder messages;
  home_->Run(20240410, 20240410);
  EXPECT_EQ(NameOf(Names(), 7203), "ミカワ 自動車 (株)");
  EXPECT_EQ(NameOf(Names(), 7204), "");
  EXPECT_NE(ReadTestFile(home_->Output("PortSche.html")).find("\tミカワ 自動車 (株)\n"), std::string::npos);
}

TEST_F(SitesTest, ADamagedNameFileIsReadSafelyAndItsBadSlotsAskedAgain) {
  home_->Run(20240410, 20240410);
  const std::vector<std::string> healthy = Names();
  ASSERT_EQ(NameOf(healthy, 7203), "ミカワ自動車");
  std::string good = ReadTestFile(home_->Output("_coname.txt"));
  std::string shifted = good;
  shifted.insert(shifted.find("ミカワ自動車") + 4, 1, '\n');  // a name over two lines: every later one shifted
  std::string random;
  for (int i = 0; i < 100000; ++i) random += static_cast<char>((i * 7919) % 251);
  std::string controls = good;
  controls.replace(controls.find("ミカワ自動車"), 12, std::string("ミカ\0ワ\x01", 8));
  std::string markup = good;
  markup.replace(markup.find("ミカワ自動車"), 12, "</title><script>x</script>ミカワ");
  struct Case {
    const char* name;
    std::string file;
    bool warned;
    std::string name7203;  // after the run
  } cases[] = {
      {"shifted", shifted, true, "ミカワ自動車"},
      {"random bytes", random, true, "ミカワ自動車"},
      {"control bytes", controls, true, "ミカワ自動車"},
      {"hand-edited markup", markup, false, "</title><script>x</script>ミカワ"},
  };
  for (const Case& c : cases) {
    WriteTestFile(home_->Output("_coname.txt"), c.file);
    FileEntry(home_->Output("All/20240410.html").c_str()).Delete();
    MessageRecorder messages;
    home_->Run(20240410, 20240410);
    std::vector<std::string> names = Names();
    EXPECT_EQ(NameOf(names, 7203), c.name7203) << c.name;
    EXPECT_EQ(NameOf(names, 6758), "コスモ電子") << c.name;
    EXPECT_EQ(NameOf(names, 1301), "あけぼの水産") << c.name;
    ASSERT_EQ(messages.messages.size(), c.warned ? 1u : 0u) << c.name;
    if (c.warned) {
      EXPECT_EQ(messages.messages[0].severity, kSeverityWarning);
      EXPECT_TRUE(messages.messages[0].text.starts_with("会社名のファイル<")) << messages.messages[0].text;
    }
    ExpectPagesUnpoisoned(c.name);
  }
  // The hand-edited name reaches the page as its text only.
  EXPECT_NE(ReadTestFile(home_->Output("All.html")).find("xミカワ"), std::string::npos);
}

TEST_F(SitesTest, AnErrorPageABlockPageOrAMaintenancePageIsNoAnswer) {
  struct Case {
    const char* prefix;
    long requests;   // pages asked of the quote site before it is left alone
    bool refused;    // one warning says the site is no longer asked
  } cases[] = {
      {"/fail/500", 3, false},       {"/fail/404", 3, false}, {"/fail/block", 3, false},
      {"/fail/403", 1, true},        {"/fail/429", 1, true},  {"/fail/maintenance/503", 1, true},
      {"/fail/pad/100/fail/500", 3, false},
  };
  for (const Case& c : cases) {
    Fresh();
    Sites(c.prefix, c.prefix);
    MessageRecorder messages;
    long before = FixtureRequestCount();
    home_->Run(20240410, 20240410);
    // Two report pages (the portfolio) and the quote pages; a refusal stops
    // each site after its first page.
    EXPECT_EQ(FixtureRequestCount() - before, 1 + (c.refused ? 1 : 2) + c.requests) << c.prefix;
    std::vector<std::string> names = Names();
    for (int ticker : kCompanies) EXPECT_EQ(NameOf(names, ticker), "*") << c.prefix << " " << ticker;
    std::vector<std::string> texts = messages.Texts();
    ASSERT_EQ(texts.size(), c.refused ? 3u : 1u) << c.prefix;
    EXPECT_EQ(texts.back(), "取得できなかった会社名 3 件と決算スケジュール 2 件は、次回の実行で取得します") << c.prefix;
    EXPECT_EQ(messages.messages.back().severity, kSeverityError);
    ExpectPagesUnpoisoned(c.prefix);
  }
  // The site is well again: what was pending is fetched, nothing else.
  Sites("", "");
  MessageRecorder messages;
  long before = FixtureRequestCount();
  home_->Run(20240410, 20240410);
  EXPECT_EQ(FixtureRequestCount() - before, 2 + 3);
  EXPECT_EQ(NameOf(Names(), 7203), "ミカワ自動車");
  EXPECT_TRUE(messages.messages.empty()) << messages.Texts().front();
}

TEST_F(SitesTest, ARefusingReportSiteLeavesNearVagueDatesOnTheSchedulePage) {
  // 7203's results are expected in the middle of April: near, so its page is
  // asked for again; the site refuses.
  WriteTestFile(home_->Output("_schedule.dat"), ScheduleFile(7203, 20240419, 3));
  for (const char* prefix : {"/fail/403", "/fail/503", "/fail/429", "/fail/500", "/fail/404", "/fail/block"}) {
    Sites("", prefix);
    MessageRecorder messages;
    home_->Run(20240410, 20240410);
    std::string table = ReadTestFile(home_->Output("_schedule.dat"));
    EXPECT_EQ(table, ScheduleFile(7203, 20240419, 3)) << prefix;  // neither reset nor vacant
    std::string page = ReadTestFile(home_->Output("PortSche.html"));
    EXPECT_NE(page.find("2024/4/中"), std::string::npos) << prefix;
    EXPECT_NE(page.find("\tミカワ自動車\n"), std::string::npos) << prefix;
  }
}

TEST_F(SitesTest, RefetchingTheCompaniesKeepsTheNamesItCannotFetch) {
  home_->Run(20240410, 20240410);
  std::string names = ReadTestFile(home_->Output("_coname.txt"));
  std::string profile = ReadTestFile(home_->Output("_coprof.dat"));
  Sites("/fail/500", "");
  MessageRecorder messages;
  ASSERT_TRUE(home_->controller.StartRun(20240410, 20240410, 0, true));
  while (home_->controller.OnIdle()) {
  }
  EXPECT_TRUE(ReadTestFile(home_->Output("_coname.txt")) == names);
  EXPECT_TRUE(ReadTestFile(home_->Output("_coprof.dat")) == profile);
  ASSERT_FALSE(messages.messages.empty());
  EXPECT_EQ(messages.Texts().back(), "取得できなかった会社名 3 件と決算スケジュール 0 件は、次回の実行で取得します");
  EXPECT_EQ(messages.messages.back().severity, kSeverityError);
}

TEST_F(SitesTest, LargePagesAreReadWhole) {
  // Past the 1 KiB, 200 KiB and 20 KiB at which pages used to be cut.
  Sites("/fail/pad/300000", "/fail/pad/30000");
  MessageRecorder messages;
  home_->Run(20240410, 20240410);
  std::vector<std::string> names = Names();
  EXPECT_EQ(NameOf(names, 7203), "ミカワ自動車");
  std::string profile = ReadTestFile(home_->Output("_coprof.dat"));
  EXPECT_EQ(profile.substr((7203 - 1001) * 4, 2), "\x19\x11");  // 東証PRM, 輸送用機器
  // Read as a company's page, not as a vacant code.
  std::string table = ReadTestFile(home_->Output("_schedule.dat"));
  for (int ticker : {7203, 1301}) {
    size_t at = static_cast<size_t>(ticker - 1001) * 40;
    EXPECT_NE(table.substr(at, 4), std::string(4, '\0')) << ticker;
    EXPECT_NE(table[at + 6] & 0xF, 5) << ticker;
  }
  EXPECT_TRUE(messages.messages.empty()) << messages.Texts().front();
}

TEST_F(SitesTest, BothShapesOfTheQuotePageGiveTheSameStore) {
  home_->Run(20240410, 20240410);
  std::string names = ReadTestFile(home_->Output("_coname.txt"));
  std::string profile = ReadTestFile(home_->Output("_coprof.dat"));
  EXPECT_EQ(profile.substr((6758 - 1001) * 4, 2), "\x19\x10");  // 東証PRM, 電気機器
  // The older address and shape, through an option file of an earlier
  // version: a base address and no template.
  Fresh();
  Options().SetText(OptionKey::QuoteBaseUrl, FixtureUrl());
  std::string file = ReadTestFile(Options().Path());
  size_t line = file.find("QuoteUrlTemplate=");
  ASSERT_NE(line, std::string::npos);
  file.erase(line, file.find('\n', line) + 1 - line);
  WriteTestFile(Options().Path(), file);
  home_->Run(20240410, 20240410);
  EXPECT_TRUE(ReadTestFile(home_->Output("_coname.txt")) == names);
  EXPECT_TRUE(ReadTestFile(home_->Output("_coprof.dat")) == profile);
}

TEST_F(SitesTest, AFailedRunThenAHealthyOneEqualsOneHealthyRun) {
  home_->Run(20240410, 20240411);
  std::map<std::string, std::string> healthy = Snapshot(home_->Output());
  ASSERT_TRUE(healthy.count("All.html") && healthy.count("PortSche.html") && healthy.count("_schedule.dat"));

  Fresh();
  Sites("/fail/500", "/fail/500");
  MessageRecorder messages;
  home_->Run(20240410, 20240411);
  Sites("", "");
  home_->Run(20240410, 20240411);
  std::map<std::string, std::string> after = Snapshot(home_->Output());
  ASSERT_EQ(after.size(), healthy.size());
  for (const auto& [path, bytes] : healthy) EXPECT_TRUE(after[path] == bytes) << path << " differs";
}

TEST_F(SitesTest, RequestsToOneHostKeepTheIntervalOfTheOptionFile) {
  Options().SetInt(OptionKey::RequestIntervalMs, 300);
  long before = FixtureRequestCount();
  auto start = std::chrono::steady_clock::now();
  home_->Run(20240410, 20240410);
  double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  long requests = FixtureRequestCount() - before;
  EXPECT_EQ(requests, 1 + 2 + 3);  // the list, two report pages, three quote pages
  EXPECT_GE(seconds, 0.3 * static_cast<double>(requests - 1));
}

TEST_F(SitesTest, APauseThatIsNoNumberKeepsTheDefault) {
  struct Case {
    const char* text;
    int pause;
  } cases[] = {{"250", 250}, {"0", 0}, {"abc", 1000}, {"-5", 1000}, {"99999", 1000}, {"", 1000}};
  for (const Case& c : cases) {
    Options().SetRaw("Server", "RequestIntervalMs", c.text);
    ASSERT_TRUE(home_->controller.StartRun(20240410, 20240410, 0, false));
    home_->controller.OnIdle();  // the run's preparation
    EXPECT_EQ(home_->controller.Task()->RequestInterval(), c.pause) << c.text;
    home_->controller.CancelWorkTask();
  }
}

}  // namespace
