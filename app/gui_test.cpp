// The main window driven by messages as a user would drive it: the states a
// fresh option file gives, edits, toggles and saving, runs against the fixture
// server, and the loop's exit. Window texts are read back as UTF-16 and compared
// with wide literals, so Japanese must arrive intact whatever Wine's locale.
#include <atomic>
#include <cstdlib>
#include <cwchar>
#include <map>
#include <thread>

#include "app/gui_testing.h"
#include "platform/dates.h"
#include "platform/files.h"
#include "platform/http.h"
#include "ui/dpi.h"

namespace {

using K = OptionKey;

std::string Wine(std::string path) {
  for (char& c : path)
    if (c == '/') c = '\\';
  return "Z:" + path;
}

std::wstring Wide(uint32_t number) { return std::to_wstring(number); }

// The observer of a run that shows nothing.
class QuietObserver : public WorkObserver {
 public:
  void ShowProgress(int, int, int) override {}
};

}  // namespace

// The test runs once per locale; make sure Wine really used it.
TEST_F(GuiTest, RunsUnderTheRequestedLocale) {
  const char* lang = std::getenv("LANG");
  if (!lang) GTEST_SKIP() << "no locale given";
  EXPECT_EQ(GetACP(), std::string(lang).rfind("ja_JP", 0) == 0 ? 932u : 1252u) << lang;
}

TEST_F(GuiTest, ControlsCarryTheirTextsInTableOrder) {
  StartApp();
  struct Expected {
    int number;
    const wchar_t* text;
  };
  const Expected table[] = {
      {1, L"----"}, {2, L"?"}, {3, L"ポートフォリオ"}, {4, L"開く"}, {7, L"全て"}, {9, L"  生成対象  "},
      {12, L"～"}, {14, L"  期間  "}, {15, L"特定の表題は非表示にする"}, {20, L"  まとめ html  "},
      {21, L"銘柄別 html"}, {23, L""}, {24, L"決算スケジュール html"}, {35, L"  更新の頻度  "},
      {42, L"未使用と思われる銘柄番号は除く"}, {45, L"IDリストを編集"}, {47, L"URL"}, {48, L"http://"},
      {50, L">"}, {52, L"  ポートフォリオ  "}, {56, L"TOKYO PRO MARKET銘柄"}, {64, L"sec1-7"},
      {67, L"  クイックリンク  "}, {72, L"  テーブルの設定  "}, {77, L"  共通オプション  "},
      {78, L"html保存パスの指定"}, {79, L"xlsチェックパスの指定"}, {80, L"実行"}, {81, L"キャンセル"},
  };
  for (const Expected& row : table) EXPECT_EQ(Text(row.number), row.text) << "control " << row.number;
  EXPECT_EQ(Text(Main().Handle()), L"Velkora");
  EXPECT_EQ(Text(Main().RadioItem(kPeriodGroup, 2)), L"過去１週間");
  EXPECT_EQ(Text(Main().RadioItem(kCycleGroup, 2)), L"指定の曜日を通過したら");
  // Creation order is the order of the window's children (and of Tab).
  std::map<HWND, int> position;
  int index = 0;
  for (HWND child = GetWindow(Main().Handle(), GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT))
    position[child] = index++;
  int last = -1;
  for (int number = 1; number <= kLastControl; ++number) {
    if (!Item(number)) continue;  // the radio groups are their items
    EXPECT_LT(last, position[Item(number)]) << number;
    last = position[Item(number)];
  }
}

