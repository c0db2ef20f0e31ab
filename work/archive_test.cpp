// The document archive of a run against the fixture server: generated days
// whose documents partly fail (404, 403, a page of HTML, a slow answer).
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <map>
#include <regex>
#include <set>

#include "pages/archive.h"
#include "platform/diagnostics.h"
#include "platform/files.h"
#include "settings/options.h"
#include "work/fetch_page.h"
#include "work/testing.h"

namespace {

namespace fs = std::filesystem;

// Every "Docs/<day>/<id>.pdf" (or `extension`) under the output directory.
std::set<std::string> ArchivedFiles(const std::string& output, const std::string& extension = ".pdf") {
  std::set<std::string> files;
  if (!fs::is_directory(output + "Docs")) return files;
  for (const auto& entry : fs::recursive_directory_iterator(output + "Docs"))
    if (entry.is_regular_file() && entry.path().extension() == extension)
      files.insert(fs::relative(entry.path(), output).generic_string());
  return files;
}

// The title links of a page, in order.
std::vector<std::string> Links(const std::string& page) {
  std::vector<std::string> links;
  std::regex link("<td id=\"title\">\\s*<a href=\"([^\"]*)\"");
  for (auto it = std::sregex_iterator(page.begin(), page.end(), link); it != std::sregex_iterator(); ++it)
    links.push_back((*it)[1]);
  return links;
}

// The portfolio's documents of the raw days: "Docs/<day>/<id>.pdf" (or the
// XBRL archives' "Docs/<day>/<id>.zip") by serial number's fault class.
struct Expected {
  std::set<std::string> kept, gone, retried;
};

Expected PortfolioDocuments(const std::string& output, const std::string& base, std::vector<uint32_t> days,
                            const std::set<std::string>& portfolio, bool xbrl = false) {
  Expected expected;
  std::string link = xbrl ? "<td id=\"xbrl\"><a href=\"" : "<a href=\"";
  std::regex row("<td id=\"ticker\">(\\w{4})</td>.*?" + link + base + "(\\d{4}(\\d{8})\\d{6})\\." +
                 (xbrl ? "zip" : "pdf") + "\"");
  for (uint32_t day : days) {
    std::string raw = ReadTestFile(output + FormatString("Raw/%u.html", day));
    for (auto it = std::sregex_iterator(raw.begin(), raw.end(), row); it != std::sregex_iterator(); ++it) {
      if (!portfolio.count((*it)[1])) continue;
      std::string id = (*it)[2];
      std::string name = FormatString("Docs/%u/", day) + id + (xbrl ? ".zip" : ".pdf");
      int serial = std::stoi(id.substr(12));
      int fault = serial % 20;
      (fault == 3 || fault == 7 ? expected.gone : fault == 11 ? expected.retried : expected.kept).insert(name);
    }
  }
  return expected;
}

// Every other company of the fixture's.
constexpr char kPortfolio[] = "1301, 1332, 1712, 2158, 2588, 3038, 3401, 3861, 4088, 4385, 4999, 5108, 5401, 5938, 6501, 6955, 7134, 7731, 8306, 8421, 8591, 8801, 9020, 9201, 9301, 9501, 9983";

std::set<std::string> PortfolioCodes() {
  std::set<std::string> codes;
  std::string list = kPortfolio;
  for (size_t at = 0; at < list.size(); at += 6) codes.insert(list.substr(at, 4));
  return codes;
}

class ArchiveTest : public ::testing::Test {
 protected:
  void SetUp() override {
    if (FixtureUrl().empty()) GTEST_SKIP() << "needs the fixture server (tools/with-fixture)";
    // Days that no other test serves from the server's root.
    SetEnvironment("VELKORA_TODAY", "20241210");
    base_ = FixtureUrl() + "/gen/7/60/docfaults/inbs/";
    home_ = std::make_unique<PipelineHome>(base_);
    Options().SetText(OptionKey::PortList, kPortfolio);
    Options().SetInt(OptionKey::EnableHtmlPort, 1);
    Options().SetInt(OptionKey::EnableHtmlTicker, 1);
    Options().SetInt(OptionKey::DebugLogLevel, 2);
  }
  void TearDown() override {
    home_.reset();
    UnsetEnvironment("VELKORA_TODAY");
  }
  std::string Output(const std::string& name = "") { return home_->Output(name); }

