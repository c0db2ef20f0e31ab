#include "pages/atom_feed.h"

#include <map>

#include "markup/safe_text.h"
#include "platform/diagnostics.h"
#include "platform/encoding.h"
#include "platform/files.h"
#include "settings/markets.h"

namespace {

// The feeds' ids begin with a tag URI of the program's own.
constexpr char kIdBase[] = "tag:velkora,2026:";

// Plain UTF-8 text as XML character data or an attribute value.
std::string XmlEscaped(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (char c : text) {
    switch (c) {
      case '&': out += "&amp;"; break;
      case '<': out += "&lt;"; break;
      case '>': out += "&gt;"; break;
      case '"': out += "&quot;"; break;
      default: out += c;
    }
  }
  return out;
}

// Page text (Shift_JIS with references) as escaped UTF-8.
std::string FeedText(std::string_view pageText) { return XmlEscaped(PageTextToUtf8(pageText)); }

// A date and a time hhmm as an RFC 3339 time in Japan ("2024-03-27T19:47:00+09:00");
// a time past the end of the day counts as its last minute.
std::string FeedTime(uint32_t date, int hhmm) {
  int hours = hhmm / 100, minutes = hhmm % 100;
  if (hhmm < 0 || hours > 23 || minutes > 59) hours = 23, minutes = 59;
  return FormatString("%04u-%02u-%02uT%02d:%02d:00+09:00", date / 10000, date / 100 % 100, date % 100, hours,
                      minutes);
}

// FNV-1a of a text, for the id of an entry without a document id.
uint32_t TextHash(std::string_view text) {
  uint32_t hash = 2166136261u;
  for (char c : text) hash = (hash ^ static_cast<unsigned char>(c)) * 16777619u;
  return hash;
}

std::string EntryId(const Disclosure& row) {
  std::string document = DocumentId(row.pdfUrl);
  if (!document.empty()) return kIdBase + std::string("tdnet/") + document;
  return kIdBase + FormatString("row/%u-%04d-", row.date, row.time) + row.code.Text() +
         FormatString("-%08x", TextHash(row.title));
}

std::string EntryXml(const FeedEntry& entry) {
  const Disclosure& row = entry.row;
  std::string name = FeedText(entry.name);
  std::string code = row.code.IsNone() ? std::string() : " (" + row.code.Text() + ")";
  std::string xml = "<entry>\n<id>" + XmlEscaped(EntryId(row)) + "</id>\n";
  xml += "<title>" + name + code + ": " + FeedText(row.title) + "</title>\n";
  xml += "<updated>" + FeedTime(row.date, row.time) + "</updated>\n";
  if (!row.pdfUrl.empty())
    xml += "<link rel=\"alternate\" href=\"" + FeedText(row.pdfUrl) + "\"/>\n";
  if (!row.xbrlUrl.empty())
    xml += "<link rel=\"enclosure\" type=\"application/zip\" href=\"" + FeedText(row.xbrlUrl) + "\"/>\n";
  xml += "<summary>" + FeedText(row.market) + " " + name + code + " " + FeedText(row.title) + "</summary>\n";
  return xml + "</entry>\n";
}

// The name a row shows on the summary page.
std::string ShownName(const SummaryInputs& in, const Disclosure& row) {
  std::string_view stored = in.companies->NameOf(row.code);
  return in.settings->fullName && stored.size() >= 2 ? SafeMarkupText(stored) : row.name;
}

// The XBRL addresses of a day's rows, which only the raw day keeps: looked up
// by the row's document id.
void AddXbrlUrls(const OutputDir& output, uint32_t date, std::vector<Disclosure>& rows) {
  std::map<std::string, std::string> byDocument;
  for (const Disclosure& row : rows)
    if (std::string id = DocumentId(row.pdfUrl); !id.empty()) byDocument[id];
  std::string path = output.DayFile(kRawDir, date), text;
  std::vector<Disclosure> raw;
  if (byDocument.empty() || !FileEntry(path.c_str()).ExistsPath() || !ReadAll(path.c_str(), text) ||
      !ParseDayDisclosures(std::move(text), date, raw))
    return;
  for (const Disclosure& row : raw) {
    auto found = byDocument.find(DocumentId(row.pdfUrl));
    if (found != byDocument.end() && found->second.empty()) found->second = row.xbrlUrl;
  }
  for (Disclosure& row : rows)
    if (auto found = byDocument.find(DocumentId(row.pdfUrl)); found != byDocument.end()) row.xbrlUrl = found->second;
}

}  // namespace

std::string AtomFeedText(View view, const char* title, const std::vector<FeedEntry>& entries, uint32_t today) {
  std::string updated = entries.empty() ? FeedTime(today, 0) : FeedTime(entries[0].row.date, entries[0].row.time);
  std::string page = std::string(ViewName(view)) + ".html";
  std::string xml = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<feed xmlns=\"http://www.w3.org/2005/Atom\">\n";
  xml += "<id>" + std::string(kIdBase) + "feed/" + ViewName(view) + "</id>\n";
  xml += "<title>" + FeedText(title ? title : ViewName(view)) + "</title>\n";
  xml += "<updated>" + updated + "</updated>\n";
  xml += "<author><name>Velkora</name></author>\n";
  xml += "<generator>Velkora</generator>\n";
  xml += "<link rel=\"alternate\" type=\"application/xhtml+xml\" href=\"" + page + "\"/>\n";
  for (const FeedEntry& entry : entries) xml += EntryXml(entry);
  return xml + "</feed>\n";
}

std::vector<FeedEntry> FeedEntries(const SummaryInputs& in) {
  std::vector<FeedEntry> entries;
  std::vector<Disclosure> rows;
  for (uint32_t date : StoredDays(in.output, ViewName(in.view), in.settings->periodStart, in.endDate)) {
    std::string text;
    rows.clear();
    if (!ReadAll(in.output.DayFile(in.view, date).c_str(), text) || !ParseDayDisclosures(std::move(text), date, rows))
      continue;
    AddXbrlUrls(in.output, date, rows);
    for (Disclosure& row : rows) {
      uint8_t market = in.companies->Loaded() ? in.companies->MarketOf(row.code) : 0;
      if (market == 0) market = MarketCodeOfName(row.market);
      uint8_t industry = in.companies->Loaded() ? in.companies->IndustryOf(row.code) : 0;
      if (SummaryRowHidden(*in.settings, in.selections, market, industry, row.title)) continue;
      std::string name = ShownName(in, row);
      entries.push_back({std::move(row), std::move(name)});
      if (entries.size() == kFeedEntries) return entries;
    }
  }
  return entries;
}

bool BuildAtomFeed(const SummaryInputs& inputs) {
  FilePath path;
  if (!path.SetPath(inputs.output.AtomFeed(inputs.view).c_str())) return false;
  return ReplaceFileContents(path, AtomFeedText(inputs.view, inputs.title, FeedEntries(inputs), inputs.today));
}
