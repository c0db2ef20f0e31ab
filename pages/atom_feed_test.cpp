// The Atom feed text: escaping, ids, times.
#include <gtest/gtest.h>

#include "pages/atom_feed.h"

namespace {

FeedEntry Entry(uint32_t date, int time, const char* name, const char* title, const char* url) {
  FeedEntry entry;
  entry.row.date = date;
  entry.row.time = time;
  entry.row.code = Code(7203);
  entry.row.title = title;
  entry.row.pdfUrl = url;
  entry.name = name;
  return entry;
}

TEST(AtomFeed, EscapesTextAndKeepsIdsStable) {
  std::vector<FeedEntry> entries = {
      Entry(20240327, 1930, "&lt;script&gt;A&amp;B", "M&amp;A &quot;x&quot; ]]&gt;", "https://x/inbs/140120240327500120.pdf?a=1&amp;b=2"),
      Entry(20240326, 2500, "名", "題", ""),
  };
  std::string feed = AtomFeedText(View::kPort, "ポートフォリオ", entries, 20240328);
  EXPECT_EQ(feed.find("<script"), std::string::npos);
  EXPECT_NE(feed.find("<title>&lt;script&gt;A&amp;B (7203): M&amp;A &quot;x&quot; ]]&gt;</title>"), std::string::npos)
      << feed;
  EXPECT_NE(feed.find("<id>tag:velkora,2026:tdnet/140120240327500120</id>"), std::string::npos);
  EXPECT_NE(feed.find("href=\"https://x/inbs/140120240327500120.pdf?a=1&amp;b=2\""), std::string::npos);
  EXPECT_NE(feed.find("<updated>2024-03-27T19:30:00+09:00</updated>\n<author>"), std::string::npos);
  // A time past the day's end is its last minute; a row without a PDF gets an id of its own.
  EXPECT_NE(feed.find("<updated>2024-03-26T23:59:00+09:00</updated>"), std::string::npos);
  EXPECT_NE(feed.find("<id>tag:velkora,2026:row/20240326-2500-7203-"), std::string::npos);
  EXPECT_EQ(feed, AtomFeedText(View::kPort, "ポートフォリオ", entries, 20240328));
  EXPECT_EQ(feed.find("enclosure"), std::string::npos) << "no entry has an XBRL archive";

  // An XBRL archive is the entry's enclosure, its address escaped.
  entries[0].row.xbrlUrl = "https://x/inbs/081220240327500120.zip?a=1&amp;b=\"2\"";
  std::string enclosed = AtomFeedText(View::kPort, "ポートフォリオ", entries, 20240328);
  EXPECT_NE(enclosed.find("<link rel=\"enclosure\" type=\"application/zip\" "
                          "href=\"https://x/inbs/081220240327500120.zip?a=1&amp;b=&quot;2&quot;\"/>\n<summary>"),
            std::string::npos)
      << enclosed;
  EXPECT_EQ(enclosed.find("enclosure"), enclosed.rfind("enclosure"));

  std::string empty = AtomFeedText(View::kAll, "全て", {}, 20240328);
  EXPECT_NE(empty.find("<updated>2024-03-28T00:00:00+09:00</updated>"), std::string::npos);
  EXPECT_EQ(empty.find("<entry>"), std::string::npos);
}

}  // namespace
