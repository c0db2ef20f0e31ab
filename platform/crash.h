// The crash report "VkErrorInfo.txt", written into the home directory when the
// process dies of an unhandled exception (Windows) or a fatal signal (Linux).
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

constexpr const char* kCrashReportName = "VkErrorInfo.txt";

// Installs the process-wide handler. Call once at start-up, after the home
// directory is settled (the report's path is fixed here). The handler writes the
// report and lets the system's default handling end the process.
void InstallCrashHandler();

// The report text: 22 lines ending in CR LF: code, flags, chained record and
// address as "0x" and eight upper-case hexadecimal digits (64-bit values are
// shown by their low 32 bits), the parameter count, the line
// "ExceptionInformation : " and the sixteen information entries [0] to [F] as
// signed decimals, whatever the count says.
std::string FormatCrashReport(uint32_t code, uint32_t flags, uint64_t record, uint64_t address,
                              uint32_t parameterCount, const int64_t information[16]);

// The same into a caller buffer, using no allocation and no locale: safe inside a
// signal handler. Returns the length written (cut at size - 1, terminated).
size_t FormatCrashReportInto(char* buffer, size_t size, uint32_t code, uint32_t flags, uint64_t record,
                             uint64_t address, uint32_t parameterCount, const int64_t information[16]);

// A fault-injection point, placed before every write, truncation, rename and
// deletion of the file layer. Normally it does nothing. With the environment
// variable VELKORA_CRASH_AT=N the N-th point reached kills the process at once,
// as a power cut or kill -9 would, so tests can check that a run killed at any
// such point leaves nothing half-written behind.
void CrashPoint();
// Ends the process at once, without any cleanup.
[[noreturn]] void KillProcessNow();
