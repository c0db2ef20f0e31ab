#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "markup/tree.h"
#include "pages/link_images.h"
#include "pages/links.h"
#include "pages/output.h"
#include "pages/page_inputs.h"
#include "platform/diagnostics.h"
#include "platform/files.h"
#include "platform/testing/test_support.h"

namespace {

std::string Written(const std::unique_ptr<MarkupElement>& cell) {
  StringOutput out;
  cell->Write(out, 0);
  return out.text;
}

std::string Href(const std::unique_ptr<MarkupElement>& cell) {
  MarkupElement* link = cell->FindChild("a", false);
  return link ? std::string(link->FindAttribute("href")->text()) : "";
}

std::string EmptyCell(const char* site) { return std::string("<td id=\"") + site + "\" />\n"; }

// The layout of a linked cell, as the GMO case below spells out.
std::string LinkedCell(const std::string& site, const std::string& href) {
  return "<td id=\"" + site + "\">\n\t<a href=\"" + href + "\" target=\"_blank\">\n\t\t<img src=\"Images/" + site +
         ".png\" />\n\t</a>\n</td>\n";
}

// The sites' addresses as the option file gives them by default.
class LinkCells : public ::testing::Test {
 protected:
  SiteAddresses sites_{"", "https://finance.yahoo.co.jp/quote/{code}.T",
                       "https://kabuyoho.ifis.co.jp/index.php?action=tp1&sa=report&bcode={code}"};
};

TEST_F(LinkCells, TokyoCompanyGetsAllFiveLinks) {
  EXPECT_EQ(Written(MakeGmoCell("sec1-7", Code(7203), 0x19)),
            "<td id=\"gmo\">\n"
            "\t<a href=\"https://kabu.click-sec.com/sec1-7/kabu/meigaraInfo.do?meigaraCode=0720300\""
            " target=\"_blank\">\n"
            "\t\t<img src=\"Images/gmo.png\" />\n"
            "\t</a>\n"
            "</td>\n");
  EXPECT_EQ(Href(MakeGmoCell("sec2-3", Code(1301), 0x11)),
            "https://kabu.click-sec.com/sec2-3/kabu/meigaraInfo.do?meigaraCode=0130100");
  EXPECT_EQ(Written(MakeYahooCell(sites_, Code(7203))), LinkedCell("yahoo", "https://finance.yahoo.co.jp/quote/7203.T"));
  EXPECT_EQ(Written(MakeIfisCell(sites_, Code(7203))),
            LinkedCell("ifis", "https://kabuyoho.ifis.co.jp/index.php?action=tp1&amp;sa=report&amp;bcode=7203"));
  EXPECT_EQ(Written(MakeKComCell(Code(7203))),
            LinkedCell("kcom", "http://s10.kabu.co.jp/Members/Tradetool/investment_info/?trid=600&amp;trric=7203"));
  EXPECT_EQ(Written(MakeSbiCell(Code(7203), 0x19)),
            LinkedCell("sbi",
                       "https://site1.sbisec.co.jp/ETGate/?stock_sec_code_mul=7203&amp;exchange_code=TKY"
                       "&amp;i_stock_sec=7203&amp;i_exchange_code=TKY&amp;i_output_type=0&amp;i_dom_flg=1"
                       "&amp;_ControlID=WPLETsiR001Control&amp;_PageID=WPLETsiR001Ilst10"
                       "&amp;_ActionID=getDetailOfStockPriceJP&amp;getFlg=on"));
}

TEST_F(LinkCells, AddressesAreAttributeValuesWhateverTheOptionsHold) {
  // The cells follow the templates of the option file, the same the run reads.
  sites_.quoteTemplate = "http://q/x?a=1&code={code}\"<b>";
  sites_.reportTemplate = "http://r/{code}?a&amp;b";
  EXPECT_EQ(Href(MakeYahooCell(sites_, Code(1301))), "http://q/x?a=1&amp;code=1301&quot;&lt;b&gt;");
  EXPECT_EQ(Href(MakeIfisCell(sites_, Code(1301))), "http://r/1301?a&amp;b");
  // A server name with markup in it stays inside the attribute.
  EXPECT_EQ(Href(MakeGmoCell("x\"><script>", Code(7203), 0x19)),
            "https://kabu.click-sec.com/x&quot;&gt;&lt;script&gt;/kabu/meigaraInfo.do?meigaraCode=0720300");
}

TEST_F(LinkCells, SbiAndGmoDependOnTheMarket) {
  struct Case {
    uint8_t market;
    const char* exchange;  // "" when SBI has no page
    bool gmo;
  };
  const Case cases[] = {
      {0x19, "TKY", true}, {0x10, "TKY", true}, {0x1F, "TKY", true}, {0x15, "", false},
      {0x24, "NGY", false}, {0x31, "FKO", false}, {0x41, "SPR", false}, {0x50, "", false},
      {0x00, "", false},   {0x65, "", false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "market 0x" << std::hex << int(c.market));
    std::unique_ptr<MarkupElement> always[] = {MakeYahooCell(sites_, Code(8411)), MakeIfisCell(sites_, Code(8411)),
                                               MakeKComCell(Code(8411))};
    for (const std::unique_ptr<MarkupElement>& cell : always) EXPECT_NE(Href(cell).find("8411"), std::string::npos);
    std::unique_ptr<MarkupElement> sbi = MakeSbiCell(Code(8411), c.market);
    if (*c.exchange) {
      std::string href = Href(sbi);
      EXPECT_NE(href.find(std::string("stock_sec_code_mul=8411&amp;exchange_code=") + c.exchange + "&amp;"),
                std::string::npos);
      EXPECT_NE(href.find(std::string("&amp;i_stock_sec=8411&amp;i_exchange_code=") + c.exchange + "&amp;"),
                std::string::npos);
    } else {
      EXPECT_EQ(Written(sbi), EmptyCell("sbi"));
    }
    std::unique_ptr<MarkupElement> gmo = MakeGmoCell("sec1-7", Code(8411), c.market);
    if (c.gmo)
      EXPECT_NE(Href(gmo).find("meigaraCode=0841100"), std::string::npos);
    else
      EXPECT_EQ(Written(gmo), EmptyCell("gmo"));
  }
}

// ---- the icons ----

uint32_t BigEndian(const unsigned char* p) {
  return uint32_t(p[0]) << 24 | uint32_t(p[1]) << 16 | uint32_t(p[2]) << 8 | p[3];
}

uint32_t Crc32(const unsigned char* p, size_t length) {
  uint32_t crc = 0xFFFFFFFFu;
  for (size_t i = 0; i < length; ++i) {
    crc ^= p[i];
    for (int bit = 0; bit < 8; ++bit) crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
  }
  return ~crc;
}

// Walks the chunks: each CRC must hold, IHDR first, IEND last at the very end.
// Returns the chunk types in order.
std::string CheckChunks(const unsigned char* png, size_t size) {
  std::string types;
  size_t at = 8;
  while (at + 12 <= size) {
    uint32_t length = BigEndian(png + at);
    if (at + 12 + length > size) break;
    EXPECT_EQ(Crc32(png + at + 4, length + 4), BigEndian(png + at + 8 + length)) << "chunk at " << at;
    types.append(reinterpret_cast<const char*>(png + at + 4), 4).append(" ");
    at += 12 + length;
  }
  EXPECT_EQ(at, size);
  return types;
}

TEST(LinkImages, SizesDimensionsColourTypesAndCrcs) {
  struct Icon {
    const unsigned char* png;
    size_t size;
    size_t expectedSize;
    int colourType;  // 6 RGBA, 3 palette, 2 RGB
    const char* chunks;
  };
  const Icon icons[] = {
      {kYahooPng, sizeof kYahooPng, 686, 6, "IHDR tEXt IDAT IEND "},
      {kGmoPng, sizeof kGmoPng, 699, 6, "IHDR tEXt IDAT IEND "},
      {kKcomPng, sizeof kKcomPng, 662, 6, "IHDR tEXt IDAT IEND "},
      {kSbiPng, sizeof kSbiPng, 502, 3, "IHDR PLTE tEXt IDAT IEND "},
      {kIfisPng, sizeof kIfisPng, 595, 2, "IHDR tEXt IDAT IEND "},
  };
  for (const Icon& icon : icons) {
    SCOPED_TRACE(icon.expectedSize);
    ASSERT_EQ(icon.size, icon.expectedSize);
    EXPECT_EQ(std::string_view(reinterpret_cast<const char*>(icon.png), 16),
              std::string_view("\x89PNG\r\n\x1a\n\0\0\0\x0dIHDR", 16));
    EXPECT_EQ(BigEndian(icon.png + 16), 16u);  // width
    EXPECT_EQ(BigEndian(icon.png + 20), 16u);  // height
    EXPECT_EQ(icon.png[24], 8);                // bit depth
    EXPECT_EQ(icon.png[25], icon.colourType);
    EXPECT_EQ(CheckChunks(icon.png, icon.size), icon.chunks);
  }
}

// ---- writing the icons ----

// An output directory "out" in a temporary directory, and the cells chosen.
class LinkImageFiles : public ::testing::Test {
 protected:
  void SetUp() override { WriteTestFile(home_ / "out/keep", ""); }
  std::string Icon(const char* name) { return output_.File(std::string("Images/") + name); }
  // Whether the icon file holds exactly `png` (compared quietly: the bytes
  // would flood the failure output).
  template <size_t N>
  bool Holds(const char* name, const unsigned char (&png)[N]) {
    return ReadTestFile(Icon(name)) == std::string(reinterpret_cast<const char*>(png), N);
  }