TEST_F(GuiTest, LayoutKeepsTheAnchorsAndStaysInside) {
  StartApp();
  RECT client{};
  GetClientRect(Main().Handle(), &client);
  EXPECT_EQ(client.right, ScaleToDpi(545, Main().Dpi()));
  EXPECT_EQ(client.bottom, ScaleToDpi(756, Main().Dpi()));
  for (int number = 1; number <= kLastControl; ++number) {
    if (!Main().Control(number)) continue;
    RECT r = Main().Control(number)->Bounds();
    EXPECT_TRUE(r.left >= 0 && r.top >= 0 && r.right <= client.right && r.bottom <= client.bottom) << number;
  }
  // The anchors, in the layout's own pixels (96 DPI).
  client = RECT{0, 0, 545, 756};
  auto bounds = [&](int number) { return Main().Control(number)->LogicalBounds(); };
  EXPECT_EQ(bounds(52).left, bounds(8).right + 35);
  EXPECT_EQ(bounds(52).top, bounds(1).bottom + 24);
  EXPECT_EQ(bounds(80).bottom, client.bottom - 8);
  EXPECT_EQ(bounds(81).left, bounds(80).right + 10);
  EXPECT_LT(bounds(44).bottom, bounds(78).top);  // the left column ends above the bottom row
  EXPECT_LT(bounds(77).bottom, bounds(80).top);
  // The feeds' box sits between the common options and the bottom row.
  EXPECT_LT(bounds(77).bottom, bounds(kAtomFeedBox).top);
  EXPECT_LT(bounds(kAtomFeedBox).bottom, bounds(80).top);
  EXPECT_LT(bounds(kPortfolioFrame).bottom, bounds(kArchiveFrame).top);
  EXPECT_LT(bounds(kArchiveFrame).bottom, bounds(77).top);
  EXPECT_LT(bounds(kArchiveXbrlBox).bottom, bounds(kArchiveFrame).bottom);
  EXPECT_GT(bounds(kArchiveXbrlBox).top, bounds(kPortfolioFrame).bottom);
  EXPECT_GE(bounds(20).left, 0);
  EXPECT_LT(bounds(20).right, bounds(52).left);  // the columns do not overlap
}

TEST_F(GuiTest, FreshOptionFileGivesTheDefaultStates) {
  StartApp();
  EXPECT_FALSE(Checked(3));
  EXPECT_FALSE(Checked(5));
  EXPECT_TRUE(Checked(7));
  EXPECT_TRUE(Checked(Main().RadioItem(kPeriodGroup, 2)));
  EXPECT_TRUE(Checked(Main().RadioItem(kArchiveGroup, 1))) << "the portfolio's documents are kept";
  EXPECT_FALSE(Checked(kArchiveXbrlBox)) << "XBRL archives are not kept by default";
  uint32_t today = TodayDate();
  EXPECT_EQ(Text(11), Wide(AddDays(today, -7)));
  EXPECT_EQ(Text(13), Wide(today));
  EXPECT_FALSE(Enabled(11));
  EXPECT_FALSE(Enabled(13));
  EXPECT_FALSE(Enabled(8)) << "All.html was never made";
  for (int number : {25, 26, 27, 28, 29, 30, 33, 34, 36, 37, 38, 39, 40, 41, 42}) EXPECT_FALSE(Enabled(number)) << number;
  EXPECT_FALSE(IsWindowEnabled(Main().RadioItem(kCycleGroup, 0)));
  EXPECT_EQ(Text(33), L"-");
  EXPECT_EQ(Text(34), L"-");
  EXPECT_TRUE(Checked(55));
  EXPECT_TRUE(Checked(56));
  EXPECT_FALSE(Checked(59)) << "ETF is off while full company names are off";
  EXPECT_FALSE(Enabled(59));
  EXPECT_TRUE(Checked(42));
  EXPECT_FALSE(Enabled(81));
  EXPECT_TRUE(Enabled(80));
  EXPECT_TRUE(Enabled(45));
  EXPECT_FALSE(Enabled(48));

  Click(24);  // the schedule frame
  EXPECT_TRUE(Enabled(25));
  EXPECT_TRUE(Enabled(34));
  EXPECT_EQ(Text(34), L"土");
  EXPECT_EQ(Text(33), L"-");
  EXPECT_FALSE(Enabled(33));
  EXPECT_FALSE(Enabled(26)) << "PortSche.html was never made";
}

