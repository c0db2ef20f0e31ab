// The user's lists: company code lists (portfolio, ignore list), the highlight
// keywords and the ignored titles.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "settings/tickers.h"

// A parsed code list: 16-bit codes in the order of the text (duplicates kept)
// followed by one terminating 0, and beside them the alphanumeric codes
// ("285A"); absent when the list is empty.
class TickerList {
 public:
  // Whether a list is held (an empty list is absent).
  bool Present() const { return !codes_.empty() || !alphanumeric_.empty(); }
  // Whether `code` occurs before the terminating 0 (a 0 inside the list ends it).
  bool Contains(uint16_t code) const;
  // The same for a company's code: a numeric code by its low 16 bits, as the
  // list stores it; an alphanumeric code when the list names it.
  bool Contains(Code code) const;
  // The numeric codes followed by the terminating 0, or nullptr when there are
  // none. The pointer stays valid until the list is changed.
  const uint16_t* Data() const { return codes_.empty() ? nullptr : codes_.data(); }
  // The alphanumeric codes in the order of the text.
  const std::vector<Code>& Alphanumeric() const { return alphanumeric_; }
  // Makes the list absent.
  void Clear() {
    codes_.clear();
    alphanumeric_.clear();
  }
  // Holds `codes` plus a terminating 0 (none when `codes` is empty) and the
  // alphanumeric codes `others`.
  void Assign(const std::vector<uint16_t>& codes, std::vector<Code> others = {});

 private:
  std::vector<uint16_t> codes_;
  std::vector<Code> alphanumeric_;
};

// The two code lists the application holds for as long as it runs: each is
// absent until first parsed and replaced whenever it is parsed again. A run
// borrows them; the web portfolio step may replace the portfolio.
struct UserLists {
  TickerList portfolio;
  TickerList ignoreList;
};

// Parses a code list text (already unescaped). The text is a sequence of codes:
// numbers, and alphanumeric codes of four characters (digit, digit or letter,
// digit, digit or letter, with a letter: "285A", upper or lower case, kept
// upper case). After each code every byte other than "0".."9" separates. Each
// number must be an integer ("12", "12.", "12.0", "0x1F"); its low 16 bits are
// stored. `list` is emptied first; an absent or empty text gives success with
// an absent list. A text that does not begin with a code, or a real number,
// reports the error "ＩＤリストのフォーマットエラー", leaves `list` absent and
// returns false.
bool ParseTickerList(const char* text, TickerList& list);
// The largest company code.
constexpr int kMaxTickerCode = 9999;
// ParseTickerList for a text about to be saved: a number outside 0..9999 is no
// code the list could mean (70000 would be kept as 4464) and is refused too, with
// "ＩＤリストの<%d>は銘柄コードではありません (0～9999)", and so is a word of
// digits and letters that is no code ("28A5", "7203X"), with
// "ＩＤリストの<%s>は銘柄コードではありません". `stored`, when given, receives
// the text to store: the text with the letters of its codes upper case.
bool ParseTickerListToSave(const char* text, TickerList& list, std::string* stored = nullptr);

// The highlight keywords of a stored (escaped) keyword list: unescaped, LFs and
// single-byte spaces removed, split at commas and line breaks. Trailing
// separators are dropped; two adjacent separators give an empty keyword between
// them. An empty text gives no keywords.
std::vector<std::string> SplitKeywords(const std::string& storedText);

// The file name of the ignored titles in the output directory.
constexpr const char* kIgnoreTitleFileName = "_ignoreTitle.txt";

// The non-empty lines (CR and LF removed) of the ignore-title file at `path`, in
// order. A missing file gives none; a file without a non-empty line is deleted
// and gives none; an unreadable file is reported by the file layer and gives none.
std::vector<std::string> LoadIgnoreTitles(const char* path);

// Writes `text` unchanged as the ignore-title file in `outputDir` (a directory
// path as the option holds it). Reports "html保存パスの<%s>は存在しません" with
// `outputDir` when the directory is missing, or "ファイル<%s>の書き込みに失敗"
// with the file path when the write fails; returns false then.
bool WriteIgnoreTitles(const char* outputDir, const std::string& text);
