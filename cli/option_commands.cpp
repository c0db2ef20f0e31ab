// get, set and options: read and write the option file as the program does.
#include <string>
#include <vector>

#include "cli/commands.h"
#include "pages/output.h"
#include "platform/console.h"
#include "platform/diagnostics.h"
#include "settings/options.h"
#include "settings/lists.h"
#include "work/controller.h"

namespace {

// The list keys go through the same saving as the list editors: parsed first,
// refused on a format error, and the views built from them removed.
bool SaveThroughList(const OptionInfo& info, const std::string& value, bool& handled) {
  UserLists lists;  // the command line parses each list afresh
  handled = true;
  switch (info.key) {
    case OptionKey::PortList: return SavePortfolioList(Options(), lists, value);
    case OptionKey::IgnoreList: return SaveIgnoreList(Options(), lists, value);
    case OptionKey::KeyHighlightList: return SaveKeywordList(Options(), value);
    default: handled = false; return false;
  }
}

}  // namespace

int CommandGet(const std::vector<std::string>& arguments) {
  if (arguments.empty()) return UsageError("get needs at least one KEY");
  for (const std::string& name : arguments)
    if (!FindOption(name)) return UsageError("unknown key: " + name);
  for (const std::string& name : arguments) PrintOut(Options().ReadAsText(*FindOption(name)) + "\n");
  return kExitOk;
}

int CommandSet(const std::vector<std::string>& arguments) {
  if (arguments.size() != 2) return UsageError("set needs KEY and VALUE");
  const OptionInfo* info = FindOption(arguments[0]);
  if (!info) return UsageError("unknown key: " + arguments[0]);
  ErrorCount counter;
  // A directory whose path leaves no room for the files made in it is refused
  // now, not reported as missing at the next run.
  if (!CheckDirectoryPath(info->key, arguments[1])) return kExitReported;
  bool handled = false;
  bool saved = SaveThroughList(*info, arguments[1], handled);
  if (!handled) saved = Options().WriteFromText(*info, arguments[1]);
  return saved && counter.errors == 0 ? kExitOk : kExitReported;
}

int CommandOptions(const std::vector<std::string>& arguments) {
  if (!arguments.empty()) return UsageError("options takes no arguments");
  std::string section;
  for (const OptionInfo& info : AllOptions()) {
    if (section != info.section) {
      section = info.section;
      PrintOut((section == AllOptions().front().section ? "[" : "\n[") + section + "]\n");
    }
    PrintOut(std::string(info.name) + "=" + Options().ReadAsText(info) + "\n");
  }
  return kExitOk;
}