TEST_F(GuiTest, OpenButtonFollowsItsPage) {
  std::string output = MakeOutput();
  StartApp();
  EXPECT_FALSE(Enabled(8));
  WriteTestFile(output + "/All.html", "<html/>");
  Click(7);
  Click(7);  // off and on again: the rule looks at the file anew
  EXPECT_TRUE(Enabled(8));
  Click(7);
  EXPECT_FALSE(Enabled(8));
}

TEST_F(GuiTest, EditsCommitOnLeavingAndOnEnter) {
  StartApp();
  Click(24);
  Click(Main().RadioItem(kCycleGroup, 1));
  EXPECT_TRUE(Enabled(33));
  EXPECT_EQ(Text(33), L"1");
  EXPECT_FALSE(Enabled(34));
  Type(33, L"3.7");
  EXPECT_EQ(Options().Int(K::StScheDaySpan), 3);
  Type(33, L"x");
  EXPECT_EQ(Text(33), L"3") << "the stored value comes back";
  EXPECT_EQ(Options().Int(K::StScheDaySpan), 3);

  Click(Main().RadioItem(kCycleGroup, 2));
  EXPECT_EQ(Text(33), L"-");
  TypeAndEnter(Item(34), L"月");
  EXPECT_EQ(Options().Int(K::StScheDayOfWeek), 1);
  EXPECT_NE(GetFocus(), Item(34)) << "Enter gives the focus up";
  Type(34, L"Mon");
  EXPECT_EQ(Text(34), L"月");
  EXPECT_EQ(Options().Int(K::StScheDayOfWeek), 1);

  Type(37, L"x");  // 36 is on by default: nothing happens
  EXPECT_EQ(Options().Int(K::StScheRecheckAboutDay), 10);
  Type(37, L"12.9");
  EXPECT_EQ(Options().Int(K::StScheRecheckAboutDay), 12);

  Click(63);
  Type(64, L"sec9-1");
  EXPECT_EQ(Options().Text(K::GMOServer), "sec9-1");
  Click(46);
  Type(48, L"http://example.test/a?b=1&c=\"2\"");
  EXPECT_EQ(Options().Text(K::WebPortUrl), "http://example.test/a?b=1&c=\"2\"");
  EXPECT_EQ(Options().Raw("Option", "WebPortUrl", ""), "http://example.test/a?b=1&amp;c=&quot;2&quot;");
}

TEST_F(GuiTest, TogglesAreStoredWhenTheWindowCloses) {
  StartApp();
  Click(55);  // green sheet off
  Click(73);  // full names on: the market filters become usable
  EXPECT_TRUE(Enabled(59));
  Click(59);
  Click(74);
  EXPECT_TRUE(Checked(59));
  Click(73);  // off again: the dependent boxes go off
  EXPECT_FALSE(Checked(59));
  EXPECT_FALSE(Checked(74));
  Click(3);
  EXPECT_TRUE(Options().Flag(K::IgnoreGR)) << "a toggle alone writes nothing";
  Click(Main().RadioItem(kPeriodGroup, 1));
  EXPECT_EQ(Text(11), Wide(TodayDate()));
  CloseApp();
  OptionStore store;
  EXPECT_FALSE(store.Flag(K::IgnoreGR));
  EXPECT_FALSE(store.Flag(K::IgnoreETF)) << "shown off, stored off";
  EXPECT_TRUE(store.Flag(K::EnableHtmlPort));
  EXPECT_EQ(store.Int(K::PeriodType), 1);
  EXPECT_EQ(store.Date(K::PeriodSt), TodayDate());
  EXPECT_GE(store.RawInt("WindowSize_Main", "x", -1), 0);
  EXPECT_EQ(store.RawInt("WindowSize_Main", "w", -1), -1) << "a fixed size is not saved";
}

