// search and export: the raw store's rows over a period, read without a run and
// without changing anything in the output directory.
#include <string>
#include <vector>

#include "cli/commands.h"
#include "platform/console.h"
#include "platform/diagnostics.h"
#include "platform/files.h"
#include "settings/options.h"
#include "work/history.h"

namespace {

struct HistoryArguments {
  HistoryQuery query;
  std::vector<std::string> words;  // search
  ExportFormat format = ExportFormat::kCsv;
  std::string out;  // export: the file; empty for standard output
  bool bom = false;
};

// Reads one option common to both commands at `i` (moving past its value).
// -1 when `name` is none of them, kExitUsage after a usage error, 0 when read.
int ParseCommonOption(const std::vector<std::string>& arguments, size_t& i, HistoryArguments& parsed) {
  const std::string& name = arguments[i];
  bool hasValue = i + 1 < arguments.size();
  const std::string value = hasValue ? arguments[i + 1] : std::string();
  if (name == "--from" || name == "--to") {
    unsigned date = 0;
    if (!hasValue || !ParseDateArgument(value, date)) return UsageError(name + " needs a date YYYYMMDD");
    (name == "--from" ? parsed.query.from : parsed.query.to) = date;
  } else if (name == "--view") {
    if (value == "all") parsed.query.view = View::kAll;
    else if (value == "port") parsed.query.view = View::kPort;
    else if (value == "xls") parsed.query.view = View::kXls;
    else return UsageError("--view needs all, port or xls");
  } else if (name == "--code") {
    // Either case names a code, as in the lists: "285a" is 285A.
    std::optional<Code> code = hasValue ? Code::FromTypedText(value) : std::nullopt;
    if (!code) return UsageError("--code needs a company code of four characters (7203, 285A)");
    parsed.query.codes.push_back(*code);
  } else {
    return -1;
  }
  ++i;
  return 0;
}

int ParseSearchArguments(const std::vector<std::string>& arguments, HistoryArguments& parsed) {
  for (size_t i = 0; i < arguments.size(); ++i) {
    int status = ParseCommonOption(arguments, i, parsed);
    if (status > 0) return status;
    if (status == 0) continue;
    if (arguments[i] == "--") {
      parsed.words.insert(parsed.words.end(), arguments.begin() + static_cast<long>(i) + 1, arguments.end());
      break;
    }
    if (arguments[i].starts_with("--")) return UsageError("unknown search option: " + arguments[i]);
    if (!arguments[i].empty()) parsed.words.push_back(arguments[i]);
  }
  if (parsed.words.empty() && parsed.query.codes.empty()) return UsageError("search needs a word or --code");
  if (parsed.query.from > parsed.query.to) return UsageError("--from is after --to");
  return -1;
}

int ParseExportArguments(const std::vector<std::string>& arguments, HistoryArguments& parsed) {
  for (size_t i = 0; i < arguments.size(); ++i) {
    int status = ParseCommonOption(arguments, i, parsed);
    if (status > 0) return status;
    if (status == 0) continue;
    const std::string& name = arguments[i];
    bool hasValue = i + 1 < arguments.size();
    if (name == "--format") {
      std::string value = hasValue ? arguments[++i] : std::string();
      if (value == "csv") parsed.format = ExportFormat::kCsv;
      else if (value == "jsonl") parsed.format = ExportFormat::kJsonLines;
      else return UsageError("--format needs csv or jsonl");
    } else if (name == "--out") {
      if (!hasValue || arguments[i + 1].empty()) return UsageError("--out needs a file");
      parsed.out = FromCurrentDirectory(arguments[++i]);
    } else if (name == "--bom") {
      parsed.bom = true;
    } else {
      return UsageError("unknown export option: " + name);
    }
  }
  if (parsed.query.from > parsed.query.to) return UsageError("--from is after --to");
  if (parsed.bom && parsed.format != ExportFormat::kCsv) return UsageError("--bom goes with --format csv only");
  return -1;
}

// The run settings, or a usage error when there is no raw store to read.
int CheckStore(RunSettings& settings) {
  settings = ReadRunSettings();
  if (!settings.output.Exists()) {
    PrintError("velkora: no output directory (HtmlDataDir): " + settings.output.Text() + "\n");
    return kExitUsage;
  }
  return -1;
}

// Whether `path` names a file that can be written: its directory exists and
// it is no directory itself. Reports why not.
bool OutputFileWritable(const std::string& path) {
  FilePath file;
  if (!file.SetPath(path.c_str()) || file.IsDirectory() || FileEntry((path + "/").c_str()).ExistsPath()) {
    PrintError("velkora: cannot write to " + path + "\n");
    return false;
  }
  std::string directory = file.Directory();
  if (!directory.empty() && !FileEntry(directory.c_str()).ExistsPath()) {
    PrintError("velkora: no such directory for " + path + "\n");
    return false;
  }
  return true;
}

// Progress of a long export on standard error, every 20 days.
void ShowExportProgress(size_t done, size_t days, size_t records, uint32_t date) {
  if (days < 40 || (done % 20 != 0 && done != days)) return;
  bool terminal = ErrorIsTerminal();
  PrintError(FormatString("export: %u (%u/%u days, %u records)%s", date, static_cast<unsigned>(done),
                          static_cast<unsigned>(days), static_cast<unsigned>(records),
                          terminal ? (done == days ? "\n" : "\r") : "\n"));
}

}  // namespace

