// The results report: writes Results.txt in the current directory, a heading,
// one line per level and the run's total, and makes sure that a file which
// cannot be written never costs the player the times.
#pragma once

#include <cstdint>
#include <fstream>
#include <ostream>

#include "catalogue/catalogue.h"

// Writes the whole report into Results.txt and returns the file, still open,
// for the caller to close at the end of the run. When Results.txt is not a
// regular file or could not be opened or written, the returned stream is in
// its failed state, and the report has gone to standard output instead (and
// to standard error too, if standard output has failed), with the reason on
// standard error.
std::ofstream runReportPhase(const std::uint32_t (&entries)[LEVEL_COUNT]);

void writeReportHeader(std::ostream& out);

// The level's name, ": " and the time text currently in levelTimeText.
void writeLevelLine(std::ostream& out, unsigned index);

// The total block, from runTotals.
void writeTotalBlock(std::ostream& out);
