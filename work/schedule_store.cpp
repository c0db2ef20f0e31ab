#include "work/schedule_store.h"

#include <algorithm>
#include <set>

#include "markup/text.h"
#include "pages/output.h"
#include "platform/dates.h"
#include "platform/diagnostics.h"
#include "platform/files.h"
#include "settings/markets.h"
#include "work/code_lines.h"
#include "work/company_store.h"
#include "work/run_settings.h"
#include "work/run_trace.h"
#include "work/selections.h"

namespace {

constexpr size_t kEntryBytes = 8;
constexpr size_t kSlotBytes = 5 * kEntryBytes;
constexpr size_t kTableBytes = kTickerCount * kSlotBytes;

uint32_t Get32(const char* p) {
  const auto* b = reinterpret_cast<const unsigned char*>(p);
  return b[0] | b[1] << 8 | b[2] << 16 | static_cast<uint32_t>(b[3]) << 24;
}
uint16_t Get16(const char* p) {
  const auto* b = reinterpret_cast<const unsigned char*>(p);
  return static_cast<uint16_t>(b[0] | b[1] << 8);
}
void Put32(std::string& out, uint32_t v) {
  for (int i = 0; i < 4; ++i) out += static_cast<char>(v >> (8 * i) & 0xFF);
}
void Put16(std::string& out, uint16_t v) {
  out += static_cast<char>(v & 0xFF);
  out += static_cast<char>(v >> 8);
}

// The table from the file's bytes (little-endian); bytes missing at its end
// leave their entries empty.
void ReadTable(const std::string& bytes, std::vector<ScheduleSlot>& slots) {
  for (size_t at = 0; at + kEntryBytes <= std::min(bytes.size(), kTableBytes); at += kEntryBytes) {
    ScheduleEntry& entry = slots[at / kSlotBytes][at % kSlotBytes / kEntryBytes];
    entry.date = Get32(bytes.data() + at);
    entry.time = static_cast<int16_t>(Get16(bytes.data() + at + 4));
    entry.flags = Get16(bytes.data() + at + 6);
  }
}

std::string WriteTable(const std::vector<ScheduleSlot>& slots) {
  std::string bytes;
  bytes.reserve(kTableBytes);
  for (size_t index = 0; index < kTickerCount && index < slots.size(); ++index) {
    for (const ScheduleEntry& entry : slots[index]) {
      Put32(bytes, entry.date);
      Put16(bytes, static_cast<uint16_t>(entry.time));
      Put16(bytes, entry.flags);
    }
  }
  return bytes;
}

// Whether the weekday `weekday` falls on one of the days from today back to,
// but not including, `last`, looking back at most seven days.
bool WeekdayPassed(uint32_t today, uint32_t last, int weekday) {
  uint32_t day = today;
  for (int i = 0; i < 7 && day > last; ++i, day = AddDays(day, -1))
    if (DayOfWeek(day) == weekday) return true;
  return false;
}

}  // namespace

std::optional<size_t> ScheduleStore::SlotOf(Code code, bool make) {
  if (!Loaded()) return std::nullopt;
  if (code.IsNumeric()) return code.Index();
  if (auto slot = alnumSlots_.find(code); slot != alnumSlots_.end()) return slot->second;
  if (!make) return std::nullopt;
  slots_.emplace_back();
  slotCodes_.push_back(code);
  return alnumSlots_[code] = slots_.size() - 1;
}

Code ScheduleStore::CodeOfSlot(size_t index) const {
  return index < kTickerCount ? Code::AtIndex(index) : slotCodes_[index - kTickerCount];
}

ScheduleEntry* ScheduleStore::EntryOf(Code code) {
  std::optional<size_t> index = SlotOf(code, false);
  return index ? &slots_[*index][0] : nullptr;
}

