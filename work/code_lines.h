// The companion files of the per-company tables for the alphanumeric codes
// ("285A"), which have no slot in the fixed 9000-entry files: a text file of
// one line per code, "CODE<TAB>fields", sorted by code, written whole and
// atomically like the other data files.
#pragma once

#include <map>
#include <string>
#include <string_view>

#include "settings/tickers.h"

// The lines of a companion file by code. A line whose code is no alphanumeric
// code, or without the tab after it, is not taken and counted in `bad`; a
// later line of the same code replaces an earlier one. CR before LF is
// ignored, and so is an empty line.
std::map<Code, std::string> ReadCodeLines(std::string_view text, unsigned& bad);

// The text of a companion file: "CODE<TAB>fields\n" for every entry, in the
// order of the codes.
std::string WriteCodeLines(const std::map<Code, std::string>& lines);

// The companion files in the output directory.
constexpr char kAlphanumericNamesFile[] = "_coname_alnum.txt";
constexpr char kAlphanumericProfileFile[] = "_coprof_alnum.txt";
constexpr char kAlphanumericScheduleFile[] = "_schedule_alnum.txt";
