// The dialogs of the main window, the message boxes and the GDI selection stack.
#include "app/dialogs.h"
#include "app/gui_testing.h"
#include "platform/win32/wide.h"
#include "ui/gdi.h"

namespace {

using K = OptionKey;

}  // namespace

class DialogTest : public GuiTest {
 protected:
  // Opens the dialog of `id` with the main window's button `number`.
  ListDialog& OpenList(int number, int id) {
    Click(number);
    Window* dialog = Main().Dialog(id);
    EXPECT_NE(dialog, nullptr);
    EXPECT_FALSE(IsWindowEnabled(Main().Handle())) << "the dialog is modal";
    return *static_cast<ListDialog*>(dialog);
  }
  void Ok(Window& dialog) { Click(GetDlgItem(dialog.Handle(), IDOK)); }
  void CancelDialog(Window& dialog) { Click(GetDlgItem(dialog.Handle(), IDCANCEL)); }
};

TEST_F(DialogTest, PortfolioSavesParsesAndRefusesFormatErrors) {
  std::string output = MakeOutput();
  WriteTestFile(output + "/Port/20240401.html", "x");
  StartApp();
  ListDialog* dialog = &OpenList(45, kPortfolioDialogId);
  EXPECT_EQ(Text(dialog->Handle()), L"ポートフォリオ編集");
  Ok(*dialog);  // untouched: nothing saved, nothing removed
  EXPECT_EQ(Main().Dialog(kPortfolioDialogId), nullptr);
  EXPECT_TRUE(IsWindowEnabled(Main().Handle()));
  EXPECT_TRUE(TestPathExists(output + "/Port/20240401.html"));

  dialog = &OpenList(45, kPortfolioDialogId);
  Type(dialog->EditHandle(), L"abc");
  Ok(*dialog);
  EXPECT_TRUE(Reported("ＩＤリストのフォーマットエラー"));
  ASSERT_EQ(Main().Dialog(kPortfolioDialogId), dialog) << "a refused text keeps the dialog open";
  CancelDialog(*dialog);
  EXPECT_EQ(Main().Dialog(kPortfolioDialogId), nullptr);
  EXPECT_EQ(Options().Text(K::PortList), "");

  dialog = &OpenList(45, kPortfolioDialogId);
  Type(dialog->EditHandle(), L"7203, 6758\r\n\"9984\" & 8306");
  Ok(*dialog);
  EXPECT_EQ(Main().Dialog(kPortfolioDialogId), nullptr);
  EXPECT_EQ(Options().Text(K::PortList), "7203, 6758\r\n\"9984\" & 8306");
  EXPECT_TRUE(app_->Lists().portfolio.Contains(8306));
  EXPECT_FALSE(TestPathExists(output + "/Port")) << "the portfolio views are rebuilt";
  dialog = &OpenList(45, kPortfolioDialogId);
  EXPECT_EQ(Text(dialog->EditHandle()), L"7203, 6758\r\n\"9984\" & 8306") << "the text survives";
  CancelDialog(*dialog);

  // The codes with a letter: either case in, upper case kept; a malformed one
  // is refused by name.
  dialog = &OpenList(45, kPortfolioDialogId);
  Type(dialog->EditHandle(), L"7203, 28A5");
  Ok(*dialog);
  EXPECT_TRUE(Reported("ＩＤリストの<28A5>は銘柄コードではありません"));
  ASSERT_EQ(Main().Dialog(kPortfolioDialogId), dialog);
  Type(dialog->EditHandle(), L"7203, 130a\r\n285A");
  Ok(*dialog);
  EXPECT_EQ(Main().Dialog(kPortfolioDialogId), nullptr);
  EXPECT_EQ(Options().Text(K::PortList), "7203, 130A\r\n285A");
  EXPECT_TRUE(app_->Lists().portfolio.Contains(*Code::FromText("130A")));
  dialog = &OpenList(45, kPortfolioDialogId);
  EXPECT_EQ(Text(dialog->EditHandle()), L"7203, 130A\r\n285A");
  CancelDialog(*dialog);
}

