// The frame every written page shares, the default style sheet, and the helpers
// with which page builders reach the output directory and save pages.
#pragma once

#include <memory>
#include <string>

class MarkupDocument;
class MarkupElement;

// Address of the small site icon linked from every page.
extern const char kSiteIconUrl[];

// A new XHTML page: html/head (meta lines, an optional title, the site icon, the
// style sheet `styleSheet`) and a body holding one empty table. Returns the
// document (owned by the caller) and sets `table` to the table inside it.
std::unique_ptr<MarkupDocument> BuildPageFrame(const char* title, const char* styleSheet, MarkupElement*& table);

// The same frame as fixed text for the raw day files: thirteen CR LF lines up to
// the opening table and an empty line, style sheet "../_default.css".
const std::string& PageHeaderText();
// "\n</table>\n</body>\n</html>\n".
const char* PageFooterText();
// The text of "_default.css" (1017 bytes, CR LF lines).
const std::string& DefaultStyleSheet();

// Writes the page whole and atomically: a temporary file beside it is renamed
// over the page, so a failed write keeps the old page; the failure is reported as
// "ファイル<%s>の書き込みに失敗". The caller keeps the document.
bool SavePage(const char* path, const MarkupDocument& document);

// Writes "_default.css" into the output directory, whole and atomically, when it
// is missing or empty; an existing sheet, whatever it holds, is left alone.
void WriteStyleSheetIfMissing(const std::string& outputDirectory);
