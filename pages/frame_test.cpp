#include <gtest/gtest.h>

#include "markup/parser.h"
#include "markup/tree.h"
#include "pages/frame.h"
#include "pages/output.h"
#include "platform/diagnostics.h"
#include "platform/files.h"
#include "platform/testing/test_support.h"
#include "settings/options.h"

namespace {

std::vector<std::string> CrLfLines(const std::string& text) {
  std::vector<std::string> lines;
  for (size_t at = 0, end; (end = text.find("\r\n", at)) != std::string::npos; at = end + 2)
    lines.push_back(text.substr(at, end - at));
  return lines;
}

// A temporary home whose option file points HtmlDataDir at "out".
class FrameTest : public ::testing::Test {
 protected:
  void SetUp() override {
    previous_ = HomeDirectory();
    SetHomeDirectory(home_.Path());
    store_ = std::make_unique<OptionStore>();
    Options().SetText(OptionKey::HtmlDataDir, home_.Path() + "out");
    WriteTestFile(home_ / "out/keep", "");
  }
  void TearDown() override {
    store_.reset();
    SetHomeDirectory(previous_);
  }
  std::string Out(const std::string& name) { return home_.Path() + "out" + kPathSeparator + name; }

  TempDir home_;
  std::string previous_;
  std::unique_ptr<OptionStore> store_;
};

TEST(PageFrame, DefaultStyleSheetIsExact) {
  const std::string& css = DefaultStyleSheet();
  EXPECT_EQ(css.size(), 1017u);
  std::vector<std::string> lines = CrLfLines(css);
  EXPECT_EQ(css.substr(css.size() - 3), "}\r\n");
  EXPECT_EQ(lines[0], "@charset \"shift_jis\";");
  EXPECT_EQ(lines[1], "");
  EXPECT_EQ(lines[2], "a {");
  EXPECT_EQ(lines[3], "\ttext-decoration: none;");
  EXPECT_NE(css.find("\tvertical-align:top;\r\n"), std::string::npos);
  EXPECT_NE(css.find("td#yahoo,\r\ntd#gmo,\r\ntd#ifis,\r\ntd#kcom {\r\n"), std::string::npos);
  EXPECT_NE(css.find("\tborder-right: 0px;\r\n}\r\ntd#sbi {\r\n"), std::string::npos);  // no blank line
  EXPECT_NE(css.find(".in_market_time {\r\n\tcolor: #ff0000;\r\n}\r\n"), std::string::npos);
}

TEST(PageFrame, HeaderTextLineByLine) {
  const std::string& header = PageHeaderText();
  EXPECT_EQ(header.substr(header.size() - 4), "\r\n\r\n");
  std::vector<std::string> lines = CrLfLines(header);
  ASSERT_EQ(lines.size(), 13u);
  EXPECT_EQ(lines[0], "<?xml version=\"1.0\" encoding=\"Shift_JIS\"?>");
  EXPECT_EQ(lines[1],
            "<!DOCTYPE html PUBLIC \"-//W3C//DTD XHTML 1.0 Strict//EN\" "
            "\"http://www.w3.org/TR/xhtml1/DTD/xhtml1-strict.dtd\">");
  EXPECT_EQ(lines[2], "<html xmlns=\"http://www.w3.org/1999/xhtml\" xml:lang=\"ja\" lang=\"ja\">");
  EXPECT_EQ(lines[3], "<head>");
  EXPECT_EQ(lines[4], "\t<meta http-equiv=\"Content-Type\" content=\"text/html; charset=shitf_jis\" />");
  EXPECT_EQ(lines[5], "\t<meta http-equiv=\"Content-Style-Type\" content=\"text/css\" />");
  EXPECT_EQ(lines[6], "\t<meta http-equiv=\"content-script-type\" content=\"text/javascript\" />");
  EXPECT_EQ(lines[7], "\t<link rel=\"stylesheet\" href=\"../_default.css\" type=\"text/css\" media=\"screen,print\" />");
  EXPECT_EQ(lines[8], "\t<link rel=\"shortcut icon\" href=\"../Images/velkora.ico\" />");
  EXPECT_EQ(lines[9], "</head>");
  EXPECT_EQ(lines[10], "<body>");
  EXPECT_EQ(lines[11], "<table>");
  EXPECT_EQ(lines[12], "");
  EXPECT_STREQ(PageFooterText(), "\n</table>\n</body>\n</html>\n");
}

TEST(PageFrame, TreeFrameWithAndWithoutTitle) {
  MarkupElement* table = nullptr;
  std::unique_ptr<MarkupDocument> page = BuildPageFrame("全て - Velkora", "_default.css", table);
  ASSERT_NE(table, nullptr);
  table->AddChild("tr");
  StringOutput written;
  page->Write(written, 0);
  EXPECT_EQ(written.text,
            "<?xml version=\"1.0\" encoding=\"Shift_JIS\"?>\n\n"
            "<html xmlns=\"http://www.w3.org/1999/xhtml\" xml:lang=\"ja\" lang=\"ja\">\n"
            "\t<head>\n"
            "\t\t<meta http-equiv=\"Content-Type\" content=\"text/html; charset=shitf_jis\" />\n"
            "\t\t<meta http-equiv=\"Content-Style-Type\" content=\"text/css\" />\n"
            "\t\t<meta http-equiv=\"content-script-type\" content=\"text/javascript\" />\n"
            "\t\t<title>\n\t\t\t全て - Velkora\n\t\t</title>\n"
            "\t\t<link rel=\"shortcut icon\" href=\"Images/velkora.ico\" />\n"
            "\t\t<link rel=\"stylesheet\" href=\"_default.css\" type=\"text/css\" media=\"screen,print\" />\n"
            "\t</head>\n"
            "\t<body>\n"
            "\t\t<table>\n"
            "\t\t\t<tr />\n"
            "\t\t</table>\n"
            "\t</body>\n"
            "</html>\n");
  std::unique_ptr<MarkupDocument> untitled = BuildPageFrame(nullptr, "../_default.css", table);
  EXPECT_EQ(untitled->FindChild("title", true), nullptr);
}

TEST_F(FrameTest, OutputSubdirectoriesAreMadeAndRemoved) {
  OutputDir output = OutputDirOf(Options());
  EXPECT_TRUE(output.Exists());
  std::string raw = output.EnsureSubdir("Raw");
  EXPECT_EQ(raw, home_.Path() + "out/Raw/");
  EXPECT_TRUE(TestPathExists(Out("Raw")));
  WriteTestFile(Out("All/sub/deeper/20240329.html"), "x");
  EXPECT_TRUE(output.RemoveSubdir("All"));
  EXPECT_FALSE(TestPathExists(Out("All")));
  EXPECT_FALSE(output.RemoveSubdir("All"));
  // Without a directory chosen (empty, or the placeholder) nothing is removed.
  EXPECT_FALSE(OutputDir().Exists());
  EXPECT_FALSE(OutputDir().RemoveSubdir("Raw"));
  EXPECT_TRUE(TestPathExists(Out("Raw")));
}

TEST_F(FrameTest, EveryFileOfTheOutputDirectoryHasOnePath) {
  std::string out = home_.Path() + "out";
  for (const std::string& directory : {out, out + kPathSeparator, std::string("out")}) {
    OutputDir output(directory);
    SCOPED_TRACE(directory);
    // Data files, schedule pages and icons are resolved (relative to the home).
    EXPECT_EQ(output.File("_coname.txt"), Out("_coname.txt"));
    EXPECT_EQ(output.File("Images/sbi.png"), Out(std::string("Images") + kPathSeparator + "sbi.png"));
    EXPECT_EQ(output.SchedulePage(View::kPort), Out("PortSche.html"));
  }
  // The day files, summary pages and company pages keep the option's text.
  OutputDir output(out);
  EXPECT_EQ(output.Subdir("Indiv"), out + "/Indiv/");
  EXPECT_EQ(output.DayFile("Raw", 20240329), out + "/Raw/20240329.html");
  EXPECT_EQ(output.DayFile(View::kXls, 20240401), out + "/Xls/20240401.html");
  EXPECT_EQ(output.SummaryPage(View::kAll), out + "/All.html");
  EXPECT_EQ(output.CompanyPage(Code(42)), out + "/Indiv/0042.html");
  EXPECT_EQ(output.CompanyPage(*Code::FromText("285A")), out + "/Indiv/285A.html");
}

TEST_F(FrameTest, SavePageReplacesWholeOrKeepsTheOldPage) {
  MarkupElement* table = nullptr;
  std::unique_ptr<MarkupDocument> page = BuildPageFrame(nullptr, "_default.css", table);
  WriteTestFile(Out("All.html"), "old page, much longer than the new one would be if it were cut short");
  ASSERT_TRUE(SavePage(Out("All.html").c_str(), *page));
  StringOutput expected;
  page->Write(expected, 0);
  EXPECT_EQ(ReadTestFile(Out("All.html")), expected.text);
  // A page whose directory is missing cannot be written: reported, nothing made.
  MessageRecorder messages;
  EXPECT_FALSE(SavePage(Out("missing/All.html").c_str(), *page));
  ASSERT_EQ(messages.Texts().size(), 1u);
  EXPECT_EQ(messages.Texts()[0], "ファイル<" + Out("missing/All.html") + ">の書き込みに失敗");
}

TEST_F(FrameTest, PagesLinkTheProgramsIconBesideThemNeverAnAddressOnTheWeb) {
  OutputDir output = OutputDirOf(Options());
  WriteSiteIconIfMissing(output);
  std::string icon = ReadTestFile(Out("Images/velkora.ico"));
  ASSERT_EQ(icon.size(), kSiteIconSize);
  EXPECT_EQ(icon.substr(0, 4), std::string("\0\0\1\0", 4));  // an icon file
  WriteTestFile(Out("Images/velkora.ico"), "edited");
  WriteSiteIconIfMissing(output);
  EXPECT_EQ(ReadTestFile(Out("Images/velkora.ico")), "edited");
  // A page an earlier version wrote links an address on the web: read back, it
  // links the icon the same way up as its style sheet.
  for (const char* sheet : {"_default.css", "../_default.css"}) {
    std::string old = std::string("<html><head><link rel=\"shortcut icon\" href=\"https://velkora.example/favicon.ico\" />"
                                  "<link rel=\"stylesheet\" href=\"") + sheet + "\" /></head><body><table /></body></html>";
    MarkupParser parser;
    std::unique_ptr<MarkupDocument> page = parser.Parse(old);
    ASSERT_NE(page, nullptr);
    LinkSiteIcon(*page);
    StringOutput written;
    page->Write(written, 0);
    std::string expected = std::string(sheet).substr(0, std::string(sheet).rfind('/') + 1) + "Images/velkora.ico";
    EXPECT_NE(written.text.find("href=\"" + expected + "\""), std::string::npos) << written.text;
    EXPECT_EQ(written.text.find("velkora.example"), std::string::npos);
  }
}

TEST_F(FrameTest, StyleSheetIsWrittenOnlyWhenMissing) {
  WriteStyleSheetIfMissing(OutputDir(home_.Path() + "out"));
  EXPECT_EQ(ReadTestFile(Out("_default.css")), DefaultStyleSheet());
  WriteTestFile(Out("_default.css"), "edited");
  WriteStyleSheetIfMissing(OutputDir(home_.Path() + "out"));
  EXPECT_EQ(ReadTestFile(Out("_default.css")), "edited");
}

}  // namespace
