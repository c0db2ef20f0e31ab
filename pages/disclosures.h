// The disclosures kept in day files (the raw store "Raw/" and the per-day
// views), read back as records: for search, export and the feeds.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "pages/output.h"
#include "settings/tickers.h"

// One row of a day file. Texts are Shift_JIS as the file holds them: page
// text, with its entity references ("M&amp;A").
struct Disclosure {
  uint32_t date = 0;   // yyyymmdd
  int time = 0;        // hhmm (Japan time)
  Code code;           // Code() when the row names none
  std::string name;    // the name as listed
  std::string market;  // the market cell as the list gave it ("東", ...)
  std::string title;
  std::string pdfUrl;  // the title's link; empty when it has none
  std::string xbrlUrl;  // the XBRL archive's link (raw days only); empty when none
};

// The document id of a disclosure: the file name of its PDF without ".pdf"
// (before any query) when that is 18 digits ("140120240327500120"); empty
// otherwise.
std::string DocumentId(std::string_view pdfUrl);

// The rows of one day file's text added to `rows`, newest first: the latest
// time first, rows of one time in the file's order.
// False when the text does not parse as a page with a table; an empty text is
// a day without disclosures.
bool ParseDayDisclosures(std::string text, uint32_t date, std::vector<Disclosure>& rows);

// The dates of the day files ("yyyymmdd.html") of a subdirectory of the output
// directory within [from, to], newest first. Other files are ignored.
std::vector<uint32_t> StoredDays(const OutputDir& output, std::string_view subdir, uint32_t from, uint32_t to);

// Page text (Shift_JIS with entity references) as plain UTF-8: the references
// decoded, control characters (line breaks, tabs) as one blank each.
std::string PageTextToUtf8(std::string_view text);

// Page text as plain Shift_JIS for comparing: the references &amp; &lt; &gt;
// &quot; &apos; decoded (others kept as they are).
std::string PageTextToPlain(std::string_view text);
