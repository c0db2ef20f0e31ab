// The markup document tree: elements that hold their child elements, attributes
// and text pieces as three ordered lists, every piece of text kept as the token it
// was read as. When written, an element's text always precedes its children.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "markup/compact.h"
#include "markup/text.h"

class ByteOutput;

// A message about something of a source text: "%d行目<%s> %s" with the 0-based
// `line` counted from 1, the token or element name, then the message. Parse
// errors and the tokens' and elements' own errors are all shown this way.
std::string MessageAtLine(int line, std::string_view subject, std::string_view message);

// Kind of a token. None is the value of an attribute written without "=".
enum class TokenKind : uint8_t { None = 0, Word = 1, Integer = 2, Real = 3, Symbol = 4, Quoted = 5 };

// One lexical unit: a text piece or an attribute value. Tokens made by the
// program have kind Word, no flags and line -1. 24 bytes.
class MarkupToken {
 public:
  MarkupToken() = default;
  explicit MarkupToken(std::string_view text, TokenKind kind = TokenKind::Word);

  // Tokens are allocated from the markup block pool. The destructor is not
  // virtual: delete a text or an attribute through its own type.
  static void* operator new(size_t size) { return AllocatePooled(size); }
  static void operator delete(void* block, size_t size) { FreePooled(block, size); }

  // The characters (a quoted token's without its quotes), zero-terminated.
  std::string_view text() const { return text_.view(); }
  const char* c_str() const { return text_.c_str(); }
  void SetText(std::string_view text) { text_.Assign(text); }

  TokenKind kind() const { return static_cast<TokenKind>(meta_ >> kKindShift & 7u); }
  void SetKind(TokenKind kind);
  // The value slot: meaningful for kinds Integer (integer) and Real (real).
  NumberSlot number() const { return number_; }
  void SetNumber(NumberSlot number) { number_ = number; }

  // A blank or tab followed the token in the source.
  bool spaceAfter() const { return (meta_ & kSpaceBit) != 0; }
  // A line break followed the token in the source.
  bool newlineAfter() const { return (meta_ & kNewlineBit) != 0; }
  void SetSpaceAfter(bool on) { SetBit(kSpaceBit, on); }
  void SetNewlineAfter(bool on) { SetBit(kNewlineBit, on); }
  // Made by a quiet parser: ReportError shows nothing.
  bool quiet() const { return (meta_ & kQuietBit) != 0; }
  void SetQuiet(bool on) { SetBit(kQuietBit, on); }

  // 0-based source line, -1 for tokens made by the program. Lines beyond
  // 16777214 are recorded as 16777214.
  int line() const { return static_cast<int>(meta_ & kLineMask) - 1; }
  void SetLine(int line);

  // Integer: the number; Real: the number truncated toward zero; otherwise 0.
  int32_t IntValue() const;
  // Text becomes the decimal form of `value`, the number `value`, kind Integer.
  void SetInt(int32_t value);
  // A Word or Quoted token whose text begins with a digit or "-" is read again
  // with ReadNumber: kind Integer or Real with the number when it is one,
  // otherwise kind Word. Other tokens are left alone.
  void Retype();

  // Shows "%d行目<%s> %s" (line + 1, the text, the formatted message) as an
  // error; does nothing for a quiet token.
  void ReportError(const char* format, ...) const
#if defined(__GNUC__)
      __attribute__((format(printf, 2, 3)))
#endif
      ;

 private:
  static constexpr uint32_t kLineMask = 0x00FFFFFFu;  // line + 1
  static constexpr uint32_t kKindShift = 24;          // 3 bits
  static constexpr uint32_t kSpaceBit = 1u << 27;
  static constexpr uint32_t kNewlineBit = 1u << 28;
  static constexpr uint32_t kQuietBit = 1u << 29;

  void SetBit(uint32_t bit, bool on) { meta_ = on ? (meta_ | bit) : (meta_ & ~bit); }

  CompactText text_;
  NumberSlot number_{0};
  uint32_t meta_ = static_cast<uint32_t>(TokenKind::Word) << kKindShift;  // line -1
};

// An attribute: the value token plus the attribute's name.
class MarkupAttribute : public MarkupToken {
 public:
  MarkupAttribute(std::string_view name, std::string_view value) : MarkupToken(value), name_(name) {}
  std::string_view name() const { return name_.view(); }
  const char* nameCStr() const { return name_.c_str(); }
  void SetName(std::string_view name) { name_.Assign(name); }

 private:
  CompactText name_;
};

// A piece of element content.
class MarkupText : public MarkupToken {
 public:
  using MarkupToken::MarkupToken;
};

// An element. It owns its whole subtree: children, attributes and texts are
// destroyed with it. Pointers returned by the Add and Find operations stay valid
// until that node is removed or its owner destroyed.
class MarkupElement {
 public:
  explicit MarkupElement(std::string_view name, int line = -1) : name_(name), line_(line) {}
  virtual ~MarkupElement() = default;
  MarkupElement(const MarkupElement&) = delete;
  MarkupElement& operator=(const MarkupElement&) = delete;

  // Elements are allocated from the markup block pool; the virtual destructor
  // hands a derived element's own size back.
  static void* operator new(size_t size) { return AllocatePooled(size); }
  static void operator delete(void* block, size_t size) { FreePooled(block, size); }

