// Turns a whole XHTML text (a page, or a fragment cut out of a downloaded page)
// into a MarkupDocument. Strict about quoting and end tags: the parse gives up at
// the first error, which it keeps as data (kind, line, token) and reports.
#pragma once

#include <memory>
#include <string>
#include <string_view>

#include "markup/tree.h"

// What was wrong with a text that did not parse.
enum class ParseErrorKind {
  kNone,               // the text parsed
  kEndedEarly,         // "XML が途中で終わっています"
  kDeclarationInside,  // "XML 宣言が他の要素内に記述してあります"
  kEndTagMismatch,     // "要素の終了タグ名が開始タグ名と異なります"
  kEndTagNotClosed,    // "終了タグが > で閉じられていません"
  kContentOutside,     // "要素外に内容が記述してあります"
  kSlashWithoutGt,     // "要素が終了で / の後に > がありません"
  kValueNotQuoted,     // "属性のパラメータが \"\" で囲まれていません"
  kBadAttributeName,   // "属性名が不正です"
  kNestedTooDeep,      // "要素の入れ子が深すぎます" (more than 31 open elements)
};

// A parse failure: its kind, the 0-based line of the token it was found at and
// that token's text (empty when the text had no token at all).
struct ParseError {
  ParseErrorKind kind = ParseErrorKind::kNone;
  int line = 0;
  std::string token;
};

// The message of a kind, as in the list above; "" for kNone.
const char* ParseErrorMessage(ParseErrorKind kind);
// The error as it is shown: "%d行目<%s> %s" with the line counted from 1.
std::string FormatParseError(const ParseError& error);

class MarkupParser {
 public:
  MarkupParser() = default;
  virtual ~MarkupParser() = default;

  // Parses `text` (ending at its end or at its first zero byte), which the
  // caller keeps. Returns the document (owned by the caller; its encoding is the
  // one declared, Shift_JIS without a declaration) or null when the text does not
  // parse; error() then holds the failure, which is reported as an error
  // (FormatParseError) unless `quiet` is set. An encoding that is neither
  // Shift_JIS nor UTF-8 is reported as a warning, quiet or not, and read as
  // Shift_JIS. MultibyteMode is Shift_JIS again when this returns.
  std::unique_ptr<MarkupDocument> Parse(std::string_view text);
  // The same, taking the text over: it is freed before this returns, the caller
  // no longer owns it.
  std::unique_ptr<MarkupDocument> ParseHandedOver(std::string&& text);

  // Whether the content of `element` is kept as one text piece: its tokens joined
  // in order, each followed by a blank when one followed it in the source. The
  // base parser keeps no element's content raw. `parent` is the element that
  // holds `element` (the document for a top-level element).
  virtual bool KeepsRawText(const MarkupElement& element, const MarkupElement* parent) const;

  // The failure of the last Parse; kind kNone after a success.
  const ParseError& error() const { return error_; }

  // When set, parse errors show nothing, and the tokens of the returned tree
  // report nothing either. The parse still fails. (The encoding warning is the
  // parser's own, not a token's, and is shown all the same.)
  bool quiet = false;

 private:
  ParseError error_;
};

// Looks for the encoding declaration at the start of `text` (the search ends at
// the first carriage return) and returns kMultibyteShiftJis or kMultibyteUtf8.
// Reports "未知のエンコーディング<%s>です" as a warning for another value.
unsigned char DetectEncoding(std::string_view text);