TEST_F(GuiTest, LegacyOptionFileIsTakenOver) {
  WriteTestFile(home_ / "VelkorraOption.ini", "[Option]\r\nEnableHtmlPort=1\r\nPeriodType=3\r\n"
                                              "PeriodSt=20240101\r\nPeriodEd=20240105\r\n");
  WriteTestFile(home_ / "VelkoraOption.ini", "[Option]\r\nEnableHtmlPort=0\r\n");
  StartApp();
  EXPECT_FALSE(TestPathExists(home_ / "VelkorraOption.ini"));
  EXPECT_TRUE(Checked(3));
  EXPECT_EQ(Text(11), L"20240101");
  EXPECT_EQ(Text(13), L"20240105");
  EXPECT_TRUE(Enabled(11));
}

TEST_F(GuiTest, RunRefusesPeriodsThatAreNotDates) {
  MakeOutput();
  StartApp();
  Click(Main().RadioItem(kPeriodGroup, 3));
  for (const wchar_t* text : {L"20240230", L"2024041", L"abc", L"20241301"}) {
    messages_->messages.clear();
    Type(11, text);
    Type(13, L"20240410");
    Click(80);
    EXPECT_FALSE(Controller().Running()) << Sjis(text);
    std::string quoted = "<";
    quoted.append(Sjis(text)).append(">");
    EXPECT_TRUE(Reported(quoted)) << Sjis(text);
    EXPECT_TRUE(Enabled(80));
    EXPECT_FALSE(Enabled(81));
  }
  EXPECT_EQ(Options().Int(K::PeriodType), 2) << "nothing was saved";
}

// Dates typed the wrong way round: the run, the edits and the option file all
// go from the earlier day, and the window says so.
TEST_F(GuiTest, AReversedPeriodIsSwappedWithAMessage) {
  MakeOutput();
  Preset(K::TdnetBaseUrl, "http://127.0.0.1:9/inbs/");  // downloads fail at once
  StartApp();
  Click(Main().RadioItem(kPeriodGroup, 3));
  Type(11, L"20240410");
  Type(13, L"20240401");
  Click(80);
  EXPECT_TRUE(Reported("入れ替えました"));
  EXPECT_EQ(Text(11), L"20240401");
  EXPECT_EQ(Text(13), L"20240410");
  EXPECT_EQ(Options().Date(K::PeriodSt), 20240401u);
  EXPECT_EQ(Options().Date(K::PeriodEd), 20240410u);
  Controller().CancelWorkTask();
  // Closing the window stores typed dates in order too.
  Type(11, L"20240412");
  CloseApp();
  OptionStore store;
  EXPECT_EQ(store.Date(K::PeriodSt), 20240410u);
  EXPECT_EQ(store.Date(K::PeriodEd), 20240412u);
}

// A run over a slow server: the window is in its running state, and "キャンセル"
// brings it back at once without a half-written day.
TEST_F(GuiTest, RunAndCancel) {
  if (FixtureUrl().empty()) GTEST_SKIP() << "needs the fixture server";
  std::string output = MakeOutput();
  Preset(K::TdnetBaseUrl, FixtureUrl() + "/fail/slow/300/inbs/");
  Preset(K::PeriodType, "3");
  Preset(K::PeriodSt, "20240410");
  Preset(K::PeriodEd, "20240401");
  StartApp();
  EXPECT_EQ(Text(11), L"20240401") << "the stored period is shown earlier day first";
  Click(80);
  ASSERT_TRUE(Controller().Running());
  for (int number = 1; number < 81; ++number) EXPECT_FALSE(Enabled(number)) << number;
  EXPECT_TRUE(Enabled(81));
  EXPECT_TRUE(RunLoopUntil([&] { return Text(1).find(L"の開示をダウンロード") != std::wstring::npos; }, 60));
  EXPECT_EQ(Text(1), L"20240401 (1) の開示をダウンロード") << "the smaller date first";
  Click(81);
  EXPECT_FALSE(Controller().Running());
  EXPECT_EQ(Text(1), L"----");
  EXPECT_TRUE(Enabled(80));
  EXPECT_FALSE(Enabled(81));
  EXPECT_TRUE(Enabled(11));
  EXPECT_EQ(Text(11), L"20240401") << "the period edits keep what they hold";
  EXPECT_FALSE(FileEntry((output + "/Raw/*.part").c_str()).ExistsPath()) << "a partial day was left";
}

