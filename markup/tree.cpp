#include "markup/tree.h"

#include <cstdarg>
#include <string>

#include "platform/diagnostics.h"

namespace {

constexpr int kMaxStoredLine = 0x00FFFFFE;

}  // namespace

std::string MessageAtLine(int line, std::string_view subject, std::string_view message) {
  std::string subjectText(subject), messageText(message);
  return FormatString("%d行目<%s> %s", line + 1, subjectText.c_str(), messageText.c_str());
}

// --- MarkupToken ---

MarkupToken::MarkupToken(std::string_view text, TokenKind kind) : text_(text) { SetKind(kind); }

void MarkupToken::SetKind(TokenKind kind) {
  meta_ = (meta_ & ~(7u << kKindShift)) | (static_cast<uint32_t>(kind) << kKindShift);
}

void MarkupToken::SetLine(int line) {
  // Stored as line + 1 in 24 bits so that the whole token fits in 24 bytes.
  if (line > kMaxStoredLine) line = kMaxStoredLine;
  if (line < -1) line = -1;
  meta_ = (meta_ & ~kLineMask) | static_cast<uint32_t>(line + 1);
}

int32_t MarkupToken::IntValue() const {
  switch (kind()) {
    case TokenKind::Integer:
      return number_.integer;
    case TokenKind::Real:
      // Reals come from ReadNumber and stay within the integer range, but a
      // program-set value may not; saturate rather than overflow.
      if (number_.real >= 2147483647.0f) return 2147483647;
      if (number_.real <= -2147483648.0f) return -2147483647 - 1;
      return static_cast<int32_t>(number_.real);
    default:
      return 0;
  }
}

void MarkupToken::SetInt(int32_t value) {
  char buffer[16];
  int length = FormatInteger(value, buffer);
  text_.Assign(std::string_view(buffer, length));
  number_.integer = value;
  SetKind(TokenKind::Integer);
}

void MarkupToken::Retype() {
  if (kind() != TokenKind::Word && kind() != TokenKind::Quoted) return;
  std::string_view text = text_.view();
  if (text.empty() || !((text[0] >= '0' && text[0] <= '9') || text[0] == '-')) return;
  const char* cursor = text.data();
  NumberSlot value;
  int result = ReadNumber(cursor, text.data() + text.size(), &value);
  if (result == kNotANumber) {
    SetKind(TokenKind::Word);
    return;
  }
  number_ = value;
  SetKind(result == kRealNumber ? TokenKind::Real : TokenKind::Integer);
}

void MarkupToken::ReportError(const char* format, ...) const {
  if (quiet()) return;
  va_list args;
  va_start(args, format);
  std::string message = FormatStringV(format, args);
  va_end(args);
  ::ReportError("%s", MessageAtLine(line(), c_str(), message).c_str());
}

// --- MarkupElement: children ---

MarkupElement* MarkupElement::AddChild(std::string_view name) {
  return children_.Append(std::make_unique<MarkupElement>(name));
}

MarkupElement* MarkupElement::InsertChild(size_t index, std::unique_ptr<MarkupElement> child) {
  return children_.Insert(index, std::move(child));
}

void MarkupElement::InsertChildren(size_t index, std::vector<std::unique_ptr<MarkupElement>> children) {
  children_.InsertAll(index, children);
}

MarkupElement* MarkupElement::InsertChildBefore(const MarkupElement* sibling,
                                                std::unique_ptr<MarkupElement> child) {
  return children_.Insert(children_.IndexOf(sibling), std::move(child));
}

MarkupElement* MarkupElement::InsertChildAfter(const MarkupElement* sibling,
                                               std::unique_ptr<MarkupElement> child) {
  size_t index = children_.IndexOf(sibling);
  return children_.Insert(index < children_.size() ? index + 1 : index, std::move(child));
}

std::unique_ptr<MarkupElement> MarkupElement::DetachChild(const MarkupElement* child) {
  size_t index = children_.IndexOf(child);
  if (index == children_.size()) return nullptr;
  return children_.Release(index);
}

