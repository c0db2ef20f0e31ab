#include "platform/os_error.h"

#include <cstdarg>

#include "platform/diagnostics.h"

namespace {

OsError& Last() {
  thread_local OsError last;
  return last;
}

}  // namespace

OsError OsFailure(const char* format, ...) {
  // Read first: formatting may itself touch the code.
  int code = LastSystemErrorCode();
  va_list args;
  va_start(args, format);
  OsError error{FormatStringV(format, args), code};
  va_end(args);
  return error;
}

OsError OsFailureWithCode(int code, const char* format, ...) {
  va_list args;
  va_start(args, format);
  OsError error{FormatStringV(format, args), code};
  va_end(args);
  return error;
}

bool ReportOsError(const OsError& error) {
  Last() = error;
  // The message is already formatted: a "%" in a path stays as it is.
  ReportError("%s", error.message.c_str());
  return false;
}

bool ReportOsFailure(const char* format, ...) {
  int code = LastSystemErrorCode();
  va_list args;
  va_start(args, format);
  OsError error{FormatStringV(format, args), code};
  va_end(args);
  return ReportOsError(error);
}

const OsError& LastOsError() { return Last(); }
