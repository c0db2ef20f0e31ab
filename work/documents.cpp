#include "work/documents.h"

#include <memory>

#include "markup/tree.h"
#include "pages/archive.h"
#include "pages/company_pages.h"
#include "pages/output.h"
#include "pages/page_parser.h"
#include "pages/rows.h"
#include "platform/dates.h"
#include "platform/diagnostics.h"
#include "platform/files.h"
#include "work/controller.h"
#include "work/fetch_page.h"
#include "work/run_settings.h"
#include "work/run_trace.h"
#include "work/selections.h"
#include "work/steps.h"

namespace {

constexpr std::string_view kPdfMark = "%PDF-";
constexpr std::string_view kZipMark{"PK\x03\x04", 4};

std::string SizeText(uint64_t bytes) {
  if (bytes < 1024 * 1024) return FormatString("%.1f KB", static_cast<double>(bytes) / 1024);
  return FormatString("%.1f MB", static_cast<double>(bytes) / (1024 * 1024));
}

// Creates a directory when missing (a failure is reported by CreateDir).
bool EnsureDirectory(const std::string& path) {
  FileEntry entry(path.c_str());
  return entry.ExistsPath() || entry.CreateDir();
}

}  // namespace

bool DocumentArchive::On(const RunSelections& selections) const {
  if (settings_.pages.archive >= 2 && selections.Xls() && selections.Xls()->count() != 0) return true;
  return settings_.pages.archive >= 1 && selections.HasPortfolio();
}

std::string DocumentArchive::Key(const Document& document) const {
  std::string key = FormatString("%08u ", document.date) + document.id;
  // An XBRL archive's line names its kind; a PDF's stays as it always was.
  return document.extension == kZipExtension ? key + kZipExtension : key;
}

bool DocumentArchive::OfKind(const Document& document, std::string_view body) {
  return body.starts_with(document.extension == kZipExtension ? kZipMark : kPdfMark);
}

void DocumentArchive::LoadGone() {
  std::string path = settings_.output.Subdir(kDocsDir) + kGoneDocumentsFile;
  if (!FileEntry(path.c_str()).ExistsPath() || !ReadAll(path.c_str(), goneText_)) return;
  size_t start = 0;
  while (start < goneText_.size()) {
    size_t end = goneText_.find('\n', start);
    if (end == std::string::npos) end = goneText_.size();
    std::string line = goneText_.substr(start, end - start);
    // "yyyymmdd id", perhaps followed by a note.
    if (size_t blank = line.find(' ', 9); blank != std::string::npos) line.resize(blank);
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (!line.empty()) goneKeys_.insert(line);
    start = end + 1;
  }
  // A record cut by a crash ends without its line feed: the next line starts
  // on a line of its own.
  if (!goneText_.empty() && goneText_.back() != '\n') goneText_ += '\n';
}

bool DocumentArchive::Select(const RunSelections& selections, uint32_t lastDay, RunTrace& trace) {
  const OutputDir& output = settings_.output;
  wanted_.clear();
  next_ = 0;
  trace.Log(2, "check documents\n");
  RemoveStaleTemporaryFiles(output.Subdir(kDocsDir));
  LoadGone();
  for (uint32_t date = AddDays(TodayDate(), -kServedDays); date <= lastDay && date < kNoDate; date = NextDay(date))
    SelectDay(date, selections);
  trace.Log(2, "documents to fetch(%u)\n", static_cast<unsigned>(wanted_.size()));
  return !wanted_.empty();
}

void DocumentArchive::SelectDay(uint32_t date, const RunSelections& selections) {
  const OutputDir& output = settings_.output;
  std::string path = output.DayFile(kRawDir, date), text;
  if (!FileEntry(path.c_str()).ExistsPath() || !ReadAll(path.c_str(), text)) return;
  std::string dayDir = output.Subdir(kDocsDir) + FormatString("%08u/", date);
  if (FileEntry(dayDir.c_str()).ExistsPath()) RemoveStaleTemporaryFiles(dayDir);
  PageParser parser;
  parser.quiet = true;
  std::unique_ptr<MarkupDocument> day = parser.ParseHandedOver(std::move(text));
  MarkupElement* table = day ? day->FindChild("table", true) : nullptr;
  if (!table) return;
  for (const MarkupElement* row : table->children()) {
    Code code = RowTicker(*row);
    if (!selections.ArchivesDocuments(code)) continue;
    const MarkupElement* title = row->FindCellById("title", false);
    const MarkupElement* link = title ? title->FindChild("a", false) : nullptr;
    const MarkupAttribute* href = link ? link->FindAttribute("href") : nullptr;
    if (std::string id = href ? DocumentIdOfLink(href->text()) : ""; !id.empty())
      Want({date, id, code, kPdfExtension});
    if (!settings_.pages.archiveXbrl) continue;
    if (std::string id = DocumentIdOfLink(RowXbrlUrl(*row), kZipExtension); !id.empty())
      Want({date, id, code, kZipExtension});
  }
}

