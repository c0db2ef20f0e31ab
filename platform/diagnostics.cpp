#include "platform/diagnostics.h"

#include <cstdio>
#include <algorithm>
#include <cstring>

unsigned char MessageSeverity = kSeverityError;

namespace {

constexpr size_t kMessageBuffer = 1024;

MessageSink& Sink() {
  static MessageSink sink;
  return sink;
}

}  // namespace

MessageSink SetMessageSink(MessageSink sink) {
  MessageSink previous = std::move(Sink());
  Sink() = std::move(sink);
  return previous;
}

std::string FormatStringV(const char* format, va_list args) {
  char buffer[kMessageBuffer + 1];
  int n = std::vsnprintf(buffer, sizeof buffer, format, args);
  if (n < 0) return std::string();
  return std::string(buffer, std::min<size_t>(static_cast<size_t>(n), kMessageBuffer));
}

std::string FormatString(const char* format, ...) {
  va_list args;
  va_start(args, format);
  std::string text = FormatStringV(format, args);
  va_end(args);
  return text;
}

void ReportMessageV(const char* format, va_list args) {
  int severity = MessageSeverity;
  if (severity != kSeverityError && severity != kSeverityWarning) return;
  std::string text = FormatStringV(format, args);
  if (Sink()) {
    Sink()(severity, text);
  } else {
    std::fprintf(stderr, "%s: %s\n", severity == kSeverityError ? "ERROR" : "WARNING", text.c_str());
  }
}

void ReportMessage(const char* format, ...) {
  va_list args;
  va_start(args, format);
  ReportMessageV(format, args);
  va_end(args);
}

void ReportError(const char* format, ...) {
  MessageSeverity = kSeverityError;
  va_list args;
  va_start(args, format);
  ReportMessageV(format, args);
  va_end(args);
}

int FormatText(char* buffer, size_t size, const char* format, ...) {
  va_list args;
  va_start(args, format);
  int n = std::vsnprintf(buffer, size, format, args);
  va_end(args);
  return n;
}

void ByteOutput::WriteText(const char* text) { Write(text, std::strlen(text)); }

MessageRecorder::MessageRecorder() {
  previous_ = SetMessageSink([this](int severity, const std::string& text) {
    messages.push_back({severity, text});
  });
}

MessageRecorder::~MessageRecorder() { SetMessageSink(std::move(previous_)); }

std::vector<std::string> MessageRecorder::Texts() const {
  std::vector<std::string> texts;
  for (const Message& m : messages) texts.push_back(m.text);
  return texts;
}