void ScheduleStore::ReadAlphanumericSlots(const std::string& text) {
  unsigned bad = 0;
  for (const auto& [code, fields] : ReadCodeLines(text, bad)) {
    // Five entries "date,time,flags" after a tab each, decimal; a line that
    // does not read leaves the code without a slot, to be fetched again.
    ScheduleSlot slot;
    const char* cursor = fields.c_str();
    bool read = true;
    for (size_t i = 0; i < slot.size() && read; ++i) {
      NumberSlot date, time, flags;
      read = ReadNumber(cursor, &date) == kIntegerNumber && *cursor++ == ',' &&
             ReadNumber(cursor, &time) == kIntegerNumber && *cursor++ == ',' &&
             ReadNumber(cursor, &flags) == kIntegerNumber && *cursor == (i + 1 < slot.size() ? '\t' : '\0') &&
             date.integer >= 0 && time.integer >= -32768 && time.integer <= 32767 && flags.integer >= 0 &&
             flags.integer <= 0xFFFF;
      if (*cursor == '\t') ++cursor;
      slot[i] = {static_cast<uint32_t>(date.integer), static_cast<int16_t>(time.integer),
                 static_cast<uint16_t>(flags.integer)};
    }
    if (read) slots_[*SlotOf(code, true)] = slot;
  }
}

std::string ScheduleStore::AlphanumericSlotsText() const {
  std::map<Code, std::string> lines;
  for (size_t index = kTickerCount; index < slots_.size(); ++index) {
    const ScheduleSlot& slot = slots_[index];
    if (std::all_of(slot.begin(), slot.end(), [](const ScheduleEntry& e) { return e.date == 0 && e.time == 0 && e.flags == 0; }))
      continue;
    std::string fields;
    for (const ScheduleEntry& entry : slot)
      fields += FormatString("%s%u,%d,%u", fields.empty() ? "" : "\t", entry.date, entry.time, entry.flags);
    lines[CodeOfSlot(index)] = fields;
  }
  return WriteCodeLines(lines);
}

void ScheduleStore::LoadMonthlyList(RunTrace& trace) {
  std::string path = settings_.output.File(kMonthlyFile);
  std::string text;
  if (!FileEntry(path.c_str()).ExistsPath() || !ReadAll(path.c_str(), text)) return;
  trace.Log(2, "make monthly schedule\n");
  monthly_ = ReadMonthlyList(text, TodayDate());
}

void ScheduleStore::DecideScheduleWork(bool displayOptionsChanged) {
  const ScheduleSettings& options = settings_.schedules;
  uint32_t today = TodayDate();
  uint32_t last = options.lastFetch;
  if (refetch_ != 0) {
    fetch_ = true;
  } else {
    switch (options.cycle) {
      case 0: fetch_ = true; break;
      case 1: fetch_ = today >= AddDays(last, options.daySpan); break;
      default: fetch_ = last < today && WeekdayPassed(today, last, options.dayOfWeek); break;
    }
  }
  views_ = options.views;
  pagesNeeded_ = fetch_ || options.lastPages < today || displayOptionsChanged;
}

void ScheduleStore::LoadScheduleStore() {
  slots_.assign(kTickerCount, ScheduleSlot{});
  slotCodes_.clear();
  alnumSlots_.clear();
  std::string path = settings_.output.File(kScheduleFile);
  std::string companion = settings_.output.File(kAlphanumericScheduleFile);
  alnumOnDisk_ = FileEntry(companion.c_str()).ExistsPath();
  if (settings_.schedules.fileVersion != 2 || !FileEntry(path.c_str()).ExistsPath()) return;
  std::string bytes;
  if (!ReadAll(path.c_str(), bytes) || bytes.empty()) {
    ReportError("ファイル<%s>の読み込みに失敗", path.c_str());
    return;
  }
  ReadTable(bytes, slots_);
  std::string text;
  if (alnumOnDisk_ && ReadAll(companion.c_str(), text)) ReadAlphanumericSlots(text);
  // What a re-fetch clears comes back for a company whose page cannot be had.
  if (refetch_ != 0) previousNext_.assign(slots_.size(), ScheduleEntry{});
  for (size_t i = 0; i < slots_.size(); ++i) {
    ScheduleSlot& slot = slots_[i];
    int status = slot[0].Status();
    if (refetch_ == 2 || (refetch_ == 1 && status != kScheduleVacant && status != kScheduleNone)) {
      previousNext_[i] = slot[0];
      slot[0] = {};
    }
  }
  dirty_ = refetch_ != 0;
}