TEST_F(DialogTest, IgnoreListSavingRemovesTheViews) {
  std::string output = MakeOutput();
  for (const char* view : {"All", "Port", "Xls", "Indiv", "Raw"}) WriteTestFile(output + "/" + view + "/1.html", "x");
  StartApp();
  EXPECT_FALSE(Enabled(54));
  Click(53);
  ListDialog& dialog = OpenList(54, kIgnoreListDialogId);
  Type(dialog.EditHandle(), L"1301, 330a");
  // The close box saves too.
  SendMessageW(dialog.Handle(), WM_CLOSE, 0, 0);
  Pump();
  EXPECT_EQ(Main().Dialog(kIgnoreListDialogId), nullptr);
  EXPECT_EQ(Options().Text(K::IgnoreList), "1301, 330A");
  EXPECT_TRUE(app_->Lists().ignoreList.Contains(*Code::FromText("330A")));
  for (const char* view : {"All", "Port", "Xls", "Indiv"}) EXPECT_FALSE(TestPathExists(output + "/" + view)) << view;
  EXPECT_TRUE(TestPathExists(output + "/Raw/1.html"));
  EXPECT_EQ(Options().Int(K::LastUpdateIndiv), 19000101);
}

TEST_F(DialogTest, KeywordsAndIgnoreTitles) {
  Preset(K::KeyHighlightList, "増配,上方修正");
  StartApp();
  Click(17);
  ListDialog* keywords = &OpenList(18, kKeywordDialogId);
  EXPECT_EQ(Text(keywords->EditHandle()), L"増配,上方修正");
  Type(keywords->EditHandle(), L"");
  Ok(*keywords);
  EXPECT_EQ(Options().Raw("Option", "KeyHighlightList", "unset"), "");

  Click(15);
  Click(16);  // no output directory yet: a message and no dialog
  EXPECT_TRUE(Reported("html保存パスの<入力して下さい>は存在しません"));
  EXPECT_EQ(Main().Dialog(kIgnoreTitleDialogId), nullptr);
  EXPECT_TRUE(IsWindowEnabled(Main().Handle()));

  std::string output = home_ / "out";
  WriteTestFile(output + "/_ignoreTitle.txt", "*自己株式\n定款の一部変更\n");
  Options().SetText(K::HtmlDataDir, output);
  ListDialog& titles = OpenList(16, kIgnoreTitleDialogId);
  EXPECT_EQ(Text(titles.EditHandle()), L"*自己株式\r\n定款の一部変更\r\n");
  Type(titles.EditHandle(), L"*自己株式\r\n月次");
  Ok(titles);
  EXPECT_EQ(ReadTestFile(output + "/_ignoreTitle.txt"), Sjis(L"*自己株式\r\n月次"));
}

// Saving refused (too long for the option file) or failed (the file cannot be
// written): every list dialog stays open with the text and says why.
TEST_F(DialogTest, ATextThatIsNotSavedStaysInTheDialog) {
  std::string output = MakeOutput();
  StartApp();
  Click(15);
  Click(17);
  std::wstring tooLong(1100, L'\x682A');  // 株: 2200 bytes stored
  std::wstring codes;
  for (int code = 1301; code < 1801; ++code) codes += std::to_wstring(code) + L", ";  // 3000 bytes
  struct Case {
    int button, id;
    std::wstring text;
    const char* reason;
  } cases[] = {
      {18, kKeywordDialogId, tooLong, "長すぎます"},
      {45, kPortfolioDialogId, codes, "長すぎます"},
      {16, kIgnoreTitleDialogId, L"*自己株式", "書き込みに失敗"},
  };
  // The ignore-title file cannot be written: a directory stands in its place.
  WriteTestFile(output + "/_ignoreTitle.txt/keep", "");
  for (const Case& c : cases) {
    messages_->messages.clear();
    ListDialog* dialog = &OpenList(c.button, c.id);
    Type(dialog->EditHandle(), c.text);
    Ok(*dialog);
    EXPECT_TRUE(Reported(c.reason)) << c.id;
    ASSERT_EQ(Main().Dialog(c.id), dialog) << c.id;
    EXPECT_EQ(Text(dialog->EditHandle()), c.text) << c.id;
    CancelDialog(*dialog);
    EXPECT_EQ(Main().Dialog(c.id), nullptr);
  }
}

