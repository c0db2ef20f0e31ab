// Turns a whole XHTML text (a page, or a fragment cut out of a downloaded page)
// into a MarkupDocument. Strict about quoting and end tags: the first error is
// reported with its line number and the parse gives up.
#pragma once

#include <memory>
#include <string>
#include <string_view>

#include "markup/tree.h"

class MarkupParser {
 public:
  MarkupParser() = default;
  virtual ~MarkupParser() = default;

  // Parses `text` (ending at its end or at its first zero byte), which the
  // caller keeps. Returns the document (owned by the caller; its encoding is the
  // one declared, Shift_JIS without a declaration) or null when the text does not
  // parse, after reporting the error as "%d行目<%s> %s" on the offending token
  // (nothing is shown when `quiet` is set). An encoding that is neither Shift_JIS
  // nor UTF-8 is reported as a warning, quiet or not, and read as Shift_JIS.
  // MultibyteMode is Shift_JIS again when this returns.
  std::unique_ptr<MarkupDocument> Parse(std::string_view text);
  // The same, taking the text over: it is freed before this returns, the caller
  // no longer owns it.
  std::unique_ptr<MarkupDocument> ParseHandedOver(std::string&& text);

  // Whether the content of `element` is kept as one text piece: its tokens joined
  // in order, each followed by a blank when one followed it in the source. The
  // base parser keeps no element's content raw. `parent` is the element that
  // holds `element` (the document for a top-level element).
  virtual bool KeepsRawText(const MarkupElement& element, const MarkupElement* parent) const;

  // When set, parse errors show nothing, and the tokens of the returned tree
  // report nothing either. The parse still fails. (The encoding warning is the
  // parser's own, not a token's, and is shown all the same.)
  bool quiet = false;
};

// Looks for the encoding declaration at the start of `text` (the search ends at
// the first carriage return) and returns kMultibyteShiftJis or kMultibyteUtf8.
// Reports "未知のエンコーディング<%s>です" as a warning for another value.
unsigned char DetectEncoding(std::string_view text);
