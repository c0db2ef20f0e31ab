// The company pages "Indiv/NNNN.html": every disclosure of one company that the
// raw store has seen, one group of rows per day, newest day first. The first row
// of a group starts with a date cell "yyyy/mm/dd" spanning the group; the rows
// are the raw rows without their ticker and market cells.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "settings/tickers.h"

class MarkupElement;
class OutputDir;

// Fills a page that was just started anew with the groups of the company's
// days before the day being added, oldest first, each through AddGroupOnTop.
using OlderGroups = std::function<void(MarkupElement& table)>;

// Adds the day `date` to the page of `code` in the output directory
// (OutputDir::CompanyPage). `rows` are the company's rows of that day in raw
// order (taken over). The page is read, or made as a new frame titled "NNNN -
// Velkora"; then PutDayOnTop, and the page is written whole. A page that
// cannot be read or parsed is set aside as "NNNN.html.broken-<today>"
// (reported once) and the page starts anew: `older`, when given, then puts
// back the groups of the earlier days. With `linkArchive` (a company whose
// documents are archived), every title of the page links to its archived copy
// where one exists. Returns whether the page was written.
bool AddDayToCompanyPage(const OutputDir& output, Code code, uint32_t date,
                         std::vector<std::unique_ptr<MarkupElement>> rows, uint32_t today,
                         const OlderGroups& older = {}, bool linkArchive = false);
// Points every title of the company's page at its archived copy where one
// exists, and writes the page when a link changed. False when the page exists
// but could not be read or written.
bool LinkCompanyPageToArchive(const OutputDir& output, Code code);

// A company page's table with the day `date` on top: the groups of this day
// and of later days are removed from its top (a day added again replaces its
// group), date cells of older groups that hold a plain number are rewritten as
// "yyyy/mm/dd", and the day's group goes on top (AddGroupOnTop).
void PutDayOnTop(MarkupElement& table, uint32_t date, std::vector<std::unique_ptr<MarkupElement>> rows);

// Puts the group of `date` on top of a page table: `rows` (taken over, raw
// order) lose their "ticker" and "market" cells, and the first one gets the
// date cell "yyyy/mm/dd" spanning the group. Nothing for no rows.
void AddGroupOnTop(MarkupElement& table, uint32_t date, std::vector<std::unique_ptr<MarkupElement>> rows);
