// The company store: per ticker, the company's name ("_coname.txt", 9000 lines)
// and a 4-byte profile record ("_coprof.dat": market code, industry code, two
// bytes kept as they are). Loaded at the start of a run, filled during it and
// saved near its end.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "work/turn.h"

class HttpDownloader;
class RunTrace;

class CompanyStore {
 public:
  // Loads what the options ask for: the profile table when a display option
  // needs markets or industries, the name table when the profile is loaded or
  // full names or schedules are wanted.
  void Load(RunTrace& trace);
  // Writes "_coname.txt" and "_coprof.dat" when they are loaded and changed.
  void Save(RunTrace& trace);
  // Writes "_coprof.dat" when it is loaded and changed (step 9, after each day).
  void SaveProfileIfChanged();

  // Whether the profile table is loaded.
  bool Loaded() const { return profile_ != nullptr; }
  // Whether the name table is loaded.
  bool NamesLoaded() const { return names_ != nullptr; }
  // The stored name of a ticker: "" when unknown or not loaded, "*" requested,
  // "-" no such company.
  std::string_view NameOf(int ticker) const;
  // The market and industry codes of a ticker's profile; 0 when unknown or not
  // loaded.
  uint8_t MarketOf(int ticker) const;
  uint8_t IndustryOf(int ticker) const;
  // The ticker's market byte to update, or null when the profile is not loaded
  // or the ticker has no table index.
  uint8_t* MarketByte(int ticker);

  // Marks a ticker's name for download (step 11) when it is unknown, or its
  // profile is stale, and it is neither requested already nor known not to exist.
  void RequestName(int ticker);
  // Names marked for download, and downloads done in this run.
  uint32_t RequestedCount() const { return toFetch_; }
  // Whether "_coname.txt" was absent at the start of the run.
  bool NamesMissing() const { return namesMissing_; }
  // The profile changed: "_coprof.dat" is written in step 12.
  void MarkProfileDirty() { profileDirty_ = true; }
  // Prepares the download loop of step 11: cursor and counter at 0, the names
  // to be written.
  void BeginFetching();
  // Step 11, one turn: downloads the quote page of the next requested name.
  // Done once the cursor has passed the last ticker (the profile is then marked
  // changed).
  Turn FetchNext(HttpDownloader& downloader, RunTrace& trace);
  // Frees both tables at the end of the run.
  void Release();

 private:
  std::unique_ptr<std::vector<std::string>> names_;  // 9000 slots when loaded
  std::unique_ptr<uint8_t[]> profile_;               // 9000 records of 4 bytes when loaded
  uint32_t toFetch_ = 0;
  uint32_t fetched_ = 0;
  int fetchCursor_ = 0;
  bool namesMissing_ = false;
  bool namesDirty_ = false;
  bool profileDirty_ = false;
};
