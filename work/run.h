// What the run command does before the task starts, shared by the main window
// and the command line, and the saving of the user's lists.
#pragma once

#include <cstdint>
#include <string>

class WorkController;

// The period that a period type gives, as the main window fills its two date
// fields: 0 since the last download (LastDownload, or today when it does not
// begin with a digit) to today, 1 today, 2 the past week, 3 the stored
// PeriodSt..PeriodEd.
void PeriodOfType(int periodType, uint32_t& firstDay, uint32_t& lastDay);

// Parses the portfolio and ignore lists when they are used and not yet parsed,
// deletes the company files when CoProfDat is 1 or `refetchCompanies`, and starts
// the task with the smaller date first. Returns false when a run already exists.
bool StartRun(WorkController& controller, uint32_t day1, uint32_t day2, uint8_t scheduleRefetch,
              bool refetchCompanies);

// Saving a list as its editor does. The portfolio and the ignore list are parsed
// first: a format error is shown and nothing is saved (false). A saved portfolio
// removes the Port views; a saved ignore list removes All, Port, Xls and Indiv
// and sets LastUpdateIndiv to 19000101, so the pages are rebuilt from the raw
// store at the next run.
bool SavePortfolioList(WorkController& controller, const std::string& text);
bool SaveIgnoreList(WorkController& controller, const std::string& text);
bool SaveKeywordList(const std::string& text);
