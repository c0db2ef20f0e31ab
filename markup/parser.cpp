#include "markup/parser.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "markup/tokenizer.h"
#include "platform/diagnostics.h"

namespace {

constexpr int kMaxOpenElements = 31;

using Kind = ParseErrorKind;

// Puts the multibyte mode back to Shift_JIS however the parse ends.
class MultibyteModeGuard {
 public:
  explicit MultibyteModeGuard(unsigned char mode) { MultibyteMode = mode; }
  ~MultibyteModeGuard() { MultibyteMode = kMultibyteShiftJis; }
  MultibyteModeGuard(const MultibyteModeGuard&) = delete;
  MultibyteModeGuard& operator=(const MultibyteModeGuard&) = delete;
};

// One parse: walks the tokens with one token of lookahead and builds the tree,
// or records why it could not.
class TreeBuilder {
 public:
  TreeBuilder(const MarkupParser& parser, MarkupTokenizer& tokenizer)
      : parser_(parser), tokenizer_(tokenizer) {
    open_.reserve(kMaxOpenElements + 1);
  }

  // The document, or null with error() set.
  std::unique_ptr<MarkupDocument> Build();
  const ParseError& error() const { return error_; }

 private:
  enum class Outcome { kContinue, kSuccess, kFailure };

  // Makes the next token current; false (current unchanged) when there is none.
  bool Advance() {
    if (!hasNext_) return false;
    current_ = next_;
    hasNext_ = tokenizer_.Next(next_);
    return true;
  }
  Outcome Fail(const RawToken& token, ParseErrorKind kind);
  Outcome EndedEarly() { return Fail(current_, Kind::kEndedEarly); }
  MarkupElement* Top() const { return open_.back(); }

  Outcome ContentStep();
  Outcome TagStep();
  Outcome SkipDeclaration();
  Outcome EndTag();
  Outcome StartTag();
  Outcome RawText();
  bool ExtendName(std::string& name, bool stopAtEquals);
  void CopyTokenFields(const RawToken& from, MarkupToken& to) const;