  TempDir home_;
  OutputDir output_{home_.Path() + "out"};
  CellOptions cells_;
};

TEST_F(LinkImageFiles, OnlyMissingOrEmptyIconsOfEnabledSitesAreWritten) {
  MessageRecorder messages;
  WriteLinkImagesIfMissing(output_, cells_);  // every cell off by default: nothing, not even the directory
  EXPECT_FALSE(TestPathExists(home_ / "out/Images"));

  cells_.yahoo = cells_.gmo = cells_.kcom = cells_.sbi = cells_.ifis = true;
  WriteLinkImagesIfMissing(output_, cells_);
  EXPECT_TRUE(Holds("yahoo.png", kYahooPng));
  EXPECT_TRUE(Holds("gmo.png", kGmoPng));
  EXPECT_TRUE(Holds("kcom.png", kKcomPng));
  EXPECT_TRUE(Holds("sbi.png", kSbiPng));
  EXPECT_TRUE(Holds("ifis.png", kIfisPng));

  // A deleted icon comes back, an edited one stays, an empty one is replaced.
  FileEntry(Icon("sbi.png").c_str()).Delete();
  WriteTestFile(Icon("yahoo.png"), "edited");
  WriteTestFile(Icon("gmo.png"), "");
  WriteLinkImagesIfMissing(output_, cells_);
  EXPECT_TRUE(Holds("sbi.png", kSbiPng));
  EXPECT_EQ(ReadTestFile(Icon("yahoo.png")), "edited");
  EXPECT_TRUE(Holds("gmo.png", kGmoPng));

  // With its option off, a deleted icon stays missing and the others stay.
  cells_.sbi = false;
  FileEntry(Icon("sbi.png").c_str()).Delete();
  WriteLinkImagesIfMissing(output_, cells_);
  EXPECT_FALSE(TestPathExists(Icon("sbi.png")));
  EXPECT_TRUE(TestPathExists(Icon("ifis.png")));
  EXPECT_TRUE(messages.Texts().empty());
}

TEST_F(LinkImageFiles, FailedWriteIsReportedAndTheNextIconTried) {
  // "Images" is a file, so no icon can be written below it.
  WriteTestFile(home_ / "out/Images", "not a directory");
  cells_.yahoo = cells_.ifis = true;
  MessageRecorder messages;
  WriteLinkImagesIfMissing(output_, cells_);
  std::vector<std::string> texts = messages.Texts();
  ASSERT_GE(texts.size(), 2u);
  EXPECT_EQ(std::count(texts.begin(), texts.end(), "ファイル<" + Icon("yahoo.png") + ">の書き込みに失敗"), 1);
  EXPECT_EQ(texts.back(), "ファイル<" + Icon("ifis.png") + ">の書き込みに失敗");
  for (const MessageRecorder::Message& message : messages.messages) EXPECT_EQ(message.severity, kSeverityError);
  EXPECT_EQ(ReadTestFile(home_ / "out/Images"), "not a directory");
}

}  // namespace
