#include "markup/writer.h"

#include "markup/safe_text.h"
#include "platform/diagnostics.h"

namespace {

// Large enough that a page reaches the output in a few hundred calls.
constexpr size_t kFlushSize = 64 * 1024;

}  // namespace

MarkupWriter::MarkupWriter(ByteOutput& output) : output_(output) { buffer_.reserve(kFlushSize + 4096); }

MarkupWriter::~MarkupWriter() { Flush(); }

void MarkupWriter::Flush() {
  if (buffer_.empty()) return;
  output_.Write(buffer_.data(), buffer_.size());
  buffer_.clear();
}

void MarkupWriter::Append(std::string_view bytes) {
  buffer_.append(bytes);
  if (buffer_.size() >= kFlushSize) Flush();
}

void MarkupWriter::Tabs(int count) {
  if (count > 0) buffer_.append(static_cast<size_t>(count), '\t');
}

void MarkupWriter::WriteDocument(const MarkupDocument& document, int indent) {
  Append("<?xml version=\"1.0\" encoding=\"");
  Append(document.encoding == kMultibyteUtf8 ? "utf-8" : "Shift_JIS");
  Append("\"?>\n\n");
  for (const MarkupElement* child : document.children()) WriteElement(*child, indent);
}

void MarkupWriter::WriteAttributes(const MarkupElement& element, int indent) {
  const NodeList<MarkupAttribute>& attributes = element.attributes();
  buffer_ += ' ';
  for (size_t i = 0; i < attributes.size(); ++i) {
    const MarkupAttribute* attribute = attributes[i];
    Append(attribute->name());
    Append("=\"");
    // A value read back from a page an earlier version wrote may hold a bare
    // "&" (a link address): written as a reference, so the page stays
    // well-formed. Values without such characters are written as they stand.
    std::string_view value = attribute->text();
    if (value.find_first_of("&<>\"") == std::string_view::npos)
      Append(value);
    else
      Append(SafeAttributeValue(value));
    buffer_ += '"';
    if (attribute->newlineAfter()) {
      buffer_ += '\n';
      Tabs(indent + 1);
    } else if (i + 1 < attributes.size()) {
      buffer_ += ' ';
    }
  }
}

void MarkupWriter::WriteTexts(const MarkupElement& element, int indent) {
  const NodeList<MarkupText>& texts = element.texts();
  Tabs(indent + 1);
  for (size_t i = 0; i < texts.size(); ++i) {
    if (i > 0) {
      if (texts[i - 1]->newlineAfter()) {
        buffer_ += '\n';
        Tabs(indent + 1);
      } else {
        buffer_ += ' ';
      }
    }
    Append(texts[i]->text());
  }
  buffer_ += '\n';
}

void MarkupWriter::WriteElement(const MarkupElement& element, int indent) {
  Tabs(indent);
  buffer_ += '<';
  Append(element.name());
  if (!element.attributes().empty()) WriteAttributes(element, indent);
  if (element.children().empty() && element.texts().empty()) {
    Append(" />\n");
    return;
  }
  Append(">\n");
  if (!element.texts().empty()) WriteTexts(element, indent);
  for (const MarkupElement* child : element.children()) WriteElement(*child, indent + 1);
  Tabs(indent);
  Append("</");
  Append(element.name());
  Append(">\n");
}

void MarkupElement::Write(ByteOutput& output, int indent) const {
  MarkupWriter writer(output);
  writer.WriteElement(*this, indent);
}

void MarkupDocument::Write(ByteOutput& output, int indent) const {
  MarkupWriter writer(output);
  writer.WriteDocument(*this, indent);
}
