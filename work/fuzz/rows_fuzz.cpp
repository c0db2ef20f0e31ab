// libFuzzer target: arbitrary bytes as a list page, as Shift_JIS text and as a
// downloaded UTF-8 page, through the row extraction (both methods); the rows
// written are then read back as the raw day file is.
#include <cstddef>
#include <cstdint>
#include <string>

#include "platform/diagnostics.h"
#include "platform/encoding.h"
#include "markup/tree.h"
#include "pages/page_parser.h"
#include "pages/rows.h"
#include "work/row_extract.h"

namespace {

uint8_t markets[9000];

void Extract(std::string_view page) {
  ListRowContext context;
  context.baseUrl = "https://example.test/inbs/";
  context.marketByte = [](Code code) {
    std::optional<size_t> index = code.Index();
    return index ? &markets[*index] : nullptr;
  };
  context.noCode = [](std::string_view) {};
  StringOutput out;
  ExtractListRows(page, context, out);
  PageParser parser;
  parser.quiet = true;
  std::unique_ptr<MarkupDocument> document = parser.Parse("<table>" + out.text + "</table>");
  // The codes read back, and the pieces of an alphanumeric one joined.
  MarkupElement* table = document ? document->FindChild("table", true) : nullptr;
  for (size_t i = 0; table && i < table->children().size(); ++i) {
    MarkupElement& row = *table->children()[i];
    Code code = RowTicker(row);
    JoinTickerPieces(row);
    if (RowTicker(row) != code) __builtin_trap();
    // An XBRL address is an http(s) address or none.
    std::string xbrl = RowXbrlUrl(row);
    if (!xbrl.empty() && !xbrl.starts_with("http://") && !xbrl.starts_with("https://")) __builtin_trap();
  }
  if (table) {
    RemoveXbrlCells(*table);
    for (const MarkupElement* row : table->children())
      if (row->FindCellById("xbrl", false)) __builtin_trap();
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static bool sinkInstalled = false;
  if (!sinkInstalled) {
    SetMessageSink([](int, const std::string&) {});
    sinkInstalled = true;
  }
  std::string_view bytes(reinterpret_cast<const char*>(data), size);
  Extract(bytes);
  Extract(DownloadedPageToShiftJis(bytes));
  return 0;
}