// A directory path too long for the files the program makes in it is refused
// with the reason, and the dialog stays until it is shortened.
TEST_F(DialogTest, PathDialogRefusesAPathTooLongToWork) {
  StartApp();
  Click(78);
  auto* dialog = static_cast<PathDialog*>(Main().Dialog(kHtmlPathDialogId));
  ASSERT_NE(dialog, nullptr);
  std::wstring deep = L"C:\\" + std::wstring(300, L'd');
  SetFocus(dialog->EditHandle());
  SetWindowTextW(dialog->EditHandle(), deep.c_str());
  Ok(*dialog);
  EXPECT_TRUE(Reported("html保存パスが長すぎます"));
  EXPECT_FALSE(Reported("構文"));
  EXPECT_EQ(Options().Text(K::HtmlDataDir), "入力して下さい");
  ASSERT_EQ(Main().Dialog(kHtmlPathDialogId), dialog);
  SetFocus(dialog->EditHandle());
  SetWindowTextW(dialog->EditHandle(), L"C:\\out");
  Ok(*dialog);
  EXPECT_EQ(Options().Text(K::HtmlDataDir), "C:\\out");
  EXPECT_EQ(Main().Dialog(kHtmlPathDialogId), nullptr);
  // A hand-edited path of that length: a run says why, and only that.
  messages_->messages.clear();
  Options().SetText(K::HtmlDataDir, Sjis(deep));
  Click(80);
  EXPECT_FALSE(Controller().Running());
  ASSERT_EQ(messages_->Texts().size(), 1u);
  EXPECT_TRUE(Reported("html保存パスが長すぎます"));
}

TEST_F(DialogTest, PathDialogWritesOnCommit) {
  StartApp();
  Click(78);
  auto* dialog = static_cast<PathDialog*>(Main().Dialog(kHtmlPathDialogId));
  ASSERT_NE(dialog, nullptr);
  EXPECT_EQ(Text(dialog->Handle()), L"htmlデータ保存パスを指定");
  EXPECT_EQ(Text(dialog->EditHandle()), L"入力して下さい");
  SetFocus(dialog->EditHandle());
  SetWindowTextW(dialog->EditHandle(), L"D:\\株\\html");
  Ok(*dialog);  // the click takes the focus, which commits first
  EXPECT_EQ(Options().Text(K::HtmlDataDir), Sjis(L"D:\\株\\html"));
  EXPECT_EQ(Main().Dialog(kHtmlPathDialogId), nullptr);
}