  // Writes the element and its subtree with `indent` tabs in front of its tags
  // (see markup/writer.h for the layout).
  virtual void Write(ByteOutput& output, int indent) const;
  // Shows "%d行目<%s> %s" (line + 1, the name, the formatted message) as an error.
  virtual void ReportError(const char* format, ...) const
#if defined(__GNUC__)
      __attribute__((format(printf, 2, 3)))
#endif
      ;

  std::string_view name() const { return name_.view(); }
  const char* nameCStr() const { return name_.c_str(); }
  void SetName(std::string_view name) { name_.Assign(name); }
  // 0-based line of the element's name in the source, -1 when made by the program.
  int line() const { return line_; }
  void SetLine(int line) { line_ = line; }

  const NodeList<MarkupElement>& children() const { return children_; }
  const NodeList<MarkupAttribute>& attributes() const { return attributes_; }
  const NodeList<MarkupText>& texts() const { return texts_; }

  // --- children ---
  // Appends a new empty element named `name` as the last child; returns it.
  MarkupElement* AddChild(std::string_view name);
  // Takes `child` and puts it at `index` (clamped to the end); returns it.
  MarkupElement* InsertChild(size_t index, std::unique_ptr<MarkupElement> child);
  // Takes `child` and puts it right before / after `sibling`, which must be a
  // child of this element; at the end when `sibling` is not one. Returns it.
  MarkupElement* InsertChildBefore(const MarkupElement* sibling, std::unique_ptr<MarkupElement> child);
  MarkupElement* InsertChildAfter(const MarkupElement* sibling, std::unique_ptr<MarkupElement> child);
  // Takes `children`, in order, and puts them at `index` (clamped to the end),
  // moving the children after it once however many go in.
  void InsertChildren(size_t index, std::vector<std::unique_ptr<MarkupElement>> children);
  // Destroys `count` children from `index` on (clamped to the children).
  void RemoveChildren(size_t index, size_t count) { children_.Erase(index, count); }
  // Takes `child` out of this element and hands it over; null when it is not a
  // child of this element.
  std::unique_ptr<MarkupElement> DetachChild(const MarkupElement* child);
  // Destroys `child`; false when it is not a child of this element.
  bool RemoveChild(const MarkupElement* child);
  // Moves `child` of this element into `target` right before `before` (a child of
  // `target`; null or not a child of it appends). Returns the moved child, or null
  // (nothing changed) when `child` is not a child of this element.
  MarkupElement* MoveChild(const MarkupElement* child, MarkupElement& target, const MarkupElement* before);
  // Position of `child` among the children, or children().size() when absent.
  size_t ChildIndex(const MarkupElement* child) const { return children_.IndexOf(child); }

  // --- attributes ---
  // Appends an attribute whose value is `value` (kind Word); returns it.
  MarkupAttribute* AddAttribute(std::string_view name, std::string_view value);
  // Appends "rowspan" with the decimal text of `n`, kind Integer, number n.
  MarkupAttribute* AddRowspan(int32_t n);
  // Sets the first "rowspan" attribute to `n` (as AddRowspan), or adds one.
  MarkupAttribute* SetRowspan(int32_t n);
  // The first attribute named `name`, or null.
  MarkupAttribute* FindAttribute(std::string_view name) const;
  // Destroys `attribute`; false when it does not belong to this element.
  bool RemoveAttribute(const MarkupAttribute* attribute);

  // --- texts ---
  // Appends a text piece (kind Word, no flags, line -1); returns it.
  MarkupText* AddText(std::string_view text);
  // Formats (printf, cut at 1024 bytes) and appends the result as AddText.
  MarkupText* AddTextFormat(const char* format, ...)
#if defined(__GNUC__)
      __attribute__((format(printf, 2, 3)))
#endif
      ;
  // Appends an already made text piece; returns it.
  MarkupText* AppendText(std::unique_ptr<MarkupText> text);
  // The first text piece, or null.
  MarkupText* FirstText() const { return texts_.empty() ? nullptr : texts_.front(); }
  // Destroys `text`; false when it does not belong to this element.
  bool RemoveText(const MarkupText* text);
  // Takes `text` out of this element and hands it over; null when not one of its.
  std::unique_ptr<MarkupText> DetachText(const MarkupText* text);
  // Destroys every text piece.
  void ClearTexts() { texts_.Clear(); }

  // --- queries ---
  // The first child named `name`; with `recursive`, each non-matching child's
  // subtree is searched (depth first, pre-order) before the next sibling.
  MarkupElement* FindChild(std::string_view name, bool recursive) const;
  // The first child "td" whose first "id" attribute has the value `id`; with
  // `recursive`, searched like FindChild whatever the children's names.
  MarkupElement* FindCellById(std::string_view id, bool recursive) const;
  // A deep copy of this element and its subtree (name, line, every attribute and
  // text with all token fields, every child). The copy is a plain element.
  std::unique_ptr<MarkupElement> Clone() const;

 private:
  NodeList<MarkupElement> children_;
  CompactText name_;
  NodeList<MarkupAttribute> attributes_;
  NodeList<MarkupText> texts_;
  int32_t line_;
};

// The invisible root returned by the parser: named "XML_Root", its children are
// the top-level elements, and it knows the text's encoding.
class MarkupDocument : public MarkupElement {
 public:
  MarkupDocument() : MarkupElement("XML_Root") {}

  // 0 Shift_JIS, 1 UTF-8 (the values of MultibyteMode).
  unsigned char encoding = kMultibyteShiftJis;

  // The XML declaration ("Shift_JIS" or "utf-8"), an empty line, then every
  // top-level element with `indent`.
  void Write(ByteOutput& output, int indent) const override;
};