void ScheduleStore::KeepPrevious(size_t index) {
  ++pending_;
  if (index < previousNext_.size()) slots_[index][0] = previousNext_[index];
}

void ScheduleStore::Rotate(ScheduleSlot& slot) {
  std::copy_backward(slot.begin(), slot.end() - 1, slot.end());
  ScheduleEntry& next = slot[0];
  next.date = AddDays(slot[1].date, 30);
  next.time = 0;
  next.SetQuarter((slot[1].Quarter() + 1) % 4);
  next.SetStatus(kScheduleProvisional);
  pagesNeeded_ = true;
  dirty_ = true;
}

bool ScheduleStore::SelectScheduleDownloads(const RunSelections& selections, CompanyStore& companies, RunTrace& trace) {
  request_.reset();
  if (!Loaded()) LoadScheduleStore();
  trace.Log(2, "check schedule need\n");
  for (int number = kFirstTicker; number <= kLastTicker; ++number) ConsiderDownload(Code(number), selections, companies);
  // The alphanumeric codes the run knows of: stored, met in the rows, or on a list.
  std::set<Code> alphanumeric(slotCodes_.begin(), slotCodes_.end());
  for (Code code : companies.AlphanumericCodes()) alphanumeric.insert(code);
  if (selections.HasPortfolio())
    for (Code code : selections.PortfolioList().Alphanumeric()) alphanumeric.insert(code);
  if (selections.Xls()) alphanumeric.insert(selections.Xls()->Alphanumeric().begin(), selections.Xls()->Alphanumeric().end());
  for (Code code : alphanumeric) ConsiderDownload(code, selections, companies);
  alnumRequests_.assign(request_.Alphanumeric().begin(), request_.Alphanumeric().end());
  toFetch_ = static_cast<uint32_t>(request_.count());
  fetchCursor_ = 0;
  fetched_ = 0;
  failed_ = 0;
  downloadsMade_ = fetch_ && toFetch_ == 0;
  return toFetch_ > 0;
}

void ScheduleStore::ConsiderDownload(Code ticker, const RunSelections& selections, CompanyStore& companies) {
  uint32_t today = TodayDate();
  bool recheckEmpty = settings_.schedules.recheckEmpty;
  bool recheckVague = settings_.schedules.recheckVague;
  uint32_t vagueHorizon = AddDays(today, settings_.schedules.recheckVagueDays);
  if (selections.HasIgnoreList() && selections.Ignored(ticker)) return;
  if (!views_.Has(View::kAll) && !(views_.Has(View::kPort) && selections.InPortfolio(ticker)) &&
      !(views_.Has(View::kXls) && selections.HasXls(ticker)))
    return;
  std::optional<size_t> index = SlotOf(ticker, true);
  if (!index) return;
  ScheduleSlot& slot = slots_[*index];
  ScheduleEntry& entry = slot[0];
  if (companies.Loaded() && IsEtf(companies.IndustryOf(ticker))) {
    entry.date = kNoDate;
    entry.SetQuarter(0);
    entry.SetStatus(kScheduleNone);
    dirty_ = true;
    return;
  }
  // A vacant number's date is the day of its next check, and an ETF has
  // none: neither is ever an announcement to rotate.
  int status = entry.Status();
  bool noCompany = status == kScheduleVacant || status == kScheduleNone;
  if (!noCompany && entry.date != 0 && entry.date < today && entry.time != 0) {
    Rotate(slot);  // announced
    return;
  }
  if (!noCompany && entry.date != 0 && entry.date <= AddDays(today, -31)) {
    entry.time = 2359;  // long past without a disclosure: taken as announced
    entry.SetStatus(kScheduleExact);
    Rotate(slot);
    return;
  }
  if (noCompany && !recheckEmpty) return;
  if (!fetch_) return;
  if (entry.date != 0) {
    if (!entry.Vague() && (entry.date > today || slot[1].date > AddDays(today, -45))) return;
    if (entry.Vague() && (!recheckVague || entry.date > vagueHorizon)) return;
  }
  AddTicker(request_, ticker);
  companies.RequestName(ticker);
}

