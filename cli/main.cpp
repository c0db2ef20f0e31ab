#include "cli/commands.h"
#include "platform/console.h"

int main(int argc, char** argv) { return RunCommandLine(CommandLineArguments(argc, argv)); }