  const MarkupParser& parser_;
  MarkupTokenizer& tokenizer_;
  std::unique_ptr<MarkupDocument> document_;
  std::vector<MarkupElement*> open_;  // [0] is the document
  RawToken current_;
  RawToken next_;
  bool hasNext_ = false;
  bool inTag_ = false;
  std::string scratch_;
  ParseError error_;
};

TreeBuilder::Outcome TreeBuilder::Fail(const RawToken& token, ParseErrorKind kind) {
  error_ = ParseError{kind, token.line, std::string(token.text)};
  return Outcome::kFailure;
}

std::unique_ptr<MarkupDocument> TreeBuilder::Build() {
  document_ = std::make_unique<MarkupDocument>();
  open_.push_back(document_.get());
  hasNext_ = tokenizer_.Next(next_);
  if (!Advance()) {
    // No token at all: an empty token at the first line.
    Fail(RawToken(), Kind::kEndedEarly);
    return nullptr;
  }
  for (;;) {
    Outcome outcome = inTag_ ? TagStep() : ContentStep();
    if (outcome == Outcome::kSuccess) return std::move(document_);
    if (outcome == Outcome::kFailure) return nullptr;
  }
}

// Everything but the text, which the token was made with.
void TreeBuilder::CopyTokenFields(const RawToken& from, MarkupToken& to) const {
  to.SetKind(from.kind);
  to.SetNumber(from.number);
  to.SetSpaceAfter(from.spaceAfter);
  to.SetNewlineAfter(from.newlineAfter);
  to.SetLine(from.line);
  to.SetQuiet(parser_.quiet);
}

TreeBuilder::Outcome TreeBuilder::ContentStep() {
  // The content of a raw-text element is one piece even when it begins with
  // markup (a title whose first word was highlighted): only its end tag ends it.
  // Read as a child element instead, the markup would be written back after
  // the rest of the text.
  bool raw = open_.size() > 1 && parser_.KeepsRawText(*Top(), open_[open_.size() - 2]);
  if (current_.Is('<') && raw && hasNext_ && !next_.Is('/')) return RawText();
  if (current_.Is('<')) {
    if (!Advance()) return EndedEarly();
    if (current_.Is('?') || current_.Is('!')) return SkipDeclaration();
    if (current_.Is('/')) return EndTag();
    return StartTag();
  }
  if (open_.size() == 1) return Fail(current_, Kind::kContentOutside);
  if (raw) return RawText();
  auto text = std::make_unique<MarkupText>(current_.text);
  CopyTokenFields(current_, *text);
  Top()->AppendText(std::move(text));
  if (!Advance()) return EndedEarly();
  return Outcome::kContinue;
}

// "<?" or "<!": a declaration is skipped up to its ">", outside every element.
TreeBuilder::Outcome TreeBuilder::SkipDeclaration() {
  if (!Advance()) return EndedEarly();
  if (open_.size() > 1) return Fail(current_, Kind::kDeclarationInside);
  while (!current_.Is('>')) {
    if (!Advance()) return EndedEarly();
  }
  if (!Advance()) return EndedEarly();
  return Outcome::kContinue;
}

TreeBuilder::Outcome TreeBuilder::EndTag() {
  if (!Advance()) return EndedEarly();
  // The document itself is never closed by an end tag.
  if (open_.size() == 1 || current_.text != Top()->name()) return Fail(current_, Kind::kEndTagMismatch);
  if (!Advance()) return EndedEarly();
  if (!current_.Is('>')) return Fail(current_, Kind::kEndTagNotClosed);
  if (!Advance()) return Outcome::kSuccess;
  open_.pop_back();
  return Outcome::kContinue;
}

// Appends the following tokens to `name` while the current one has no blank or
// line break after it, stopping before ">" (and "=" when asked). Then makes the
// token after the name current. False when the text ends first.
bool TreeBuilder::ExtendName(std::string& name, bool stopAtEquals) {
  name.assign(current_.text);
  while (!current_.spaceAfter && !current_.newlineAfter) {
    if (!hasNext_) return false;
    if (next_.Is('>') || (stopAtEquals && next_.Is('='))) break;
    Advance();
    name.append(current_.text);
  }
  return Advance();
}

TreeBuilder::Outcome TreeBuilder::StartTag() {
  if (static_cast<int>(open_.size()) > kMaxOpenElements) return Fail(current_, Kind::kNestedTooDeep);
  int line = current_.line;
  if (!ExtendName(scratch_, false)) return EndedEarly();
  auto element = std::make_unique<MarkupElement>(scratch_, line);
  open_.push_back(Top()->InsertChild(Top()->children().size(), std::move(element)));
  inTag_ = true;
  return Outcome::kContinue;
}

TreeBuilder::Outcome TreeBuilder::TagStep() {
  if (current_.Is('/')) {
    if (!Advance()) return EndedEarly();
    if (!current_.Is('>')) return Fail(current_, Kind::kSlashWithoutGt);
    if (!Advance()) return Outcome::kSuccess;
    open_.pop_back();
    inTag_ = false;
    return Outcome::kContinue;
  }
  if (current_.Is('>')) {
    if (!Advance()) return EndedEarly();
    inTag_ = false;
    return Outcome::kContinue;
  }
  if (current_.kind != TokenKind::Word) return Fail(current_, Kind::kBadAttributeName);
  int line = current_.line;
  if (!ExtendName(scratch_, true)) return EndedEarly();
  if (!current_.Is('=')) {
    // A bare attribute name: an empty value of kind none.
    MarkupAttribute* attribute = Top()->AddAttribute(scratch_, "");
    attribute->SetQuiet(parser_.quiet);
    attribute->SetKind(TokenKind::None);
    attribute->SetLine(line);
    return Outcome::kContinue;
  }
  if (!Advance()) return EndedEarly();
  if (current_.kind != TokenKind::Quoted) return Fail(current_, Kind::kValueNotQuoted);
  // (A failed parse returns no tree, so the attribute is only made once whole.)
  CopyTokenFields(current_, *Top()->AddAttribute(scratch_, current_.text));
  if (!Advance()) return EndedEarly();
  return Outcome::kContinue;
}

// The content of a raw-text element up to "<" "/" and its name, as one piece.
TreeBuilder::Outcome TreeBuilder::RawText() {
  MarkupElement* element = Top();
  auto text = std::make_unique<MarkupText>();
  text->SetLine(current_.line);
  text->SetQuiet(parser_.quiet);
  // A blank between two tokens is kept as one blank (names and titles keep
  // every blank between words); the one before the end tag is not.
  scratch_.clear();
  bool blank = false;
  // A quoted token keeps its quotes: an attribute of markup inside the element
  // is written back as it was, and so is a quoted word of a title.
  auto append = [&](const RawToken& token) {
    if (blank) scratch_ += ' ';
    bool quoted = token.kind == TokenKind::Quoted;
    if (quoted) scratch_ += '"';
    scratch_.append(token.text);
    if (quoted) scratch_ += '"';
    blank = token.spaceAfter;
  };
  append(current_);
  for (;;) {
    if (!Advance()) return EndedEarly();
    if (current_.Is('<') && hasNext_ && next_.Is('/')) {
      RawToken lessThan = current_;
      Advance();
      if (!hasNext_) return EndedEarly();
      if (next_.text == element->name()) break;
      // Not this element's end tag: both symbols are content.
      append(lessThan);
    }
    append(current_);
  }
  text->SetText(scratch_);
  element->AppendText(std::move(text));
  Advance();  // the name
  if (!Advance()) return EndedEarly();
  // The token after the name closes the tag without being looked at.
  if (!Advance()) return Outcome::kSuccess;
  open_.pop_back();
  return Outcome::kContinue;
}

}  // namespace

