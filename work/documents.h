// The archive of documents (steps 20 and 21): the PDFs of the disclosures of the
// companies the user follows, kept in "Docs/<yyyymmdd>/<document id>.pdf" while
// the list service still serves them, and with ArchiveXbrl their XBRL archives
// as "Docs/<yyyymmdd>/<XBRL id>.zip" (the id of the XBRL link's file name). A
// document answered with 403 or 404 is gone for good and recorded in
// "Docs/_gone.txt" (one "yyyymmdd id" line each, "yyyymmdd id.zip" for an XBRL
// archive, followed by " large" for one over kMaxDocumentBytes), never asked
// again; any other failure is tried again by the next run.
#pragma once

#include <cstdint>
#include <set>
#include <string>
#include <vector>

#include "settings/tickers.h"
#include "work/site_pages.h"
#include "work/turn.h"

class HttpDownloader;
class RunSelections;
class RunTrace;
struct RunSettings;

// The record of the documents gone for good, in the archive's directory.
constexpr char kGoneDocumentsFile[] = "_gone.txt";

class DocumentArchive {
 public:
  // `settings` outlive the archive.
  explicit DocumentArchive(const RunSettings& settings) : settings_(settings) {}

  // Whether the run keeps documents: ArchivePdf is not 0 and the selections
  // name a company it follows (a portfolio, or for 2 a spreadsheet file).
  bool On(const RunSelections& selections) const;
  // Step 20: the documents to fetch, from the raw days the list service may
  // still serve (kServedDays back from today) up to `lastDay`: every title link
  // (and with ArchiveXbrl every XBRL link) of a company the archive follows
  // whose copy is missing and that is not recorded as gone. Clears what killed runs left in the archive first.
  // Whether there is any.
  bool Select(const RunSelections& selections, uint32_t lastDay, RunTrace& trace);
  // Step 21: one document per turn, with the progress "資料を保存中 (n/N)".
  // Done after the last one, after a write that failed (a full disk) and when
  // the service stops answering usefully; the rest is left for the next run.
  Turn FetchNext(HttpDownloader& downloader, RunTrace& trace);
  // After the downloads: the company pages of the companies that got a
  // document point their titles at the copies (rows of earlier runs too).
  void LinkCompanyPages() const;
  // How many documents are to be fetched in this run.
  size_t Wanted() const { return wanted_.size(); }

  // The run's summary: kept, gone, left for the next run and what the archive
  // holds ("資料: 保存 %d 件、公開終了 %d 件、次回に再試行 %d 件 (Docs: %u 件、%s)").
  std::string SummaryText() const;
  // What the archive holds: its documents and their bytes.
  void Holdings(unsigned& files, uint64_t& bytes) const;

 private:
  struct Document {
    uint32_t date;
    std::string id;
    Code code;
    std::string_view extension;  // kPdfExtension or kZipExtension
  };
  void LoadGone();
  void SelectDay(uint32_t date, const RunSelections& selections);
  // Adds a document to fetch unless it is gone, kept or listed already.
  void Want(Document document);
  // Records a document as not to be asked again; `note` follows the id.
  void RecordGone(const Document& document, const char* note);
  bool Keep(const Document& document, const std::string& bytes);
  std::string Key(const Document& document) const;
  // Whether a body is one of the document's kind ("%PDF-", or a ZIP archive's
  // first local header).
  static bool OfKind(const Document& document, std::string_view body);

  const RunSettings& settings_;
  std::set<std::string> goneKeys_;  // "yyyymmdd id" of every line of the record
  std::string goneText_;               // the record as it stands
  std::vector<Document> wanted_;
  size_t next_ = 0;
  std::set<Code> companies_;  // companies that got a document in this run
  SiteGate gate_{"資料"};
  int kept_ = 0, gone_ = 0, failed_ = 0;
};
