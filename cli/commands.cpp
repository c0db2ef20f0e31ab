#include "cli/commands.h"

#include <cstdlib>
#include <cstring>

#include "platform/console.h"
#include "platform/crash.h"
#include "platform/diagnostics.h"
#include "platform/files.h"
#include "settings/options.h"
#include "platform/dates.h"

const char kVersionText[] = "Velkora Ver.0.7.9";

namespace {

const char kUsage[] =
    "usage:\n"
    "  velkora [--home DIR] run [--from YYYYMMDD --to YYYYMMDD] [--refetch-schedules 1|2] [--refetch-companies]\n"
    "  velkora [--home DIR] get KEY...\n"
    "  velkora [--home DIR] set KEY VALUE\n"
    "  velkora [--home DIR] options\n"
    "  velkora [--home DIR] search [--from YYYYMMDD] [--to YYYYMMDD] [--code C]... [--view all|port|xls] WORD...\n"
    "  velkora [--home DIR] export [--from YYYYMMDD] [--to YYYYMMDD] [--code C]... [--view all|port|xls]\n"
    "                              [--format csv|jsonl] [--bom] [--out FILE]\n"
    "  velkora demo [--out DIR] [--log-level 0|1|2]\n"
    "  velkora --help | --version\n"
    "\n"
    "The home directory (default: the directory of this program) holds the option file\n"
    "VelkoraOption.ini, DebugLog.txt and VkErrorInfo.txt; relative paths are taken from it.\n"
    "VELKORA_TODAY=yyyymmdd replaces today's date.\n";

struct Command {
  const char* name;
  int (*run)(const std::vector<std::string>& arguments);
  bool needsOptions;  // opens the option file of the home directory first
};

const Command kCommands[] = {
    {"run", CommandRun, true},
    {"get", CommandGet, true},
    {"set", CommandSet, true},
    {"options", CommandOptions, true},
    {"demo", CommandDemo, false},
    {"search", CommandSearch, true},
    {"export", CommandExport, true},
};

// Messages are printed as "ERROR: text" / "WARNING: text", UTF-8, never waiting.
void InstallConsoleSink() {
  SetMessageSink([](int severity, const std::string& text) {
    PrintError(std::string(severity == kSeverityError ? "ERROR: " : "WARNING: ") + text + "\n");
  });
}

}  // namespace

ErrorCount::ErrorCount() {
  previous_ = SetMessageSink([this](int severity, const std::string& text) {
    if (severity == kSeverityError) ++errors;
    if (previous_) previous_(severity, text);
  });
}

ErrorCount::~ErrorCount() { SetMessageSink(std::move(previous_)); }

ProgressLine::ProgressLine() : terminal_(ErrorIsTerminal()) {}

ProgressLine::~ProgressLine() {
  if (terminal_ && shown_) PrintError("\n");
}

void ProgressLine::ShowProgress(int code, int a, int b) {
  std::string text = ProgressText(code, a, b);
  if (text == last_) return;
  last_ = text;
  shown_ = true;
  PrintError(terminal_ ? "\r" + text + "\x1b[K" : text + "\n");
}

void ProgressLine::RunSummary(const std::string& text) {
  if (terminal_ && shown_) PrintError("\n");
  shown_ = false;
  last_.clear();
  PrintError(text + "\n");
}

int UsageError(const std::string& message) {
  PrintError("velkora: " + message + " (see velkora --help)\n");
  return kExitUsage;
}

bool ParseDateArgument(const std::string& text, unsigned& date) {
  if (text.size() != 8 || text.find_first_not_of("0123456789") != std::string::npos) return false;
  date = static_cast<unsigned>(std::strtoul(text.c_str(), nullptr, 10));
  return IsValidDate(date);
}

int RunCommandLine(const std::vector<std::string>& arguments) {
  InstallConsoleSink();
  size_t next = 0;
  if (next < arguments.size() && arguments[next] == "--home") {
    if (next + 1 >= arguments.size()) return UsageError("--home needs a directory");
    if (!SetHomeDirectory(arguments[next + 1])) return UsageError("no such directory: " + arguments[next + 1]);
    next += 2;
  }
  if (next >= arguments.size()) return UsageError("no command given");
  const std::string& name = arguments[next];
  if (name == "--help" || name == "-h" || name == "help") {
    PrintOut(kUsage);
    return kExitOk;
  }
  if (name == "--version") {
    PrintOut(std::string(kVersionText) + "\n");
    return kExitOk;
  }
  std::vector<std::string> rest(arguments.begin() + static_cast<long>(next) + 1, arguments.end());
  for (const Command& command : kCommands) {
    if (name != command.name) continue;
    if (!command.needsOptions) return command.run(rest);
    InstallCrashHandler();
    MoveLegacyOptionFile();
    OptionStore store;
    return command.run(rest);
  }
  return UsageError("unknown command: " + name);
}