TEST_F(DialogTest, AboutDialogKeepsTheLogLevelRules) {
  StartApp();
  Click(2);
  auto* about = static_cast<AboutDialog*>(Main().Dialog(kAboutDialogId));
  ASSERT_NE(about, nullptr);
  EXPECT_EQ(Text(about->Handle()), L"バージョン情報");
  HWND log = about->LogBox(), detail = about->DetailBox();
  EXPECT_FALSE(Checked(log));
  EXPECT_FALSE(Checked(detail));
  EXPECT_FALSE(IsWindowEnabled(detail));

  struct Step {
    HWND box;
    int level;
    bool logOn, detailOn, detailEnabled;
  };
  const Step steps[] = {
      {log, 1, true, false, true},    // on with the detail off: the plain log
      {detail, 2, true, true, true},  // the detailed log
      {log, 0, false, true, false},   // off: the detail box keeps its mark, disabled
      {log, 2, true, true, true},     // on again: the detail comes back
  };
  for (const Step& step : steps) {
    Click(step.box);
    EXPECT_EQ(Options().Int(K::DebugLogLevel), step.level);
    EXPECT_EQ(Checked(log), step.logOn);
    EXPECT_EQ(Checked(detail), step.detailOn);
    EXPECT_EQ(IsWindowEnabled(detail) != FALSE, step.detailEnabled);
  }
  bool versionShown = false;
  for (HWND child = GetWindow(about->Handle(), GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
    versionShown = versionShown || Text(child).rfind(L"Velkora Ver.0.7.9\r\n", 0) == 0;
    // No made-up address: the program has no web site to link.
    EXPECT_EQ(Text(child).find(L"://"), std::wstring::npos) << Sjis(Text(child));
  }
  EXPECT_TRUE(versionShown);
  Ok(*about);
  EXPECT_EQ(Main().Dialog(kAboutDialogId), nullptr);
  EXPECT_TRUE(IsWindowEnabled(Main().Handle()));
}

// Keys typed into a window reach it through the message loop, which hands them
// to the window's dialog navigation before they are dispatched: Tab moves to
// the next usable control, Enter presses the default button, Escape the
// "キャンセル" of a list dialog (which then saves nothing).
TEST_F(DialogTest, KeysGoThroughTheLoopToTheWindowsNavigation) {
  StartApp();
  auto press = [&](HWND target, WPARAM key) {
    PostMessageW(target, WM_KEYDOWN, key, 0);
    PostMessageW(target, WM_KEYUP, key, 0);
    Pump();
  };
  SetFocus(Item(3));
  press(Item(3), VK_TAB);
  EXPECT_EQ(GetFocus(), Item(5)) << "the disabled \"開く\" is passed over";

  Click(2);
  auto* about = static_cast<AboutDialog*>(Main().Dialog(kAboutDialogId));
  ASSERT_NE(about, nullptr);
  SetFocus(about->LogBox());
  press(about->LogBox(), VK_RETURN);
  EXPECT_EQ(Main().Dialog(kAboutDialogId), nullptr) << "Enter pressed OK";
  EXPECT_EQ(Options().Int(K::DebugLogLevel), 0);
  EXPECT_TRUE(IsWindowEnabled(Main().Handle()));

  Click(17);
  ListDialog& keywords = OpenList(18, kKeywordDialogId);
  Type(keywords.EditHandle(), L"増配");
  EXPECT_TRUE(keywords.Changed());
  HWND ok = GetDlgItem(keywords.Handle(), IDOK);
  SetFocus(ok);
  press(ok, VK_ESCAPE);
  EXPECT_EQ(Main().Dialog(kKeywordDialogId), nullptr) << "Escape pressed キャンセル";
  EXPECT_EQ(Options().Raw("Option", "KeyHighlightList", "unset"), "unset");
}

// The real message sink: a box captioned "ERROR" with the Japanese text, which
// keeps the program's windows disabled until it is closed.
TEST_F(DialogTest, MessagesShowInATaskModalBox) {
  StartApp();
  bool mainDisabled = false;
  std::wstring seen = ShownInABox([] { ReportError("ファイル<%s>のオープンに失敗", "株.txt"); }, &mainDisabled);
  EXPECT_EQ(seen, L"ファイル<株.txt>のオープンに失敗");
  EXPECT_TRUE(mainDisabled);
  EXPECT_TRUE(IsWindowEnabled(Main().Handle()));
}

TEST(GdiSelection, UnselectUnwindsInOrder) {
  MessageRecorder messages;
  HDC memory = CreateCompatibleDC(nullptr);
  ASSERT_NE(memory, nullptr);
  HGDIOBJ initial = GetCurrentObject(memory, OBJ_PEN);
  Pen red(PS_SOLID, 1, RGB(255, 0, 0)), blue(PS_SOLID, 1, RGB(0, 0, 255)), unused(PS_SOLID, 2, 0);
  Font font("MS UI Gothic", 12);
  {
    DeviceContext dc(memory);
    EXPECT_TRUE(dc.Select(red));
    EXPECT_TRUE(dc.Select(red));  // already on top: nothing happens
    EXPECT_EQ(dc.Depth(GdiObject::kPen), 1u);
    EXPECT_TRUE(dc.Select(blue));
    EXPECT_TRUE(dc.Select(font));
    EXPECT_EQ(GetCurrentObject(memory, OBJ_PEN), blue.Handle());
    EXPECT_TRUE(dc.Unselect(blue));
    EXPECT_EQ(GetCurrentObject(memory, OBJ_PEN), red.Handle());
    EXPECT_TRUE(dc.Select(blue));
    EXPECT_FALSE(dc.Unselect(red));  // lower in the stack: blue goes too
    EXPECT_EQ(dc.Depth(GdiObject::kPen), 0u);
    EXPECT_EQ(GetCurrentObject(memory, OBJ_PEN), initial);
    EXPECT_FALSE(dc.Unselect(unused));
    EXPECT_EQ(dc.Depth(GdiObject::kFont), 1u);
  }  // the font is unselected as the context goes
  EXPECT_NE(GetCurrentObject(memory, OBJ_FONT), font.Handle());
  DeleteDC(memory);
  EXPECT_EQ(messages.Texts(), (std::vector<std::string>{"GDI オブジェクトの Unselect 順が一致しません",
                                                       "Select されていないと思われる GDIObject を Unselect しようとしました"}));
}
