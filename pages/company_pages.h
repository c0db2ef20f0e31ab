// The company pages "Indiv/NNNN.html": every disclosure of one company that the
// raw store has seen, one group of rows per day, newest day first. The first row
// of a group starts with a date cell "yyyy/mm/dd" spanning the group; the rows
// are the raw rows without their ticker and market cells.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

class MarkupElement;

// The page of a ticker: "%s/Indiv/%04d.html" of HtmlDataDir.
std::string CompanyPagePath(int ticker);

// Adds the day `date` to the page of `ticker`. `rows` are the company's rows of
// that day in raw order (taken over). The page is read, or made as a new frame
// titled "NNNN - Velkora"; the groups of this day and of later days are removed
// from its top (a day added again replaces its group), date cells of older
// groups that hold a plain number are rewritten as "yyyy/mm/dd", the day's group
// is put on top and the page is written whole. A page that cannot be read or
// parsed is set aside as "NNNN.html.broken-<today>" (reported once) and the
// page starts anew. Returns whether the page was written.
bool AddDayToCompanyPage(int ticker, uint32_t date, std::vector<std::unique_ptr<MarkupElement>> rows);