namespace {

// Whether an earnings report on `date` can be the announcement of `entry`.
bool Announces(const ScheduleEntry& entry, uint32_t date) {
  return entry.date > AddDays(date, -30) || entry.Vague();
}

// Whether an earnings report on `date` is the announcement of the slot's entry
// 0. A report that can be the last announcement, already recorded and moved
// into the history, is that one (a day converted again must not announce the
// guess that took its place).
bool AnnouncesNext(const ScheduleSlot& slot, uint32_t date) {
  const ScheduleEntry& last = slot[1];
  if (last.date != 0 && last.time != 0 && Announces(last, date)) return false;
  return Announces(slot[0], date);
}

bool HasRowOf(const std::vector<AnnouncedRow>& rows, Code code) {
  return std::any_of(rows.begin(), rows.end(), [&](const AnnouncedRow& row) { return row.ticker == code; });
}

}  // namespace

void ScheduleStore::RecordAnnouncement(Code code, int time, uint32_t date) {
  if (!Loaded()) LoadScheduleStore();
  ScheduleEntry* entry = EntryOf(code);
  if (!entry || !AnnouncesNext(slots_[*SlotOf(code, false)], date)) return;
  if (entry->time == 0) pagesNeeded_ = true;
  entry->time = static_cast<int16_t>(time);
  if (entry->Vague()) {
    entry->date = date;
    entry->SetStatus(kScheduleExact);
  }
  dirty_ = true;
}

void ScheduleStore::AddAnnouncedRow(int kind, Code code, int time, uint32_t date, const MarkupElement& titleCell) {
  if (kind == 1) {
    ScheduleEntry* entry = EntryOf(code);
    if (!entry || !AnnouncesNext(slots_[*SlotOf(code, false)], date) || HasRowOf(reported_, code)) return;
    reported_.push_back({code, titleCell.Clone()});
    return;
  }
  if (date > TodayDate() || AddDays(TodayDate(), -15) > date || HasRowOf(monthlyReported_, code)) return;
  auto monthly = std::find_if(monthly_.begin(), monthly_.end(), [&](const MonthlyEntry& m) { return m.ticker == code; });
  if (monthly == monthly_.end()) return;
  monthly->time = time;
  monthlyReported_.push_back({code, titleCell.Clone()});
}

void ScheduleStore::ClearAnnouncedRows() {
  reported_.clear();
  monthlyReported_.clear();
  for (MonthlyEntry& monthly : monthly_) monthly.time = 0;
}

void ScheduleStore::SaveScheduleStore(RunTrace& trace) {
  if (!Loaded()) return;
  trace.Log(2, "write _schedule.dat\n");
  dirty_ = true;
  SaveChanges();
  if (fetch_ && downloadsMade_) status_.SetLastSchedules(TodayDate());
}

void ScheduleStore::SaveChanges() {
  if (!Loaded() || !dirty_) return;
  FilePath path;
  if (!path.SetPath(settings_.output.File(kScheduleFile).c_str())) return;
  // A store without alphanumeric codes gets no companion file.
  std::string alphanumeric = AlphanumericSlotsText();
  bool companion = alnumOnDisk_ || !alphanumeric.empty();
  FilePath companionPath;
  if (companion && (!companionPath.SetPath(settings_.output.File(kAlphanumericScheduleFile).c_str()) ||
                    !ReplaceFileContents(companionPath, alphanumeric)))
    return;
  alnumOnDisk_ = companion;
  if (!ReplaceFileContents(path, WriteTable(slots_))) return;
  dirty_ = false;
  status_.SetScheduleFileVersion();
}

void ScheduleStore::Release() {
  reported_.clear();
  monthlyReported_.clear();
  monthly_.clear();
  slots_.clear();
  slotCodes_.clear();
  alnumSlots_.clear();
  alnumRequests_.clear();
}