int CommandSearch(const std::vector<std::string>& arguments) {
  HistoryArguments parsed;
  if (int status = ParseSearchArguments(arguments, parsed); status >= 0) return status;
  RunSettings settings;
  if (int status = CheckStore(settings); status >= 0) return status;
  std::vector<std::string> folded;
  for (const std::string& word : parsed.words) folded.push_back(FoldForSearch(word));
  History history(std::move(settings), parsed.query);
  size_t found = 0;
  std::vector<HistoryRecord> records;
  for (uint32_t date : history.Days()) {
    records.clear();
    history.ReadDay(date, records);
    for (const HistoryRecord& record : records) {
      if (!MatchesEveryWord(record, folded)) continue;
      WriteOutBytes(SearchLine(record) + "\n");
      ++found;
    }
  }
  if (!FlushOut()) return kExitUsage;
  return found > 0 ? kExitOk : kExitReported;
}

int CommandExport(const std::vector<std::string>& arguments) {
  HistoryArguments parsed;
  if (int status = ParseExportArguments(arguments, parsed); status >= 0) return status;
  RunSettings settings;
  if (int status = CheckStore(settings); status >= 0) return status;
  if (!parsed.out.empty() && !OutputFileWritable(parsed.out)) return kExitUsage;
  History history(std::move(settings), parsed.query);
  std::string text = parsed.bom ? "\xEF\xBB\xBF" : "";
  text += ExportHeader(parsed.format);
  std::vector<uint32_t> days = history.Days();
  size_t count = 0;
  std::vector<HistoryRecord> records;
  for (size_t i = 0; i < days.size(); ++i) {
    records.clear();
    history.ReadDay(days[i], records);
    for (const HistoryRecord& record : records) text += ExportLine(parsed.format, record);
    count += records.size();
    ShowExportProgress(i + 1, days.size(), count, days[i]);
    if (parsed.out.empty() && text.size() > (1u << 20)) {
      if (!WriteOutBytes(text)) return kExitReported;
      text.clear();
    }
  }
  if (parsed.out.empty()) return WriteOutBytes(text) && FlushOut() ? kExitOk : kExitReported;
  FilePath path;
  if (!path.SetPath(parsed.out.c_str()) || !ReplaceFileContents(path, text)) return kExitUsage;
  return kExitOk;
}