  std::string base_;
  std::unique_ptr<PipelineHome> home_;
};

TEST_F(ArchiveTest, KeepsThePortfoliosDocumentsLinksThemAndAsksNothingTwice) {
  MessageRecorder messages;
  std::string log = home_->Run(20241205, 20241206);
  Expected expected = PortfolioDocuments(Output(), base_, {20241205, 20241206}, PortfolioCodes());
  ASSERT_FALSE(expected.kept.empty());
  ASSERT_FALSE(expected.gone.empty());
  ASSERT_FALSE(expected.retried.empty());
  // Exactly the portfolio's documents that the service gave as PDFs; no XBRL
  // archive without ArchiveXbrl.
  EXPECT_EQ(ArchivedFiles(Output()), expected.kept);
  EXPECT_TRUE(ArchivedFiles(Output(), ".zip").empty());
  for (const std::string& name : expected.kept)
    EXPECT_EQ(ReadTestFile(Output(name)).rfind("%PDF-", 0), 0u) << name;
  std::string gone = ReadTestFile(Output("Docs/_gone.txt"));
  for (const std::string& name : expected.gone) {
    std::string key = name.substr(5, 8) + " " + name.substr(14, 18);
    EXPECT_NE(gone.find(key + "\n"), std::string::npos) << key;
  }
  // Port.html and the company pages link the copies; every local link opens
  // a file; All.html keeps the service's links.
  // (Port.html leaves out the rows its filters drop: a copy of each row it
  // shows is linked, never the service's address.)
  int local = 0;
  for (const std::string& link : Links(ReadTestFile(Output("Port.html")))) {
    if (link.rfind("Docs/", 0) == 0) {
      ++local;
      EXPECT_TRUE(expected.kept.count(link)) << link;
      EXPECT_TRUE(TestPathExists(Output(link))) << link;
    } else {
      std::string id = DocumentIdOfLink(link);
      EXPECT_FALSE(expected.kept.count("Docs/" + id.substr(4, 8) + "/" + id + ".pdf")) << link;
    }
  }
  EXPECT_GT(local, 0);
  std::set<std::string> fromCompanyPages;
  for (const std::string& code : PortfolioCodes()) {
    if (!TestPathExists(Output("Indiv/" + code + ".html"))) continue;
    for (const std::string& link : Links(ReadTestFile(Output("Indiv/" + code + ".html"))))
      if (link.rfind("../Docs/", 0) == 0) fromCompanyPages.insert(link.substr(3));
  }
  EXPECT_EQ(fromCompanyPages, expected.kept);
  EXPECT_EQ(ReadTestFile(Output("All.html")).find("Docs/"), std::string::npos);
  EXPECT_NE(log.find(FormatString("資料: 保存 %zu 件、公開終了 %zu 件、次回に再試行 %zu 件 (Docs: %zu 件、",
                                  expected.kept.size(), expected.gone.size(), expected.retried.size(),
                                  expected.kept.size())),
            std::string::npos);
  EXPECT_NE(std::find(home_->observer.texts.begin(), home_->observer.texts.end(),
                      FormatString("資料を保存中 (%zu/%zu)", expected.kept.size() + expected.gone.size() +
                                                               expected.retried.size(),
                                   expected.kept.size() + expected.gone.size() + expected.retried.size())),
            home_->observer.texts.end());

  // The next run asks only for the documents that came as HTML.
  log = home_->Run(20241205, 20241206);
  size_t asked = 0;
  for (size_t at = log.find("download document("); at != std::string::npos; at = log.find("download document(", at + 1))
    ++asked;
  EXPECT_EQ(asked, expected.retried.size());
  EXPECT_EQ(ArchivedFiles(Output()), expected.kept);
}

// With ArchiveXbrl the same companies' XBRL archives are kept beside their
// PDFs: only real ZIP archives, 403 and 404 recorded as gone, the others asked
// again by the next run, and nothing asked twice.
TEST_F(ArchiveTest, KeepsTheXbrlArchivesOfTheSameCompaniesWithArchiveXbrl) {
  Options().SetFlag(OptionKey::ArchiveXbrl, true);
  MessageRecorder messages;
  std::string log = home_->Run(20241205, 20241206);
  std::vector<uint32_t> days = {20241205, 20241206};
  Expected pdfs = PortfolioDocuments(Output(), base_, days, PortfolioCodes());
  Expected zips = PortfolioDocuments(Output(), base_, days, PortfolioCodes(), true);
  ASSERT_FALSE(zips.kept.empty());
  ASSERT_FALSE(zips.gone.empty() && zips.retried.empty());
  EXPECT_LT(zips.kept.size(), pdfs.kept.size()) << "only some disclosures have XBRL";
  EXPECT_EQ(ArchivedFiles(Output()), pdfs.kept);
  EXPECT_EQ(ArchivedFiles(Output(), ".zip"), zips.kept);
  for (const std::string& name : zips.kept)
    EXPECT_EQ(ReadTestFile(Output(name)).rfind(std::string("PK\x03\x04", 4), 0), 0u) << name;
  std::string gone = ReadTestFile(Output("Docs/_gone.txt"));
  for (const std::string& name : zips.gone)
    EXPECT_NE(gone.find(name.substr(5, 8) + " " + name.substr(14, 18) + ".zip\n"), std::string::npos) << name;
  size_t all = pdfs.kept.size() + pdfs.gone.size() + pdfs.retried.size() + zips.kept.size() + zips.gone.size() +
               zips.retried.size();
  EXPECT_NE(log.find(FormatString("資料: 保存 %zu 件、公開終了 %zu 件、次回に再試行 %zu 件 (Docs: %zu 件、",
                                  pdfs.kept.size() + zips.kept.size(), pdfs.gone.size() + zips.gone.size(),
                                  pdfs.retried.size() + zips.retried.size(), pdfs.kept.size() + zips.kept.size())),
            std::string::npos);
  EXPECT_NE(std::find(home_->observer.texts.begin(), home_->observer.texts.end(),
                      FormatString("資料を保存中 (%zu/%zu)", all, all)),
            home_->observer.texts.end());
  // Pages link the PDFs only.
  EXPECT_EQ(ReadTestFile(Output("Port.html")).find(".zip"), std::string::npos);

  log = home_->Run(20241205, 20241206);
  size_t asked = 0;
  for (size_t at = log.find("download document("); at != std::string::npos; at = log.find("download document(", at + 1))
    ++asked;
  EXPECT_EQ(asked, pdfs.retried.size() + zips.retried.size());
  EXPECT_EQ(ArchivedFiles(Output(), ".zip"), zips.kept);
}

// Weeks later the service has dropped those days: their copies and links stay,
// and a document now gone is recorded and never linked.
TEST_F(ArchiveTest, LinksKeepWorkingAfterTheServiceDroppedTheDays) {
  MessageRecorder messages;
  home_->Run(20241205, 20241206);
  std::set<std::string> kept = ArchivedFiles(Output());
  ASSERT_FALSE(kept.empty());
  std::string portBefore = ReadTestFile(Output("Port.html"));
  // The service keeps about a month: none of those days is asked again.
  SetEnvironment("VELKORA_TODAY", "20250301");
  home_->Run(20241205, 20250228);
  std::set<std::string> archived = ArchivedFiles(Output());
  EXPECT_TRUE(std::includes(archived.begin(), archived.end(), kept.begin(), kept.end()));
  std::set<std::string> before, after;
  for (const std::string& link : Links(portBefore))
    if (link.rfind("Docs/", 0) == 0) before.insert(link);
  for (const std::string& link : Links(ReadTestFile(Output("Port.html"))))
    if (link.rfind("Docs/", 0) == 0) after.insert(link);
  EXPECT_FALSE(before.empty());
  EXPECT_TRUE(std::includes(after.begin(), after.end(), before.begin(), before.end()));
  for (const std::string& link : after) EXPECT_TRUE(TestPathExists(Output(link))) << link;
  EXPECT_NE(ReadTestFile(Output("Docs/_gone.txt")).find("\n202502"), std::string::npos);
}

// A copy that cannot be written (here the archive's directory cannot be made,
// as on a full disk) is reported, links nothing and ends the step; the next run
// completes the archive.
TEST_F(ArchiveTest, AFailedWriteLinksNothingAndTheNextRunCompletesTheArchive) {
  WriteTestFile(Output("Docs"), "a file where the directory goes");
  MessageRecorder messages;
  std::string log = home_->Run(20241205, 20241206);
  EXPECT_FALSE(messages.messages.empty());
  size_t asked = 0;
  for (size_t at = log.find("download document("); at != std::string::npos; at = log.find("download document(", at + 1))
    ++asked;
  Expected expected = PortfolioDocuments(Output(), base_, {20241205, 20241206}, PortfolioCodes());
  EXPECT_LT(asked, expected.kept.size() + expected.gone.size() + expected.retried.size())
      << "the step ends at the first copy that cannot be written";
  EXPECT_EQ(ReadTestFile(Output("Port.html")).find("\"Docs/"), std::string::npos);
  fs::remove(Output("Docs"));
  home_->Run(20241205, 20241206);
  EXPECT_EQ(ArchivedFiles(Output()), expected.kept);
  EXPECT_NE(ReadTestFile(Output("Port.html")).find("\"Docs/"), std::string::npos);
}

// A document is read as bytes, whole up to the cap; a larger one is not kept.
TEST(FetchBytes, KeepsBytesUpToTheCapAndRefusesALargerBody) {
  if (FixtureUrl().empty()) GTEST_SKIP() << "needs the fixture server (tools/with-fixture)";
  HttpDownloader downloader;
  downloader.Open();
  FetchedPage page = FetchBytes(downloader, FixtureUrl() + "/size/300000", 300000);
  EXPECT_TRUE(page.IsPage());
  EXPECT_EQ(page.text.size(), 300000u);
  page = FetchBytes(downloader, FixtureUrl() + "/size/300001", 300000);
  EXPECT_EQ(page.failure, FetchFailure::kTooLarge);
  EXPECT_TRUE(page.text.empty());
}

}  // namespace
