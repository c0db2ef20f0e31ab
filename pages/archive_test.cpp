// Title links and the document archive: which links name a document of the
// list service, and the rows of a page that change over to archived copies.
#include "pages/archive.h"

#include <gtest/gtest.h>

#include "markup/tree.h"
#include "pages/output.h"
#include "pages/page_parser.h"
#include "platform/testing/test_support.h"

namespace {

constexpr char kBase[] = "https://www.release.tdnet.info/inbs/";

TEST(DocumentIdOfLink, TakesOnlyAnAddressOfAPdfWithAPlainId) {
  EXPECT_EQ(DocumentIdOfLink("https://www.release.tdnet.info/inbs/140120240329500001.pdf"), "140120240329500001");
  // A row downloaded under another address of the service.
  EXPECT_EQ(DocumentIdOfLink("http://127.0.0.1:8080/fail/slow/40/inbs/1401.pdf"), "1401");
  // Only the last part becomes a name: nothing climbs out of the archive.
  EXPECT_EQ(DocumentIdOfLink("https://www.release.tdnet.info/inbs/../../etc/passwd.pdf"), "passwd");
  // Links a page could hold that must never become a name in the archive.
  for (const char* href : {"https://www.release.tdnet.info/inbs/..\\..\\x.pdf",
                           "https://www.release.tdnet.info/inbs/.pdf", "https://www.release.tdnet.info/inbs/a.b.pdf",
                           "https://www.release.tdnet.info/inbs/1401%2F.pdf",
                           "https://www.release.tdnet.info/inbs/140120240329500001.zip",
                           "Docs/20240329/1401.pdf", "../Docs/20240329/1401.pdf", "file:///1401.pdf",
                           "https://www.release.tdnet.info/inbs/1234567890123456789012345.pdf"})
    EXPECT_EQ(DocumentIdOfLink(href), "") << href;
  EXPECT_EQ(ArchivedDocumentName(20240329, "1401"), "Docs/20240329/1401.pdf");
}

// A summary page's table: a date cell over each day's group; the links of
// archived documents of followed companies change, every other link stays.
TEST(LinkTitlesToArchive, LinksArchivedDocumentsOfFollowedCompaniesByTheirRowsDay) {
  TempDir dir;
  OutputDir output(dir.Path() + "out");
  WriteTestFile(dir.Path() + "out/Docs/20240329/A1.pdf", "%PDF-1.4");
  WriteTestFile(dir.Path() + "out/Docs/20240328/B2.pdf", "%PDF-1.4");
  WriteTestFile(dir.Path() + "out/Docs/20240329/C3.pdf", "%PDF-1.4");
  WriteTestFile(dir.Path() + "out/Docs/20240328/E5.pdf", "%PDF-1.4");
  WriteTestFile(dir.Path() + "out/Docs/20240328/F6.pdf", "%PDF-1.4");
  std::string link = std::string("<td id=\"title\"><a href=\"") + kBase;
  std::string text = "<table>"
                     "<tr><td id=\"date\">2024/03/29</td><td id=\"ticker\">7203</td>" + link + "A1.pdf\">a</a></td></tr>"
                     "<tr><td id=\"ticker\">7203</td>" + link + "B2.pdf\">b</a></td></tr>"
                     "<tr><td id=\"ticker\">1301</td>" + link + "C3.pdf\">c</a></td></tr>"
                     "<tr><td id=\"date\">2024/03/28</td><td id=\"ticker\">7203</td>" + link + "B2.pdf\">b</a></td></tr>"
                     "<tr><td id=\"ticker\">7203</td>" + link + "D4.pdf\">d</a></td></tr>"
                     // Rows of one time merged: the code cell spans the rows.
                     "<tr><td id=\"ticker\" rowspan=\"2\">7203</td>" + link + "E5.pdf\">e</a></td></tr>"
                     "<tr>" + link + "F6.pdf\">f</a></td></tr>"
                     "<tr><td id=\"ticker\" rowspan=\"2\">1301</td>" + link + "E5.pdf\">e</a></td></tr>"
                     "<tr>" + link + "F6.pdf\">f</a></td></tr>"
                     "</table>";
  PageParser parser;
  std::unique_ptr<MarkupDocument> page = parser.Parse(text);
  ASSERT_NE(page, nullptr);
  MarkupElement* table = page->FindChild("table", true);
  ASSERT_NE(table, nullptr);
  int changed = LinkTitlesToArchive(*table, output, "", [](Code code) { return code == Code(7203); });
  EXPECT_EQ(changed, 4);
  auto href = [&](size_t row) {
    return std::string(table->children()[row]->FindCellById("title", false)->children()[0]->FindAttribute("href")->text());
  };
  EXPECT_EQ(href(0), "Docs/20240329/A1.pdf");
  EXPECT_EQ(href(1), std::string(kBase) + "B2.pdf");  // archived under another day
  EXPECT_EQ(href(2), std::string(kBase) + "C3.pdf");  // a company not followed
  EXPECT_EQ(href(3), "Docs/20240328/B2.pdf");
  EXPECT_EQ(href(4), std::string(kBase) + "D4.pdf");  // not archived
  EXPECT_EQ(href(5), "Docs/20240328/E5.pdf");
  EXPECT_EQ(href(6), "Docs/20240328/F6.pdf");  // under the spanning code cell of 7203
  EXPECT_EQ(href(8), std::string(kBase) + "F6.pdf");  // under the spanning code cell of 1301
  // A company page: every row, one directory up; links already local stay.
  EXPECT_EQ(LinkTitlesToArchive(*table, output, "../"), 3);
  EXPECT_EQ(href(2), "../Docs/20240329/C3.pdf");
  EXPECT_EQ(href(0), "Docs/20240329/A1.pdf");
}

}  // namespace