TEST_F(GuiTest, CompleteRunEndsWithTheControlsUsable) {
  if (FixtureUrl().empty()) GTEST_SKIP() << "needs the fixture server";
  std::string output = MakeOutput();
  Preset(K::TdnetBaseUrl, FixtureUrl() + "/inbs/");
  Preset(K::PeriodType, "3");
  Preset(K::PeriodSt, "20240325");
  Preset(K::PeriodEd, "20240327");
  StartApp();
  Click(80);
  ASSERT_TRUE(Controller().Running());
  ASSERT_TRUE(RunLoopUntil([&] { return !Controller().Running(); }, 300));
  EXPECT_TRUE(Enabled(80));
  EXPECT_FALSE(Enabled(81));
  EXPECT_EQ(Text(1), L"----");
  for (uint32_t day : {20240325u, 20240326u, 20240327u})
    EXPECT_TRUE(TestPathExists(output + "/All/" + std::to_string(day) + ".html")) << day;
  // The run ends with All.html, and its "開く" button becomes usable.
  EXPECT_TRUE(TestPathExists(output + "/All.html"));
  EXPECT_TRUE(Enabled(8));
  EXPECT_TRUE(messages_->messages.empty()) << messages_->Texts().front();
}

// A run that keeps the portfolio's documents ends with its summary line on the
// progress line, and the company's page links a copy.
TEST_F(GuiTest, ARunKeepingDocumentsShowsItsSummary) {
  if (FixtureUrl().empty()) GTEST_SKIP() << "needs the fixture server";
  std::string output = MakeOutput();
  Preset(K::TdnetBaseUrl, FixtureUrl() + "/inbs/");
  Preset(K::PeriodType, "3");
  Preset(K::PeriodSt, "20240325");
  Preset(K::PeriodEd, "20240327");
  Preset(K::PortList, "7203, 6758, 8306, 9984, 1301");
  Preset(K::EnableHtmlPort, "1");
  StartApp();
  Click(80);
  ASSERT_TRUE(Controller().Running());
  ASSERT_TRUE(RunLoopUntil([&] { return !Controller().Running(); }, 300));
  EXPECT_EQ(Text(1).rfind(L"資料: 保存 ", 0), 0u) << Text(1);
  EXPECT_NE(Text(1).find(L"(Docs: "), std::wstring::npos) << Text(1);
  EXPECT_NE(ReadTestFile(output + "/Port.html").find("\"Docs/"), std::string::npos);
  EXPECT_TRUE(messages_->messages.empty()) << messages_->Texts().front();
}

TEST_F(GuiTest, ClosingDuringARunCancelsSavesAndEnds) {
  if (FixtureUrl().empty()) GTEST_SKIP() << "needs the fixture server";
  std::string output = MakeOutput();
  Preset(K::TdnetBaseUrl, FixtureUrl() + "/fail/slow/300/inbs/");
  StartApp();
  Click(3);
  Click(Main().RadioItem(kArchiveGroup, 2));
  Click(kArchiveXbrlBox);
  Click(80);
  ASSERT_TRUE(Controller().Running());
  EXPECT_TRUE(RunLoopUntil([&] { return Text(1).find(L"の開示をダウンロード") != std::wstring::npos; }, 60));
  SendMessageW(Main().Handle(), WM_CLOSE, 0, 0);
  EXPECT_FALSE(Controller().Running());
  EXPECT_FALSE(Main().Exists());
  EXPECT_EQ(Window::TopLevelCount(), 0);
  EXPECT_EQ(app_->Run(), 0) << "the loop ends at once without windows";
  EXPECT_TRUE(Options().Flag(K::EnableHtmlPort));
  EXPECT_EQ(Options().Int(K::ArchivePdf), 2);
  EXPECT_TRUE(Options().Flag(K::ArchiveXbrl));
  EXPECT_FALSE(FileEntry((output + "/Raw/*.part").c_str()).ExistsPath());
}