bool MarkupElement::RemoveChild(const MarkupElement* child) { return DetachChild(child) != nullptr; }

MarkupElement* MarkupElement::MoveChild(const MarkupElement* child, MarkupElement& target,
                                        const MarkupElement* before) {
  std::unique_ptr<MarkupElement> moved = DetachChild(child);
  if (moved == nullptr) return nullptr;
  return target.InsertChildBefore(before, std::move(moved));
}

// --- MarkupElement: attributes ---

MarkupAttribute* MarkupElement::AddAttribute(std::string_view name, std::string_view value) {
  return attributes_.Append(std::make_unique<MarkupAttribute>(name, value));
}

MarkupAttribute* MarkupElement::AddRowspan(int32_t n) {
  MarkupAttribute* attribute = AddAttribute("rowspan", "");
  attribute->SetInt(n);
  return attribute;
}

MarkupAttribute* MarkupElement::SetRowspan(int32_t n) {
  MarkupAttribute* attribute = FindAttribute("rowspan");
  if (attribute == nullptr) return AddRowspan(n);
  attribute->SetInt(n);
  return attribute;
}

MarkupAttribute* MarkupElement::FindAttribute(std::string_view name) const {
  for (MarkupAttribute* attribute : attributes_) {
    if (attribute->name() == name) return attribute;
  }
  return nullptr;
}

bool MarkupElement::RemoveAttribute(const MarkupAttribute* attribute) {
  size_t index = attributes_.IndexOf(attribute);
  if (index == attributes_.size()) return false;
  attributes_.Release(index);
  return true;
}

// --- MarkupElement: texts ---

MarkupText* MarkupElement::AddText(std::string_view text) {
  return texts_.Append(std::make_unique<MarkupText>(text));
}

MarkupText* MarkupElement::AddTextFormat(const char* format, ...) {
  va_list args;
  va_start(args, format);
  std::string text = FormatStringV(format, args);
  va_end(args);
  return AddText(text);
}

MarkupText* MarkupElement::AppendText(std::unique_ptr<MarkupText> text) {
  return texts_.Append(std::move(text));
}

bool MarkupElement::RemoveText(const MarkupText* text) { return DetachText(text) != nullptr; }

std::unique_ptr<MarkupText> MarkupElement::DetachText(const MarkupText* text) {
  size_t index = texts_.IndexOf(text);
  if (index == texts_.size()) return nullptr;
  return texts_.Release(index);
}

// --- MarkupElement: queries ---

MarkupElement* MarkupElement::FindChild(std::string_view name, bool recursive) const {
  for (MarkupElement* child : children_) {
    if (child->name() == name) return child;
    if (recursive) {
      if (MarkupElement* found = child->FindChild(name, true)) return found;
    }
  }
  return nullptr;
}

MarkupElement* MarkupElement::FindCellById(std::string_view id, bool recursive) const {
  for (MarkupElement* child : children_) {
    if (child->name() == "td") {
      const MarkupAttribute* attribute = child->FindAttribute("id");
      if (attribute != nullptr && attribute->text() == id) return child;
    }
    if (recursive) {
      if (MarkupElement* found = child->FindCellById(id, true)) return found;
    }
  }
  return nullptr;
}

std::unique_ptr<MarkupElement> MarkupElement::Clone() const {
  auto copy = std::make_unique<MarkupElement>(name(), line_);
  for (const MarkupAttribute* attribute : attributes_) {
    copy->attributes_.Append(std::make_unique<MarkupAttribute>(*attribute));
  }
  for (const MarkupText* text : texts_) copy->texts_.Append(std::make_unique<MarkupText>(*text));
  for (const MarkupElement* child : children_) copy->children_.Append(child->Clone());
  return copy;
}

void MarkupElement::ReportError(const char* format, ...) const {
  va_list args;
  va_start(args, format);
  std::string message = FormatStringV(format, args);
  va_end(args);
  ::ReportError("%s", MessageAtLine(line_, nameCStr(), message).c_str());
}
