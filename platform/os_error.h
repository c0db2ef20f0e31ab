// A failed call to the operating system as data: the program's message for it
// and the system's own error code.
//
// Every layer that calls the system turns a failure into an OsError through the
// one helper of its platform (posix/os_error.cpp reads errno, win32/os_error.cpp
// GetLastError), then reports it. The message is what the user sees ("MoveFileEx
// に失敗", "ファイル<%s>のオープンに失敗"); the code is kept beside it, never
// shown, for callers that must tell one failure from another.
#pragma once

#include <string>

struct OsError {
  std::string message;  // Shift_JIS, at most 1024 bytes, as it is reported
  int code = 0;         // errno on Linux, GetLastError() on Windows; 0 when there was none
};

// The failure of the system call that has just failed on this thread: the
// system's last error code and the message formatted printf-style. Call it right
// after the failed call, before anything else that may change the code.
OsError OsFailure(const char* format, ...)
#if defined(__GNUC__)
    __attribute__((format(printf, 1, 2)))
#endif
    ;

// The same with a code the caller has (a child's error passed back through a
// pipe, a library's own result, 0 for a failure the program found itself).
OsError OsFailureWithCode(int code, const char* format, ...)
#if defined(__GNUC__)
    __attribute__((format(printf, 2, 3)))
#endif
    ;

// Reports the error's message as an error (severity 0, ReportMessage) and keeps
// the error as this thread's last one. Returns false, so that an operation can
// end with `return ReportOsError(...)`.
bool ReportOsError(const OsError& error);

// ReportOsError(OsFailure(format, ...)): the usual way to report a failed call.
bool ReportOsFailure(const char* format, ...)
#if defined(__GNUC__)
    __attribute__((format(printf, 1, 2)))
#endif
    ;

// The error this thread reported last through ReportOsError (an empty message
// and code 0 before the first).
const OsError& LastOsError();

// Whether a code of this system means that a file or directory (or a directory
// on its path) does not exist.
bool IsNotFoundError(int code);

// The system's last error code on this thread (errno, GetLastError()).
int LastSystemErrorCode();