const char* ParseErrorMessage(ParseErrorKind kind) {
  switch (kind) {
    case Kind::kNone: break;
    case Kind::kEndedEarly: return "XML が途中で終わっています";
    case Kind::kDeclarationInside: return "XML 宣言が他の要素内に記述してあります";
    case Kind::kEndTagMismatch: return "要素の終了タグ名が開始タグ名と異なります";
    case Kind::kEndTagNotClosed: return "終了タグが > で閉じられていません";
    case Kind::kContentOutside: return "要素外に内容が記述してあります";
    case Kind::kSlashWithoutGt: return "要素が終了で / の後に > がありません";
    case Kind::kValueNotQuoted: return "属性のパラメータが \"\" で囲まれていません";
    case Kind::kBadAttributeName: return "属性名が不正です";
    case Kind::kNestedTooDeep: return "要素の入れ子が深すぎます";
  }
  return "";
}

std::string FormatParseError(const ParseError& error) {
  return MessageAtLine(error.line, error.token, ParseErrorMessage(error.kind));
}

unsigned char DetectEncoding(std::string_view text) {
  size_t lineEnd = std::min(text.find('\r'), text.size());
  std::string_view firstLine = text.substr(0, lineEnd);
  size_t at = firstLine.find("encoding");
  if (at == std::string_view::npos) return kMultibyteShiftJis;
  size_t open = text.find_first_of("\"\r\n", at);
  if (open == std::string_view::npos || text[open] != '"') return kMultibyteShiftJis;
  size_t close = text.find('"', open + 1);
  // A value without its closing quote is no declaration.
  if (close == std::string_view::npos) return kMultibyteShiftJis;
  std::string value(text.substr(open + 1, close - open - 1));
  LowerCaseInPlace(value);
  if (value == "shift_jis") return kMultibyteShiftJis;
  if (value == "utf-8") return kMultibyteUtf8;
  MessageSeverity = kSeverityWarning;
  ReportMessage("未知のエンコーディング<%s>です", value.c_str());
  return kMultibyteShiftJis;
}

bool MarkupParser::KeepsRawText(const MarkupElement&, const MarkupElement*) const { return false; }

std::unique_ptr<MarkupDocument> MarkupParser::Parse(std::string_view text) {
  const void* zero = std::memchr(text.data(), 0, text.size());
  if (zero != nullptr) text = text.substr(0, static_cast<const char*>(zero) - text.data());
  unsigned char encoding = DetectEncoding(text);
  MultibyteModeGuard guard(encoding);
  MarkupTokenizer tokenizer(text, MarkupTokenizer::kMarkupComments | MarkupTokenizer::kQuotedStrings);
  TreeBuilder builder(*this, tokenizer);
  std::unique_ptr<MarkupDocument> document = builder.Build();
  error_ = builder.error();
  if (document != nullptr) {
    document->encoding = encoding;
  } else if (!quiet) {
    ReportError("%s", FormatParseError(error_).c_str());
  }
  return document;
}

std::unique_ptr<MarkupDocument> MarkupParser::ParseHandedOver(std::string&& text) {
  std::string owned = std::move(text);
  return Parse(owned);
}
