// Serialises markup trees with tab indentation.
//
// Layout of one element at indent n: n tabs, "<", the name; for each attribute
// ' name="value"' (the value as stored, no escaping; after a value that had a line
// break after it in the source, a line feed and n + 1 tabs instead of the blank
// before the next attribute); then " />\n" when the element has neither texts nor
// children, else ">\n", the texts on one line at n + 1 tabs (joined by one blank,
// or by a line feed and n + 1 tabs after a text that had a line break after it),
// the children at n + 1, and n tabs "</name>\n". Texts are written as stored:
// quoted tokens without their quotes, entities as they were read.
#pragma once

#include <string>

#include "markup/tree.h"

class ByteOutput;

// Collects the serialised bytes in a buffer and hands them to the output in large
// pieces (once the buffer fills, and when the writer is destroyed or flushed).
class MarkupWriter {
 public:
  explicit MarkupWriter(ByteOutput& output);
  ~MarkupWriter();
  MarkupWriter(const MarkupWriter&) = delete;
  MarkupWriter& operator=(const MarkupWriter&) = delete;

  // The XML declaration for `encoding` (0 "Shift_JIS", 1 "utf-8") and an empty
  // line, then every child of the document at `indent`.
  void WriteDocument(const MarkupDocument& document, int indent);
  // One element and its subtree.
  void WriteElement(const MarkupElement& element, int indent);
  // Passes everything collected so far to the output.
  void Flush();

 private:
  void Tabs(int count);
  void Append(std::string_view bytes);
  void WriteAttributes(const MarkupElement& element, int indent);
  void WriteTexts(const MarkupElement& element, int indent);

  ByteOutput& output_;
  std::string buffer_;
};
