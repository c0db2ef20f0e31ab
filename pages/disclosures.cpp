#include "pages/disclosures.h"

#include <algorithm>
#include <cstdlib>
#include <memory>

#include "markup/tree.h"
#include "pages/cells.h"
#include "pages/page_parser.h"
#include "pages/rows.h"
#include "platform/dates.h"
#include "platform/encoding.h"
#include "platform/files.h"

namespace {

bool AllDigits(std::string_view text) {
  return !text.empty() && std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
}

// A row of a day table as a record; false for a row without a time.
bool ReadRow(const MarkupElement& row, uint32_t date, Disclosure& out) {
  const MarkupElement* time = row.FindCellById("time", false);
  if (!time) return false;
  out.date = date;
  out.time = std::atoi(CellText(*time).c_str());
  out.code = RowTicker(row);
  const MarkupElement* name = row.FindCellById("coname", false);
  out.name = name ? CellText(*name) : std::string();
  const MarkupElement* market = row.FindCellById("market", false);
  out.market = market ? CellText(*market) : std::string();
  out.title.clear();
  out.pdfUrl.clear();
  if (const MarkupElement* title = row.FindCellById("title", false)) {
    const MarkupElement* link = title->FindChild("a", false);
    out.title = CellText(link ? *link : *title);
    if (const MarkupAttribute* href = link ? link->FindAttribute("href") : nullptr) out.pdfUrl = href->text();
  }
  out.xbrlUrl = RowXbrlUrl(row);
  return true;
}

// A character reference's code point, or 0 when `name` ("amp", "#38", "#x26")
// is none this program decodes.
uint32_t ReferencedChar(std::string_view name) {
  if (name == "amp") return '&';
  if (name == "lt") return '<';
  if (name == "gt") return '>';
  if (name == "quot") return '"';
  if (name == "apos") return '\'';
  if (name.size() < 2 || name[0] != '#') return 0;
  bool hex = name[1] == 'x' || name[1] == 'X';
  std::string digits(name.substr(hex ? 2 : 1));
  if (digits.empty() || digits.size() > 6) return 0;
  char* end = nullptr;
  unsigned long value = std::strtoul(digits.c_str(), &end, hex ? 16 : 10);
  if (*end != '\0' || value > 0x10FFFF || (value >= 0xD800 && value <= 0xDFFF)) return 0;
  return static_cast<uint32_t>(value);
}

void AppendUtf8(uint32_t c, std::string& out) {
  if (c < 0x20 || c == 0x7F) {
    out += ' ';
  } else if (c == 0xFFFE || c == 0xFFFF) {
    out += '?';  // no character: no XML document may hold them
  } else if (c < 0x80) {
    out += static_cast<char>(c);
  } else if (c < 0x800) {
    out += static_cast<char>(0xC0 | c >> 6);
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else if (c < 0x10000) {
    out += static_cast<char>(0xE0 | c >> 12);
    out += static_cast<char>(0x80 | (c >> 6 & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | c >> 18);
    out += static_cast<char>(0x80 | (c >> 12 & 0x3F));
    out += static_cast<char>(0x80 | (c >> 6 & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  }
}

// Calls `piece` with each run of plain text and `reference` with each decoded
// character reference. '&', ';' and control bytes are never Shift_JIS trail
// bytes, so the bytes can be scanned one by one.
template <typename Piece, typename Reference>
void SplitReferences(std::string_view text, Piece piece, Reference reference) {
  size_t start = 0;
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] != '&') continue;
    size_t semicolon = text.find(';', i);
    if (semicolon == std::string_view::npos || semicolon - i > 10) continue;
    uint32_t c = ReferencedChar(text.substr(i + 1, semicolon - i - 1));
    if (c == 0) continue;
    piece(text.substr(start, i - start));
    reference(c, text.substr(i, semicolon + 1 - i));
    start = semicolon + 1;
    i = semicolon;
  }
  piece(text.substr(start));
}

}  // namespace

std::string DocumentId(std::string_view pdfUrl) {
  pdfUrl = pdfUrl.substr(0, pdfUrl.find_first_of("?#"));
  size_t slash = pdfUrl.find_last_of('/');
  std::string_view name = slash == std::string_view::npos ? pdfUrl : pdfUrl.substr(slash + 1);
  if (name.size() != 22 || !name.ends_with(".pdf")) return std::string();
  name.remove_suffix(4);
  return AllDigits(name) ? std::string(name) : std::string();
}

bool ParseDayDisclosures(std::string text, uint32_t date, std::vector<Disclosure>& rows) {
  if (text.empty()) return true;
  PageParser parser;
  std::unique_ptr<MarkupDocument> document = parser.ParseHandedOver(std::move(text));
  const MarkupElement* table = document ? document->FindChild("table", true) : nullptr;
  if (!table) return false;
  Disclosure row;
  size_t first = rows.size();
  for (const MarkupElement* element : table->children())
    if (element->name() == "tr" && ReadRow(*element, date, row)) rows.push_back(row);
  std::stable_sort(rows.begin() + static_cast<long>(first), rows.end(),
                   [](const Disclosure& a, const Disclosure& b) { return a.time > b.time; });
  return true;
}

std::vector<uint32_t> StoredDays(const OutputDir& output, std::string_view subdir, uint32_t from, uint32_t to) {
  std::vector<uint32_t> days;
  FileFinder finder;
  std::string pattern = output.Subdir(subdir) + "*.html";
  if (!finder.Start(pattern.c_str(), FileFinder::kFiles)) return days;
  for (; !finder.IsFinished(); finder._Next()) {
    std::string_view name = finder.CurrentFindData().name;
    if (name.size() != 13 || !name.ends_with(".html") || !AllDigits(name.substr(0, 8))) continue;
    uint32_t date = static_cast<uint32_t>(std::strtoul(std::string(name.substr(0, 8)).c_str(), nullptr, 10));
    if (IsValidDate(date) && date >= from && date <= to) days.push_back(date);
  }
  std::sort(days.begin(), days.end(), std::greater<uint32_t>());
  return days;
}

std::string PageTextToUtf8(std::string_view text) {
  std::string out;
  SplitReferences(
      text,
      [&](std::string_view piece) {
        for (char c : ShiftJisToUtf8(piece)) out += (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) ? ' ' : c;
      },
      [&](uint32_t c, std::string_view) { AppendUtf8(c, out); });
  return out;
}

std::string PageTextToPlain(std::string_view text) {
  std::string out;
  SplitReferences(
      text, [&](std::string_view piece) { out += piece; },
      [&](uint32_t c, std::string_view reference) {
        if (c < 0x80) out += static_cast<char>(c);
        else out += reference;
      });
  return out;
}
