// The results report: writes Results.txt in the current directory, a heading,
// one line per level and the run's total, and makes sure that a file which
// cannot be written never costs the player the times.
#pragma once

#include <cstdint>
#include <ostream>

#include "catalogue/catalogue.h"

// In the current directory.
inline constexpr char RESULTS_FILE_NAME[] = "Results.txt";

// Writes the whole report into Results.txt and closes it. True only when the
// file was opened, written and closed without an error. Otherwise the report
// has gone to standard output instead (and to standard error too, if
// standard output has failed), with the reason on standard error.
bool runReportPhase(const std::uint32_t (&entries)[LEVEL_COUNT]);

void writeReportHeader(std::ostream& out);

// The level's name, ": " and the time text currently in levelTimeText.
void writeLevelLine(std::ostream& out, unsigned index);

// The total block, from runTotals.
void writeTotalBlock(std::ostream& out);
