// libFuzzer target: arbitrary bytes through the parser (loud, quiet, and with a
// raw-text date cell), then the writer and a second parse of what was written;
// and the same bytes as a name made safe for a page, which must hold no markup
// and parse as the one text of a cell.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "markup/parser.h"
#include "markup/safe_text.h"
#include "markup/writer.h"
#include "platform/diagnostics.h"

namespace {

class DateCellParser : public MarkupParser {
 public:
  bool KeepsRawText(const MarkupElement& element, const MarkupElement* parent) const override {
    if (element.name() == "td") return HasId(element, "date");
    return element.name() == "a" && parent != nullptr && parent->name() == "td" && HasId(*parent, "title");
  }

 private:
  static bool HasId(const MarkupElement& element, std::string_view id) {
    const MarkupAttribute* attribute = element.FindAttribute("id");
    return attribute != nullptr && attribute->text() == id;
  }
};

void Exercise(MarkupParser& parser, std::string_view text) {
  std::unique_ptr<MarkupDocument> document = parser.Parse(text);
  if (document == nullptr) return;
  StringOutput output;
  document->Write(output, 0);
  std::unique_ptr<MarkupElement> copy = document->Clone();
  copy->FindCellById("date", true);
  parser.Parse(output.text);
}

void SafeText(std::string_view text) {
  std::string safe = SafeMarkupText(text);
  if (safe.find_first_of("<>\"") != std::string::npos || SafeMarkupText(safe) != safe) std::abort();
  MarkupParser parser;
  parser.quiet = true;
  std::unique_ptr<MarkupDocument> cell = parser.Parse("<td>" + safe + "</td>");
  if (!cell || cell->children().size() != 1 || !cell->children().front()->children().empty()) std::abort();
  if (SafeAttributeValue(text).find_first_of("<>\"") != std::string::npos) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static bool sinkInstalled = false;
  if (!sinkInstalled) {
    SetMessageSink([](int, const std::string&) {});
    sinkInstalled = true;
  }
  std::string_view text(reinterpret_cast<const char*>(data), size);
  MarkupParser loud;
  Exercise(loud, text);
  MarkupParser quiet;
  quiet.quiet = true;
  Exercise(quiet, text);
  DateCellParser dates;
  Exercise(dates, text);
  dates.ParseHandedOver(std::string(text));
  SafeText(text);
  return 0;
}