void DocumentArchive::Want(Document document) {
  if (goneKeys_.count(Key(document))) return;
  std::string name = ArchivedDocumentName(document.date, document.id, document.extension);
  if (FileEntry(settings_.output.File(name).c_str()).ExistsPath()) return;
  for (const Document& other : wanted_)  // a document named twice in a day is fetched once
    if (other.date == document.date && other.id == document.id && other.extension == document.extension) return;
  wanted_.push_back(std::move(document));
}

Turn DocumentArchive::FetchNext(HttpDownloader& downloader, RunTrace& trace) {
  if (next_ >= wanted_.size() || !gate_.Asking()) return Turn::kDone;
  const Document& document = wanted_[next_++];
  std::string url = settings_.sites.tdnetBase + document.id + std::string(document.extension);
  trace.Log(2, "download document(%u, %s)\n", document.date, document.id.c_str());
  FetchedPage answer = FetchBytes(downloader, url, kMaxDocumentBytes);
  bool stop = false;
  if (answer.failure == FetchFailure::kTooLarge) {
    MessageSeverity = kSeverityWarning;
    ReportMessage("資料<%s>は %u MB を超えるので保存しません", url.c_str(),
                  static_cast<unsigned>(kMaxDocumentBytes >> 20));
    ++gone_;
    RecordGone(document, " large");
  } else if (answer.Arrived() && (answer.status == 403 || answer.status == 404)) {
    // The service no longer has it (it removes a day's documents after about
    // a month).
    trace.Log(2, "document gone (HTTP %d)\n", answer.status);
    ++gone_;
    RecordGone(document, "");
    gate_.Counted();
  } else if (answer.IsRefusal()) {
    ++failed_;
    gate_.Refused(url, answer.status, trace);
  } else if (answer.IsPage() && OfKind(document, answer.text)) {
    gate_.Counted();
    if (Keep(document, answer.text)) {
      ++kept_;
      companies_.insert(document.code);
    } else {
      ++failed_;
      stop = true;  // a full disk fails every later write as well
    }
  } else {
    ++failed_;
    const char* notOfKind = document.extension == kZipExtension ? "not a ZIP archive" : "not a PDF";
    gate_.Unusable(url, answer.IsPage() ? std::string(notOfKind) : WhyUnusable(answer), trace);
  }
  trace.ShowProgress(kProgressDocuments, static_cast<int>(next_), static_cast<int>(wanted_.size()));
  if (stop || !gate_.Asking()) {
    failed_ += static_cast<int>(wanted_.size() - next_);
    next_ = wanted_.size();
  }
  return next_ >= wanted_.size() ? Turn::kDone : Turn::kMore;
}

bool DocumentArchive::Keep(const Document& document, const std::string& bytes) {
  const OutputDir& output = settings_.output;
  if (!EnsureDirectory(output.Subdir(kDocsDir)) ||
      !EnsureDirectory(output.Subdir(kDocsDir) + FormatString("%08u/", document.date)))
    return false;
  // Written under a temporary name and renamed: a copy on disk is always whole,
  // so a page never links half a document.
  std::string name = ArchivedDocumentName(document.date, document.id, document.extension);
  return ReplaceFileContents(FilePath(output.File(name).c_str()), bytes);
}

void DocumentArchive::RecordGone(const Document& document, const char* note) {
  std::string key = Key(document);
  if (!goneKeys_.insert(key).second) return;
  goneText_ += key + note + "\n";
  if (!EnsureDirectory(settings_.output.Subdir(kDocsDir))) return;
  // A record that cannot be written only costs a request at the next run.
  ReplaceFileContents(FilePath((settings_.output.Subdir(kDocsDir) + kGoneDocumentsFile).c_str()), goneText_);
}

void DocumentArchive::LinkCompanyPages() const {
  if (!settings_.companyPages) return;
  for (Code code : companies_) LinkCompanyPageToArchive(settings_.output, code);
}

void DocumentArchive::Holdings(unsigned& files, uint64_t& bytes) const {
  files = 0;
  bytes = 0;
  if (!FileEntry(settings_.output.Subdir(kDocsDir).c_str()).ExistsPath()) return;
  for (const char* extension : {kPdfExtension, kZipExtension}) {
    FileFinder finder;
    std::string pattern = settings_.output.Subdir(kDocsDir) + "*" + extension;
    if (!finder.Start(pattern.c_str(), FileFinder::kFiles | FileFinder::kRecursive)) continue;
    for (; !finder.IsFinished(); finder._Next()) {
      ++files;
      bytes += finder.CurrentFindData().size;
    }
  }
}

std::string DocumentArchive::SummaryText() const {
  unsigned files = 0;
  uint64_t bytes = 0;
  Holdings(files, bytes);
  return FormatString("資料: 保存 %d 件、公開終了 %d 件、次回に再試行 %d 件 (Docs: %u 件、%s)", kept_, gone_, failed_,
                      files, SizeText(bytes).c_str());
}
