#include "cli/commands.h"
#include "platform/console.h"

int main(int argc, char** argv) {
  std::vector<std::string> arguments;
  int bad = 0;
  if (!CommandLineArguments(argc, argv, arguments, bad))
    return UsageError("argument " + std::to_string(bad) + " holds text that Shift_JIS (code page 932) cannot keep");
  return RunCommandLine(arguments);
}
