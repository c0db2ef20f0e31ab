// Cuts a text into markup tokens in one pass, one token at a time.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "markup/tree.h"

// A token as the tokenizer hands it out: its text is a view into the tokenizer's
// text and stays valid as long as the tokenizer lives.
struct RawToken {
  std::string_view text;
  NumberSlot number{0};
  TokenKind kind = TokenKind::Symbol;
  bool spaceAfter = false;
  bool newlineAfter = false;
  int32_t line = 0;

  // A Symbol token of exactly this character.
  bool Is(char c) const { return kind == TokenKind::Symbol && text.size() == 1 && text[0] == c; }
};

// Rules, at each position: blanks and tabs set the space-after flag of the token
// before, line breaks (LF, CR, CR LF) its newline-after flag and count a line;
// comments chosen by the options are skipped (their line breaks counted, an
// unclosed one ends the text); a digit or "-" starts a number read with ReadNumber
// (what it consumed becomes the token: Integer or Real, or Word when not a
// number); a double quote starts a Quoted token running to the next double quote
// (or to the end of the text); an entity or character reference ("&amp;",
// "&#9312;", "&#x2460;") is one Word; a letter, "_" or the lead byte of a
// multibyte character starts a Word running over letters, digits, "_" and bytes of
// 0x80 and above; anything else is a one-byte Symbol. Multibyte characters follow
// MultibyteMode as it is at construction; their trail bytes are never syntax.
// The text ends at its end or at its first zero byte.
class MarkupTokenizer {
 public:
  enum Options : unsigned {
    kFreeInput = 1,        // set by the constructor that takes the text over
    kLowerCaseWords = 2,   // the text of Word tokens is lower-cased
    kLineComments = 4,     // "//" to the end of the line
    kBlockComments = 8,    // "/*" to "*/"
    kMarkupComments = 16,  // "<--" to "-->"
    kQuotedStrings = 32,   // a double quote starts a Quoted token
  };

  // Reads `text`, which the caller keeps alive while the tokenizer lives.
  MarkupTokenizer(std::string_view text, unsigned options);
  MarkupTokenizer(const char* text, unsigned options) : MarkupTokenizer(std::string_view(text), options) {}
  // Takes the text over; it is freed with the tokenizer.
  MarkupTokenizer(std::string&& text, unsigned options);
  MarkupTokenizer(const MarkupTokenizer&) = delete;
  MarkupTokenizer& operator=(const MarkupTokenizer&) = delete;

  // Makes the next token; false at the end of the text.
  bool Next(RawToken& token);

 private:
  void Start(unsigned options);
  void SkipGap(RawToken* previous);
  bool SkipComment();
  void SkipPast(std::string_view terminator);
  void ReadNumberToken(RawToken& token);
  void ReadQuoted(RawToken& token);
  void ReadWord(RawToken& token);
  bool ReadEntity(RawToken& token);
  void CountLineBreak();

  std::string owned_;
  std::string_view text_;
  const char* pos_ = nullptr;
  const char* end_ = nullptr;
  unsigned options_ = 0;
  int32_t line_ = 0;
  bool utf8_ = false;
};
