// Time arithmetic: turns a packed time entry (hundreds digit = minutes, last
// two digits = seconds) into its "M:SS" text, reads minutes and seconds back
// out of that text into per-level tables, and totals the run.
#pragma once

#include <cstdint>
#include <string>

#include "catalogue/catalogue.h"

struct RunTotals {
  std::int32_t hours = 0;
  std::int32_t minutes = 0;
  std::int32_t seconds = 0;
};

// The time text of the level formatted most recently.
extern std::string levelTimeText;

// What the read-back found for each level, by level index.
extern std::int32_t levelMinutes[LEVEL_COUNT];
extern std::string levelSecondsText[LEVEL_COUNT];
extern std::int32_t levelSeconds[LEVEL_COUNT];

// The run's one total, filled by accumulateTotals().
extern RunTotals runTotals;

// "9:23" for 923, "10:15" for 975: a seconds part of 60 or more carries
// into the minutes.
std::string formatLevelTime(std::uint32_t entry);

// Reads the minutes and seconds out of levelTimeText into level `index`'s
// slots of the per-level tables.
void readBackLevelTime(unsigned index);

// Adds every level's minutes and seconds into runTotals and carries seconds
// into minutes and minutes into hours; once a run, after its last level.
void accumulateTotals();

// Empties the time text, the per-level tables and the totals, so that a new
// run can be timed from the start. The program times a single run and never
// needs it; tests use it to start each case clean.
void resetRunTimes();
