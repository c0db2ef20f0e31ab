#include "markup/tokenizer.h"

#include <cstring>

namespace {

bool IsAsciiLetter(unsigned char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }
bool IsDigit(unsigned char c) { return c >= '0' && c <= '9'; }
bool IsHexLetter(unsigned char c) { return (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F'); }
bool IsWordChar(unsigned char c) { return IsAsciiLetter(c) || IsDigit(c) || c == '_' || c >= 0x80; }

}  // namespace

MarkupTokenizer::MarkupTokenizer(std::string_view text, unsigned options) : text_(text) {
  if ((options & kLowerCaseWords) != 0) {
    // Words are lower-cased in place, so work on an own copy.
    owned_.assign(text);
    text_ = owned_;
  }
  Start(options & ~kFreeInput);
}

MarkupTokenizer::MarkupTokenizer(std::string&& text, unsigned options) : owned_(std::move(text)) {
  text_ = owned_;
  Start(options | kFreeInput);
}

void MarkupTokenizer::Start(unsigned options) {
  options_ = options;
  utf8_ = MultibyteMode == kMultibyteUtf8;
  // The text ends at its first zero byte, as a zero-terminated text would.
  const void* zero = std::memchr(text_.data(), 0, text_.size());
  if (zero != nullptr) text_ = text_.substr(0, static_cast<const char*>(zero) - text_.data());
  pos_ = text_.data();
  end_ = pos_ + text_.size();
  SkipGap(nullptr);
}

void MarkupTokenizer::CountLineBreak() {
  if (*pos_ == '\r' && end_ - pos_ >= 2 && pos_[1] == '\n') ++pos_;
  ++pos_;
  ++line_;
}

void MarkupTokenizer::SkipPast(std::string_view terminator) {
  while (pos_ < end_) {
    if (*pos_ == '\n' || *pos_ == '\r') {
      CountLineBreak();
      continue;
    }
    if (static_cast<size_t>(end_ - pos_) >= terminator.size() &&
        std::memcmp(pos_, terminator.data(), terminator.size()) == 0) {
      pos_ += terminator.size();
      return;
    }
    ++pos_;
  }
}

bool MarkupTokenizer::SkipComment() {
  size_t left = static_cast<size_t>(end_ - pos_);
  if (left < 2) return false;
  if ((options_ & kLineComments) != 0 && pos_[0] == '/' && pos_[1] == '/') {
    while (pos_ < end_ && *pos_ != '\n' && *pos_ != '\r') ++pos_;
    if (pos_ < end_) CountLineBreak();
    return true;
  }
  if ((options_ & kBlockComments) != 0 && pos_[0] == '/' && pos_[1] == '*') {
    pos_ += 2;
    SkipPast("*/");
    return true;
  }
  if ((options_ & kMarkupComments) != 0 && left >= 3 && pos_[0] == '<' && pos_[1] == '-' &&
      pos_[2] == '-') {
    pos_ += 3;
    SkipPast("-->");
    return true;
  }
  return false;
}

// Skips blanks, line breaks and comments up to the next token, marking them on
// the token before.
void MarkupTokenizer::SkipGap(RawToken* previous) {
  while (pos_ < end_) {
    char c = *pos_;
    if (c == ' ' || c == '\t') {
      if (previous != nullptr) previous->spaceAfter = true;
      ++pos_;
    } else if (c == '\n' || c == '\r') {
      if (previous != nullptr) previous->newlineAfter = true;
      CountLineBreak();
    } else if ((c != '/' && c != '<') || !SkipComment()) {
      // Comments start with "/" or "<"; other bytes begin the next token.
      return;
    }
  }
}

bool MarkupTokenizer::Next(RawToken& token) {
  if (pos_ >= end_) return false;
  const char* start = pos_;
  unsigned char c = static_cast<unsigned char>(*pos_);
  token.line = line_;
  token.spaceAfter = false;
  token.newlineAfter = false;
  if (IsDigit(c) || c == '-') {
    ReadNumberToken(token);
  } else if (c == '"' && (options_ & kQuotedStrings) != 0) {
    ReadQuoted(token);
  } else if (c == '&' && ReadEntity(token)) {
    // read as one word
  } else if (IsAsciiLetter(c) || c == '_' || (utf8_ ? c >= 0x80 : IsShiftJisLead(c))) {
    ReadWord(token);
  } else {
    ++pos_;
    token.kind = TokenKind::Symbol;
  }
  if (token.kind != TokenKind::Quoted) token.text = std::string_view(start, pos_ - start);
  SkipGap(&token);
  return true;
}

void MarkupTokenizer::ReadNumberToken(RawToken& token) {
  const char* start = pos_;
  int result = ReadNumber(pos_, end_, &token.number);
  if (result == kIntegerNumber) {
    token.kind = TokenKind::Integer;
  } else if (result == kRealNumber) {
    token.kind = TokenKind::Real;
  } else {
    // "0x" without a hex digit or an overlong run: what the reader consumed (at
    // least one byte) becomes a word, so scanning always moves on. A "-" not
    // followed by a digit is a word of its own, whatever the reader took after it.
    if (*start == '-' && (start + 1 == end_ || start[1] < '0' || start[1] > '9')) pos_ = start + 1;
    token.kind = TokenKind::Word;
  }
}

void MarkupTokenizer::ReadQuoted(RawToken& token) {
  const char* start = ++pos_;
  if (utf8_) {
    // UTF-8 bytes of multibyte characters are all 0x80 and above, never a quote.
    const void* quote = std::memchr(pos_, '"', end_ - pos_);
    pos_ = quote != nullptr ? static_cast<const char*>(quote) : end_;
  } else {
    while (pos_ < end_ && *pos_ != '"') {
      if (IsShiftJisLead(static_cast<unsigned char>(*pos_)) && end_ - pos_ >= 2) ++pos_;
      ++pos_;
    }
  }
  token.text = std::string_view(start, pos_ - start);
  token.kind = TokenKind::Quoted;
  if (pos_ < end_) ++pos_;  // the closing quote; an unclosed string ends the text
}

void MarkupTokenizer::ReadWord(RawToken& token) {
  char* start = const_cast<char*>(pos_);
  while (pos_ < end_) {
    unsigned char c = static_cast<unsigned char>(*pos_);
    if (!IsWordChar(c)) break;
    // A Shift_JIS lead byte takes its trail byte, whatever it looks like ("表" is
    // 95 5C, "ソ" 83 5C).
    if (!utf8_ && IsShiftJisLead(c) && end_ - pos_ >= 2) ++pos_;
    ++pos_;
  }
  token.kind = TokenKind::Word;
  if ((options_ & kLowerCaseWords) != 0) {
    // The constructor made text_ an own copy in this mode.
    for (char* p = start; p < pos_; ++p) {
      unsigned char c = static_cast<unsigned char>(*p);
      if (c >= 0x80) {
        if (!utf8_ && IsShiftJisLead(c) && p + 1 < pos_) ++p;
      } else if (c >= 'A' && c <= 'Z') {
        *p = static_cast<char>(c - 'A' + 'a');
      }
    }
  }
}

// An entity or character reference is kept whole so that it is written back
// exactly as it was read: "&" name ";", "&#" digits ";" or "&#x" hex digits ";".
bool MarkupTokenizer::ReadEntity(RawToken& token) {
  const char* p = pos_ + 1;
  const char* digitsStart;
  if (p < end_ && *p == '#') {
    ++p;
    bool hex = p < end_ && (*p == 'x' || *p == 'X');
    if (hex) ++p;
    digitsStart = p;
    while (p < end_ && (IsDigit(*p) || (hex && IsHexLetter(*p)))) ++p;
  } else {
    digitsStart = p;
    if (p < end_ && IsAsciiLetter(*p)) {
      while (p < end_ && (IsAsciiLetter(*p) || IsDigit(*p))) ++p;
    }
  }
  if (p == digitsStart || p >= end_ || *p != ';') return false;
  pos_ = p + 1;
  token.kind = TokenKind::Word;
  return true;
}
