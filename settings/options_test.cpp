#include "settings/options.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <set>
#include <string>

#include "platform/diagnostics.h"
#include "platform/files.h"
#include "platform/testing/test_support.h"
#include "settings/site_urls.h"

#ifndef _WIN32
#include <unistd.h>
#endif

namespace {

using K = OptionKey;

// A store on "VelkoraOption.ini" in a fresh directory.
struct StoreFixture {
  TempDir dir;
  std::string path = dir / "VelkoraOption.ini";
  OptionStore store{path};
};

// Points the home directory at a temporary directory for one test.
class ScopedHome {
 public:
  explicit ScopedHome(const std::string& directory) : previous_(HomeDirectory()) {
    EXPECT_TRUE(SetHomeDirectory(directory));
  }
  ~ScopedHome() { SetHomeDirectory(previous_); }

 private:
  std::string previous_;
};

TEST(OptionTable, RowsAreConsistent) {
  std::set<std::string> names;
  for (const OptionInfo& info : AllOptions()) {
    EXPECT_TRUE(names.insert(info.name).second) << "duplicate " << info.name;
    EXPECT_EQ(&InfoOf(info.key), &info);
  }
  EXPECT_EQ(AllOptions().size(), static_cast<size_t>(K::Count));
  EXPECT_EQ(FindOption("periodtype"), &InfoOf(K::PeriodType));
  EXPECT_EQ(FindOption("LastHtmlInertSBI"), &InfoOf(K::LastHtmlInertSBI));
  EXPECT_EQ(FindOption("LastHtmlInsertSBI"), nullptr);
  EXPECT_STREQ(InfoOf(K::ScheduleDat).section, "FileVer");
  EXPECT_STREQ(InfoOf(K::ReportBaseUrl).section, "Server");
}

TEST(OptionStore, DefaultsWithoutAFileAndReadsNeverCreateIt) {
  StoreFixture f;
  MessageRecorder recorder;
  for (const OptionInfo& info : AllOptions()) {
    if (info.type == OptionType::TextDate) continue;
    EXPECT_EQ(f.store.ReadAsText(info), info.defaultText) << info.name;
  }
  EXPECT_TRUE(f.store.Flag(K::EnableHtmlAll));
  EXPECT_FALSE(f.store.Flag(K::EnableHtmlPort));
  EXPECT_FALSE(f.store.Flag(K::EnableHtmlXls));
  EXPECT_EQ(f.store.Int(K::PeriodType), 2);
  EXPECT_EQ(f.store.Date(K::LastStSche), 19000101u);
  EXPECT_EQ(f.store.Date(K::LastUpdateIndiv), 19000101u);
  EXPECT_EQ(f.store.Text(K::LastDownload), "");
  EXPECT_EQ(f.store.Text(K::HtmlDataDir), "入力して下さい");
  EXPECT_EQ(f.store.Text(K::WebPortPreWord), ">");
  EXPECT_EQ(f.store.Text(K::TdnetBaseUrl), "https://www.release.tdnet.info/inbs/");
  EXPECT_FALSE(TestPathExists(f.path));
  EXPECT_TRUE(recorder.messages.empty());
}

TEST(OptionStore, FirstWriteCreatesTheFileAndWritesKeepTheirSections) {
  StoreFixture f;
  ASSERT_TRUE(f.store.SetInt(K::PeriodType, 3));
  EXPECT_EQ(ReadTestFile(f.path), "[Option]\r\nPeriodType=3\r\n");
  ASSERT_TRUE(f.store.SetInt(K::LastUpdateIndiv, 20240331));
  ASSERT_TRUE(f.store.SetFlag(K::EnableHtmlPort, true));
  ASSERT_TRUE(f.store.SetInt(K::PeriodSt, -5));
  EXPECT_EQ(ReadTestFile(f.path),
            "[Option]\r\nPeriodType=3\r\nEnableHtmlPort=1\r\nPeriodSt=-5\r\n\r\n"
            "[Status]\r\nLastUpdateIndiv=20240331\r\n");
  EXPECT_EQ(f.store.Date(K::LastUpdateIndiv), 20240331u);
  EXPECT_EQ(f.store.Raw("Option", "EnableHtmlPort", ""), "1");
}

TEST(OptionStore, HandEditedValues) {
  StoreFixture f;
  WriteTestFile(f.path,
                "[Option]\r\nEnableHtmlXls=5\r\nEnableHtmlAll=0\r\nPeriodType=7\r\nStScheDayOfWeek=-1\r\n"
                "StScheDaySpan=abc\r\nDebugLogLevel=\r\n"
                "[Status]\r\nLastStSche=abc\r\nLastStScheHtml=20240315xyz\r\n");
  EXPECT_TRUE(f.store.Flag(K::EnableHtmlXls));   // any non-zero integer is on
  EXPECT_FALSE(f.store.Flag(K::EnableHtmlAll));
  EXPECT_EQ(f.store.Int(K::PeriodType), 2);      // out of range: the default
  EXPECT_EQ(f.store.Int(K::StScheDayOfWeek), 6);
  EXPECT_EQ(f.store.Int(K::StScheDaySpan), 0);   // not a number: 0
  EXPECT_EQ(f.store.Int(K::DebugLogLevel), 0);   // empty: the default
  EXPECT_EQ(f.store.Date(K::LastStSche), 19000101u);
  EXPECT_EQ(f.store.Date(K::LastStScheHtml), 20240315u);
  EXPECT_EQ(f.store.ReadAsText(InfoOf(K::EnableHtmlXls)), "1");
}

TEST(OptionStore, HandEditedNumbersBeyondTheirRangeReadAsDefaults) {
  StoreFixture f;
  WriteTestFile(f.path,
                "[Option]\r\nPeriodSt=99999999999999999999\r\nPeriodEd=20241399\r\nDebugLogLevel=5\r\n"
                "StScheDaySpan=4294967297\r\nStScheRecheckEmptyDay=-1\r\nEnableHtmlAll=99999999999\r\n"
                "[Status]\r\nLastStSche=99999999999999999999\r\nLastStScheHtml=2024\r\n"
                "LastUpdateIndiv=-20240101\r\nLastDownload=20240229x\r\n");
  EXPECT_EQ(f.store.Date(K::PeriodSt), 20010101u);
  EXPECT_EQ(f.store.Date(K::PeriodEd), 20010101u);
  EXPECT_EQ(f.store.Int(K::DebugLogLevel), 0);
  EXPECT_EQ(f.store.Int(K::StScheDaySpan), 1);
  EXPECT_EQ(f.store.Int(K::StScheRecheckEmptyDay), 90);
  EXPECT_TRUE(f.store.Flag(K::EnableHtmlAll));  // the default, 1
  EXPECT_EQ(f.store.Date(K::LastStSche), 19000101u);
  EXPECT_EQ(f.store.Date(K::LastStScheHtml), 19000101u);
  EXPECT_EQ(f.store.Date(K::LastUpdateIndiv), 19000101u);
  uint32_t date = 0;
  EXPECT_TRUE(f.store.ReadDate(K::LastDownload, date));
  EXPECT_EQ(date, 20240229u);
  EXPECT_FALSE(f.store.ReadDate(K::LastStSche, date));
}

// An editor saved the file as UTF-8 with a byte-order mark: every value is
// kept, a warning says once that the file goes back to Shift_JIS.
TEST(OptionStore, Utf8FileWithByteOrderMarkKeepsItsValues) {
  StoreFixture f;
  WriteTestFile(f.path, "\xEF\xBB\xBF[Option]\r\nHtmlDataDir=D:\\\xE6\xA0\xAA\\\r\nPeriodType=1\r\n"
                        "KeyHighlightList=\xE6\xB1\xBA\xE7\xAE\x97\r\n");
  MessageRecorder recorder;
  EXPECT_EQ(f.store.Text(K::HtmlDataDir), "D:\\株\\");
  EXPECT_EQ(f.store.Int(K::PeriodType), 1);
  EXPECT_EQ(f.store.Text(K::KeyHighlightList), "決算");
  ASSERT_TRUE(f.store.SetInt(K::PeriodType, 3));
  EXPECT_EQ(ReadTestFile(f.path), "[Option]\r\nHtmlDataDir=D:\\株\\\r\nPeriodType=3\r\nKeyHighlightList=決算\r\n");
  ASSERT_EQ(recorder.messages.size(), 1u);
  EXPECT_EQ(recorder.messages[0].severity, kSeverityWarning);
  EXPECT_EQ(recorder.messages[0].text, "オプションファイル<" + f.store.Path() +
                                           ">は UTF-8 で保存されています。次に設定を保存するとき Shift_JIS で書き直します");
}

TEST(OptionStore, EscapedTextsRoundTrip) {
  StoreFixture f;
  ASSERT_TRUE(f.store.SetText(K::PortList, "7203, 6758\r\n9984\n<a>&\"'表"));
  EXPECT_EQ(f.store.Raw("option", "portlist", ""), "7203, 6758&cr;9984&cr;&lt;a&gt;&amp;&quot;&apos;表");
  EXPECT_EQ(f.store.Text(K::PortList), "7203, 6758\r\n9984\r\n<a>&\"'表");
  // Plain texts are stored as they are.
  ASSERT_TRUE(f.store.SetText(K::GMOServer, "a&b"));
  EXPECT_EQ(f.store.Raw("Option", "GMOServer", ""), "a&b");
}

TEST(OptionStore, LongTextIsCutInItsStoredForm) {
  StoreFixture f;
  // A hand-edited value of 4000 stored bytes: 2047 of them are 511 "&lt;" and
  // a dangling "&lt".
  ASSERT_TRUE(f.store.SetRaw("Option", "PortList", EscapeEntities(std::string(1000, '<'))));
  EXPECT_EQ(f.store.Text(K::PortList), std::string(511, '<') + "&lt");
  ASSERT_TRUE(f.store.SetRaw("Option", "GMOServer", std::string(3000, 'g')));
  EXPECT_EQ(f.store.Text(K::GMOServer).size(), kMaxOptionText);
}

TEST(OptionStore, TextsThatWouldReadBackCutAreRefused) {
  StoreFixture f;
  MessageRecorder recorder;
  EXPECT_FALSE(f.store.SetText(K::PortList, std::string(512, '<')));  // 2048 stored bytes
  EXPECT_FALSE(f.store.SetText(K::GMOServer, std::string(2048, 'g')));
  EXPECT_FALSE(TestPathExists(f.path));
  EXPECT_EQ(recorder.Texts(), (std::vector<std::string>{
                                  "オプション<PortList>の値が長すぎます (保存する形で 2048 バイト、上限 2047 バイト)",
                                  "オプション<GMOServer>の値が長すぎます (保存する形で 2048 バイト、上限 2047 バイト)"}));
  ASSERT_TRUE(f.store.SetText(K::PortList, std::string(511, '<') + "123"));  // 2047 stored bytes
  EXPECT_EQ(f.store.Text(K::PortList), std::string(511, '<') + "123");
}

TEST(EscapeEntities, ExamplesAndRoundTrips) {
  EXPECT_EQ(EscapeEntities("a\r\nb\rc\nd"), "a&cr;b&cr;c&cr;d");
  EXPECT_EQ(EscapeEntities("\r\n\r\n"), "&cr;&cr;");
  EXPECT_EQ(EscapeEntities("<x y=\"1\" z='2'>&"), "&lt;x y=&quot;1&quot; z=&apos;2&apos;&gt;&amp;");
  EXPECT_EQ(EscapeEntities("表ソ"), "表ソ");
  EXPECT_EQ(UnescapeEntities("&amp;lt;"), "&lt;");
  EXPECT_EQ(UnescapeEntities("a&cr;b"), "a\r\nb");
  EXPECT_EQ(UnescapeEntities("&foo; & &cr &amp"), "&foo; & &cr &amp");
  for (std::string text : {"&lt;", "a\r\nb", "x&amp;y", "\"'<>&", ""}) {
    EXPECT_EQ(UnescapeEntities(EscapeEntities(text)), text);
  }
}

TEST(OptionStore, WriteFromTextValidates) {
  StoreFixture f;
  MessageRecorder recorder;
  struct Case {
    K key;
    const char* text;
    bool accepted;
  } cases[] = {
      {K::PeriodType, "abc", false}, {K::PeriodType, "9", false},      {K::PeriodType, "1", true},
      {K::EnableHtmlAll, "2", false}, {K::EnableHtmlAll, "0", true},   {K::PeriodSt, "20240230", false},
      {K::PeriodSt, "2024031", false}, {K::PeriodSt, "20240229", true}, {K::LastStSche, "20240301", true},
      {K::StScheDaySpan, "99999999999", false}, {K::StScheDaySpan, "-3", false}, {K::StScheDaySpan, "30", true},
      {K::DebugLogLevel, "5", false}, {K::DebugLogLevel, "-1", false}, {K::DebugLogLevel, "2", true},
      {K::GMOServer, "a\nb", false},  {K::WebPortPreWord, "a\nb", true},
  };
  for (const Case& c : cases) {
    const OptionInfo& info = InfoOf(c.key);
    EXPECT_EQ(f.store.WriteFromText(info, c.text), c.accepted) << info.name << "=" << c.text;
  }
  EXPECT_EQ(recorder.messages.size(), 10u);
  EXPECT_EQ(recorder.messages[0].text, "オプション<PeriodType>の値<abc>は不正です");
  EXPECT_EQ(recorder.messages[0].severity, 0);
  EXPECT_EQ(f.store.ReadAsText(InfoOf(K::PeriodType)), "1");
  EXPECT_EQ(f.store.ReadAsText(InfoOf(K::EnableHtmlAll)), "0");
  EXPECT_EQ(f.store.ReadAsText(InfoOf(K::LastStSche)), "20240301");
  EXPECT_EQ(f.store.Text(K::WebPortPreWord), "a\r\nb");
}

TEST(OptionStore, RefusedValueLeavesNoFile) {
  StoreFixture f;
  MessageRecorder recorder;
  EXPECT_FALSE(f.store.WriteFromText(InfoOf(K::PeriodType), "x"));
  EXPECT_FALSE(TestPathExists(f.path));
}

TEST(OptionStore, FailedWriteReportsAndKeepsTheFile) {
  TempDir dir;
  std::filesystem::create_directory(dir / "VelkoraOption.ini");  // cannot be read nor replaced
  OptionStore store(dir / "VelkoraOption.ini");
  MessageRecorder recorder;
  EXPECT_FALSE(store.SetInt(K::PeriodType, 2));
  ASSERT_EQ(recorder.messages.size(), 1u);
  EXPECT_EQ(recorder.messages[0].severity, 0);
  EXPECT_EQ(recorder.messages[0].text, "WritePrivateProfileString に失敗<PeriodType,2>");
  EXPECT_EQ(store.Int(K::PeriodType), 2);  // reads still give the default, silently
  EXPECT_EQ(recorder.messages.size(), 1u);
}

TEST(OptionStore, ReadOnlyFileKeepsItsValue) {
  StoreFixture f;
  WriteTestFile(f.path, "[Option]\r\nPeriodType=1\r\n");
  FileEntry file(f.path.c_str());
  ASSERT_TRUE(file.SetAttributes(kAttributeReadOnly));
  MessageRecorder recorder;
  EXPECT_FALSE(f.store.SetInt(K::PeriodType, 2));
  EXPECT_EQ(recorder.Texts(), std::vector<std::string>{"WritePrivateProfileString に失敗<PeriodType,2>"});
  EXPECT_EQ(ReadTestFile(f.path), "[Option]\r\nPeriodType=1\r\n");
  EXPECT_EQ(f.store.Int(K::PeriodType), 1);
  ASSERT_TRUE(file.SetAttributes(kAttributeNormal));
  EXPECT_TRUE(f.store.SetInt(K::PeriodType, 2));
}

TEST(OptionStore, UnwritableDirectoryKeepsTheFile) {
  StoreFixture f;
  WriteTestFile(f.path, "[Option]\r\nPeriodType=1\r\n");
#ifdef _WIN32
  GTEST_SKIP() << "directory permissions are not modelled under Windows";
#else
  if (geteuid() == 0) GTEST_SKIP() << "permissions do not stop root";
  namespace fs = std::filesystem;
  fs::permissions(f.dir.Path(), fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write,
                  fs::perm_options::remove);
  MessageRecorder recorder;
  EXPECT_FALSE(f.store.SetInt(K::PeriodType, 2));
  EXPECT_EQ(recorder.Texts(), std::vector<std::string>{"WritePrivateProfileString に失敗<PeriodType,2>"});
  fs::permissions(f.dir.Path(), fs::perms::owner_all);
  EXPECT_EQ(ReadTestFile(f.path), "[Option]\r\nPeriodType=1\r\n");
#endif
}

TEST(OptionStore, DefaultPathAndGlobalReference) {
  TempDir home;
  ScopedHome scoped(home.Path());
  EXPECT_FALSE(HasOptions());
  {
    OptionStore store;
    EXPECT_EQ(store.Path(), home / "VelkoraOption.ini");
    EXPECT_EQ(&Options(), &store);
    EXPECT_TRUE(Options().SetInt(K::CoProfDat, 1));
  }
  EXPECT_FALSE(HasOptions());
  EXPECT_EQ(ReadTestFile(home / "VelkoraOption.ini"), "[FileVer]\r\nCoProfDat=1\r\n");
}

TEST(MoveLegacyOptionFile, OlderFileReplacesTheNewerOne) {
  TempDir home;
  ScopedHome scoped(home.Path());
  MessageRecorder recorder;
  EXPECT_TRUE(MoveLegacyOptionFile());  // nothing to move
  EXPECT_FALSE(TestPathExists(home / "VelkoraOption.ini"));
  WriteTestFile(home / "VelkorraOption.ini", "[Option]\r\nPeriodType=0\r\n");
  WriteTestFile(home / "VelkoraOption.ini", "[Option]\r\nPeriodType=3\r\n");
  EXPECT_TRUE(MoveLegacyOptionFile());
  EXPECT_FALSE(TestPathExists(home / "VelkorraOption.ini"));
  EXPECT_EQ(ReadTestFile(home / "VelkoraOption.ini"), "[Option]\r\nPeriodType=0\r\n");
  EXPECT_TRUE(recorder.messages.empty());
}

TEST(MoveLegacyOptionFile, FailureIsReported) {
  TempDir home;
  ScopedHome scoped(home.Path());
  WriteTestFile(home / "VelkorraOption.ini", "x");
  std::filesystem::create_directory(home / "VelkoraOption.ini");
  MessageRecorder recorder;
  EXPECT_FALSE(MoveLegacyOptionFile());
  EXPECT_EQ(recorder.Texts(), std::vector<std::string>{"MoveFileEx に失敗"});
  EXPECT_TRUE(TestPathExists(home / "VelkorraOption.ini"));
}

}  // namespace