// A second copy of the program on the same output directory (here a controller
// of its own, holding the directory's lock) makes the run command refuse with a
// message box; the window stays idle and runs once the other copy is done.
TEST_F(GuiTest, SecondInstanceOnTheSameOutputIsRefused) {
  if (FixtureUrl().empty()) GTEST_SKIP() << "needs the fixture server";
  MakeOutput();
  Preset(K::TdnetBaseUrl, FixtureUrl() + "/fail/slow/300/inbs/");
  StartApp();
  // The other copy shows its progress nowhere: with this window as its
  // observer, its start would put the window into its running state, and the
  // click below would fall on a disabled button.
  QuietObserver quiet;
  UserLists otherLists;
  auto other = std::make_unique<WorkController>(quiet, otherLists);
  ASSERT_TRUE(other->StartRun(20240401, 20240402, 0, false));
  ASSERT_TRUE(Enabled(80));
  std::wstring seen = ShownInABox([&] { Click(80); });
  EXPECT_NE(seen.find(L"は別の実行が使用中です"), std::wstring::npos) << Sjis(seen);
  EXPECT_FALSE(Controller().Running());
  EXPECT_TRUE(Enabled(80));
  EXPECT_FALSE(Enabled(81));
  EXPECT_TRUE(Enabled(3));
  EXPECT_EQ(Text(1), L"----");
  other.reset();  // the other copy ends and lets the directory go
  Click(80);
  EXPECT_TRUE(Controller().Running());
  Click(81);
  EXPECT_FALSE(Controller().Running());
  EXPECT_TRUE(messages_->messages.empty()) << messages_->Texts().front();
}

// The picture of the main window for the documentation: the test announces the
// window's rectangle and waits (pumping messages, so it stays painted) until the
// screen has been captured.
TEST_F(GuiTest, Screenshot) {
  const char* ready = std::getenv("VELKORA_SHOT_READY");
  const char* done = std::getenv("VELKORA_SHOT_DONE");
  if (!ready || !done) GTEST_SKIP() << "no screenshot requested";
  StartApp();
  RECT bounds{};
  GetWindowRect(Main().Handle(), &bounds);
  std::string geometry = std::to_string(bounds.right - bounds.left) + "x" +
                         std::to_string(bounds.bottom - bounds.top) + "+" + std::to_string(bounds.left) + "+" +
                         std::to_string(bounds.top);
  std::string donePath = Wine(done);
  WriteTestFile(Wine(ready), geometry + "\n");
  EXPECT_TRUE(RunLoopUntil([&] { return TestPathExists(donePath); }, 30));
}

// A cancel or a close while a page downloads (a page that answers after a
// minute): the download is given up at once and the request takes effect.
class SlowDownloadTest : public GuiTest {
 protected:
  // Starts a run of today, and once the progress line shows the download (the
  // step is then waiting for the page), posts `message` to `target` from
  // another thread as a user's input arrives. Runs the loop until the run has
  // ended; returns the milliseconds from the post to the end, or -1.
  // `skip`: a progress text that does not count yet (a page that comes at once).
  long InterruptDownload(HWND target, UINT message, const wchar_t* skip = L"") {
    HWND main = Main().Handle(), progress = Item(1);
    std::atomic<DWORD> posted{0};
    std::thread user([&] {
      for (int i = 0; i < 3000; ++i, Sleep(20)) {
        wchar_t text[256] = {};
        InternalGetWindowText(progress, text, 256);  // sends nothing to the busy thread
        if (!std::wcsstr(text, L"の開示をダウンロード") || std::wcscmp(text, skip) == 0) continue;
        DWORD_PTR result = 0;
        answered_ = SendMessageTimeoutW(main, WM_NULL, 0, 0, SMTO_NORMAL, 5000, &result) != 0;
        posted = GetTickCount();
        PostMessageW(target, message, 0, 0);
        return;
      }
    });
    bool ended = RunLoopUntil([&] { return !Controller().Running(); }, 180);
    DWORD end = GetTickCount();
    user.join();
    return ended && posted ? static_cast<long>(end - posted) : -1;
  }

