#include "pages/archive.h"

#include <algorithm>

#include "markup/tree.h"
#include "pages/output.h"
#include "pages/rows.h"
#include "platform/diagnostics.h"
#include "platform/files.h"
#include "platform/sjis.h"

namespace {

bool IsIdCharacter(char c) { return IsAsciiDigit(c) || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }

// Points the links of one title cell at the archive; how many changed.
int LinkCell(MarkupElement& cell, uint32_t date, const OutputDir& output, std::string_view up) {
  int changed = 0;
  for (MarkupElement* link : cell.children()) {
    if (link->name() != "a") continue;
    MarkupAttribute* href = link->FindAttribute("href");
    if (!href) continue;
    std::string id = DocumentIdOfLink(href->text());
    if (id.empty()) continue;
    std::string name = ArchivedDocumentName(date, id);
    if (!FileEntry(output.File(name).c_str()).ExistsPath()) continue;
    href->SetText(std::string(up) + name);
    ++changed;
  }
  return changed;
}

}  // namespace

std::string DocumentIdOfLink(std::string_view href, std::string_view extension) {
  if (!(href.starts_with("http://") || href.starts_with("https://")) || !href.ends_with(extension)) return "";
  std::string_view path = href.substr(0, href.size() - extension.size());
  std::string_view id = path.substr(path.rfind('/') + 1);
  if (id.empty() || id.size() > kMaxDocumentId || !std::all_of(id.begin(), id.end(), IsIdCharacter)) return "";
  return std::string(id);
}

std::string ArchivedDocumentName(uint32_t date, std::string_view id, std::string_view extension) {
  return FormatString("%s/%08u/", kDocsDir, date) + std::string(id) + std::string(extension);
}

int LinkTitlesToArchive(MarkupElement& table, const OutputDir& output, std::string_view up,
                        const std::function<bool(Code)>& followed) {
  int changed = 0;
  uint32_t date = 0;
  Code code;
  for (MarkupElement* row : table.children()) {
    if (uint32_t rowDate = RowDate(*row)) date = rowDate;
    // A row without a code cell goes on the company of the row above it,
    // whose code cell spans both (the rows of one time merged).
    if (row->FindCellById("ticker", false)) code = RowTicker(*row);
    if (date == 0 || (followed && !followed(code))) continue;
    if (MarkupElement* title = row->FindCellById("title", false)) changed += LinkCell(*title, date, output, up);
  }
  return changed;
}