TEST(SiteUrls, TemplatesAndTheBaseAddressesOfEarlierVersions) {
  StoreFixture f;
  auto quote = [&](int code) { return ReadSiteAddresses(f.store).QuotePage(Code(code)); };
  auto report = [&](int code) { return ReadSiteAddresses(f.store).ReportPage(Code(code)); };
  // Defaults: today's quote path and the report page.
  EXPECT_EQ(quote(7203), "https://finance.yahoo.co.jp/quote/7203.T");
  EXPECT_EQ(report(1301), "https://kabuyoho.ifis.co.jp/index.php?action=tp1&sa=report&bcode=1301");
  EXPECT_EQ(ReadSiteAddresses(f.store).tdnetBase, "https://www.release.tdnet.info/inbs/");
  // An option file of an earlier version, with only the base addresses.
  ASSERT_TRUE(f.store.SetRaw("Server", "QuoteBaseUrl", "http://127.0.0.1:8080"));
  ASSERT_TRUE(f.store.SetRaw("Server", "ReportBaseUrl", "http://127.0.0.1:8081/"));
  EXPECT_EQ(quote(1001), "http://127.0.0.1:8080/stocks/detail/?code=1001");
  EXPECT_EQ(report(9999), "http://127.0.0.1:8081//index.php?sa=report&bcode=9999");
  // A template wins over the base address; the old form stays expressible.
  ASSERT_TRUE(f.store.SetText(K::QuoteUrlTemplate, "http://q/stocks/detail/?code={code}&again={code}"));
  ASSERT_TRUE(f.store.SetText(K::ReportUrlTemplate, "http://r/{code}"));
  EXPECT_EQ(quote(7203), "http://q/stocks/detail/?code=7203&again=7203");
  EXPECT_EQ(report(42), "http://r/0042");
  EXPECT_EQ(FillUrlTemplate("no placeholder", Code(7203)), "no placeholder");
  EXPECT_EQ(FillUrlTemplate("{code", Code(7203)), "{code");
  EXPECT_EQ(FillUrlTemplate("/q/{code}.T", *Code::FromText("285A")), "/q/285A.T");
  EXPECT_EQ(f.store.Int(K::RequestIntervalMs), 1000);
}