  std::string StartSlowRun() {
    std::string output = MakeOutput();
    Preset(K::TdnetBaseUrl, FixtureUrl() + "/fail/slow/60000/inbs/");
    Preset(K::PeriodType, "1");
    StartApp();
    Click(80);
    EXPECT_TRUE(Controller().Running());
    return output;
  }

  bool answered_ = false;
};

TEST_F(SlowDownloadTest, CancelEndsTheDownloadInProgress) {
  if (FixtureUrl().empty()) GTEST_SKIP() << "needs the fixture server";
  std::string output = StartSlowRun();
  long elapsed = InterruptDownload(Item(81), BM_CLICK);
  ASSERT_GE(elapsed, 0) << "the run did not end";
  EXPECT_LT(elapsed, 10000) << "the cancel waited for the page";
  EXPECT_TRUE(answered_) << "the window did not answer during the download";
  EXPECT_TRUE(DownloadsAborted()) << "the cancel came outside the download";
  EXPECT_FALSE(FileEntry((output + "/Raw/*.part").c_str()).ExistsPath());
  EXPECT_EQ(Text(1), L"----");
  EXPECT_TRUE(Enabled(80));
  EXPECT_FALSE(Enabled(81));
  EXPECT_TRUE(messages_->messages.empty()) << messages_->Texts().front();
  Click(80);  // usable: the next run starts
  EXPECT_TRUE(Controller().Running());
  EXPECT_FALSE(DownloadsAborted());
  Click(81);
  EXPECT_FALSE(Controller().Running());
}

// The pause between two requests to one host (a minute here) ends at once on
// a cancel, and the window answers while it lasts.
TEST_F(SlowDownloadTest, CancelEndsThePauseBetweenTwoRequests) {
  if (FixtureUrl().empty()) GTEST_SKIP() << "needs the fixture server";
  MakeOutput();
  Preset(K::TdnetBaseUrl, FixtureUrl() + "/inbs/");
  Preset(K::RequestIntervalMs, "60000");
  Preset(K::PeriodType, "3");
  Preset(K::PeriodSt, "20240325");
  Preset(K::PeriodEd, "20240327");
  StartApp();
  Click(80);
  ASSERT_TRUE(Controller().Running());
  long elapsed = InterruptDownload(Item(81), BM_CLICK, L"20240325 (1) の開示をダウンロード");
  ASSERT_GE(elapsed, 0) << "the run did not end";
  EXPECT_LT(elapsed, 10000) << "the cancel waited for the pause";
  EXPECT_TRUE(answered_) << "the window did not answer during the pause";
  EXPECT_EQ(Text(1), L"----");
  EXPECT_TRUE(Enabled(80));
  EXPECT_TRUE(messages_->messages.empty()) << messages_->Texts().front();
}

TEST_F(SlowDownloadTest, CloseEndsTheDownloadInProgress) {
  if (FixtureUrl().empty()) GTEST_SKIP() << "needs the fixture server";
  std::string output = StartSlowRun();
  long elapsed = InterruptDownload(Main().Handle(), WM_CLOSE);
  ASSERT_GE(elapsed, 0) << "the run did not end";
  EXPECT_LT(elapsed, 10000) << "the close waited for the page";
  EXPECT_TRUE(answered_);
  EXPECT_TRUE(DownloadsAborted());
  EXPECT_FALSE(Main().Exists());
  EXPECT_EQ(Window::TopLevelCount(), 0);
  EXPECT_EQ(app_->Run(), 0);
  EXPECT_GE(Options().RawInt("WindowSize_Main", "x", -1), 0) << "the window's place was not saved";
  EXPECT_FALSE(FileEntry((output + "/Raw/*.part").c_str()).ExistsPath());
  EXPECT_TRUE(messages_->messages.empty()) << messages_->Texts().front();
}
