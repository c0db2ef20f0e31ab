// The local archive of the documents the disclosures link to: one file per
// document, "Docs/<yyyymmdd>/<document id>.pdf" in the output directory, kept
// for the companies the user follows while the list service still serves them.
// The pages link a title to the archived copy once it exists.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

#include "settings/tickers.h"

class MarkupElement;
class OutputDir;

// The archive's directory in the output directory.
constexpr char kDocsDir[] = "Docs";
// The longest document id kept: the list service's ids have 18 digits.
constexpr size_t kMaxDocumentId = 24;

// The file name ending of a document: its PDF, and its XBRL archive.
constexpr char kPdfExtension[] = ".pdf";
constexpr char kZipExtension[] = ".zip";

// The document id of a title link that points at the list service's PDF (or
// of an XBRL link, with `extension` ".zip"): an address ("http://" or
// "https://") whose last part is the id and `extension`, the
// id of letters and digits only (a page's link is untrusted text); "" for any
// other link. The service's address is not compared: rows written under an
// earlier TdnetBaseUrl name their documents the same way, and the archive
// always asks the service's current address for the id.
std::string DocumentIdOfLink(std::string_view href, std::string_view extension = kPdfExtension);
// The archived copy's name relative to the output directory:
// "Docs/<yyyymmdd>/<id>.pdf" (or `extension` for another kind).
std::string ArchivedDocumentName(uint32_t date, std::string_view id, std::string_view extension = kPdfExtension);

// Points the title links of a table's rows at their archived copies where one
// exists: a row's date is that of its own date cell or of the nearest row above
// that has one; `up` goes before the name ("" for a page in the output
// directory, "../" for a company page). Only rows whose company `followed`
// accepts by their ticker cell are looked at (every row when it is empty: a
// company page). A link already local, or whose document is not archived,
// stays. Returns how many links changed.
int LinkTitlesToArchive(MarkupElement& table, const OutputDir& output, std::string_view up,
                        const std::function<bool(Code)>& followed = {});
