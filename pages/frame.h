// The frame every written page shares, the default style sheet, and the helpers
// with which page builders reach the output directory and save pages.
#pragma once

#include <cstddef>
#include <memory>
#include <string>

class MarkupDocument;
class MarkupElement;
class OutputDir;

// The program's icon as a file of the output directory, linked from every page
// as its site icon, relative to the page: "Images/velkora.ico" from the pages
// of the output directory, "../Images/velkora.ico" from those of its
// subdirectories. Its bytes (the windowed program's own icon file):
constexpr char kSiteIconFile[] = "Images/velkora.ico";
extern const unsigned char kSiteIcon[];
extern const size_t kSiteIconSize;

// A new XHTML page: html/head (meta lines, an optional title, the site icon, the
// style sheet `styleSheet`) and a body holding one empty table. The style sheet
// reference ("_default.css" or "../_default.css") tells where the page lies:
// the site icon is linked the same way up. Returns the document (owned by the
// caller) and sets `table` to the table inside it.
std::unique_ptr<MarkupDocument> BuildPageFrame(const char* title, const char* styleSheet, MarkupElement*& table);

// Points the site icon link of a page read back (written by this or an earlier
// version, which linked an address on the web) at kSiteIconFile, the same way
// up as its style sheet reference. A page without either link is left alone.
void LinkSiteIcon(MarkupDocument& page);
// Makes a page's head link its Atom feed `href` (a link rel="alternate" of
// type "application/atom+xml" titled `title`), or, with a null `href`, link
// none.
void LinkAtomFeed(MarkupDocument& page, const char* href, const char* title);

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
void WriteStyleSheetIfMissing(const OutputDir& output);
// The same for the site icon kSiteIconFile ("Images" is made when missing).
void WriteSiteIconIfMissing(const OutputDir& output);
