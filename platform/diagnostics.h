// Failure reporting, shared by every part of the program.
//
// An operation that fails reports it itself: it stores the severity into
// MessageSeverity and calls ReportMessage with a printf-style Shift_JIS text, then
// returns its failure value. ReportMessage hands the formatted text to the sink
// that the front end installed (a message box in the GUI, standard error on the
// command line, a recorder in tests). It never changes the caller's control flow.
#pragma once

#include <cstdarg>
#include <cstddef>
#include <functional>
#include <string>
#include <vector>

// Severity of the next ReportMessage call: 0 error, 1 warning, any other value
// silent (the program uses 3). Every reporting site sets it right before the call.
extern unsigned char MessageSeverity;

enum : unsigned char { kSeverityError = 0, kSeverityWarning = 1, kSeveritySilent = 3 };

// Receives each shown message: severity 0 or 1 and the formatted text (Shift_JIS,
// at most 1024 bytes).
using MessageSink = std::function<void(int severity, const std::string& text)>;

// Installs the sink for all later messages and returns the previous one. With no
// sink installed, messages are written to standard error as raw bytes.
MessageSink SetMessageSink(MessageSink sink);

// Formats (vsprintf conventions, cut at 1024 bytes) and shows the text when
// MessageSeverity is 0 or 1; otherwise does nothing.
void ReportMessage(const char* format, ...)
#if defined(__GNUC__)
    __attribute__((format(printf, 1, 2)))
#endif
    ;
void ReportMessageV(const char* format, va_list args);

// Shorthand for the common case: MessageSeverity = 0, then ReportMessage.
void ReportError(const char* format, ...)
#if defined(__GNUC__)
    __attribute__((format(printf, 1, 2)))
#endif
    ;

// printf-style formatting into a caller buffer of `size` bytes (always
// terminated, cut when too long). Returns the length the full text would have, or
// -1 on a formatting error.
int FormatText(char* buffer, size_t size, const char* format, ...)
#if defined(__GNUC__)
    __attribute__((format(printf, 3, 4)))
#endif
    ;

// printf-style formatting into a std::string, cut at 1024 bytes as every
// formatted text of the program is.
std::string FormatString(const char* format, ...)
#if defined(__GNUC__)
    __attribute__((format(printf, 1, 2)))
#endif
    ;
std::string FormatStringV(const char* format, va_list args);

// Anything bytes can be written to: a BufferedFileWriter, a string in tests.
class ByteOutput {
 public:
  virtual ~ByteOutput() = default;
  virtual void Write(const char* bytes, size_t length) = 0;
  void WriteText(const char* text);
  void WriteChar(char c) { Write(&c, 1); }
};

// A ByteOutput that collects into a string.
class StringOutput : public ByteOutput {
 public:
  void Write(const char* bytes, size_t length) override { text.append(bytes, length); }
  std::string text;
};

// Records every shown message while it lives (tests assert exact texts), then
// puts the previous sink back.
class MessageRecorder {
 public:
  MessageRecorder();
  ~MessageRecorder();
  MessageRecorder(const MessageRecorder&) = delete;
  MessageRecorder& operator=(const MessageRecorder&) = delete;

  struct Message {
    int severity;
    std::string text;
  };
  std::vector<Message> messages;
  // The texts alone, in order.
  std::vector<std::string> Texts() const;

 private:
  MessageSink previous_;
};
