#include "report/report.h"

#include <cerrno>
#include <cstring>
#include <iostream>
#include <sstream>
#include <string>

#include "timecalc/timecalc.h"

namespace {

const char* const RESULTS_FILE_NAME = "Results.txt";

// Keeps the operating system's word for the first failure on the file; it is
// read at once, before anything else can overwrite errno.
void noteFailure(const std::ofstream& file, std::string& reason) {
  if (file.fail() && reason.empty()) {
    reason = errno != 0 ? std::strerror(errno) : "unknown error";
  }
}

}  // namespace

void writeReportHeader(std::ostream& out) {
  out << std::endl;
  out << "***************************" << std::endl;
  out << " R   E   S   U   L   T   S" << std::endl;
  out << "***************************" << std::endl;
  out << std::endl;
}

void writeLevelLine(std::ostream& out, unsigned index) {
  out << levelName(index) << ": " << levelTimeText << std::endl;
}

void writeTotalBlock(std::ostream& out) {
  out << std::endl;
  out << "*******************" << std::endl;
  out << "TOTAL IN GAME TIME " << std::endl;
  out << "*******************" << std::endl;
  out << std::endl;
  out << runTotals.hours << " Hour(s), " << runTotals.minutes << " Minute(s), "
      << runTotals.seconds << " Second(s)" << std::endl;
  out << std::endl;
  out << std::endl;
}

// Every line goes to the file and, in the same step, to a copy in memory.
// The times are summed only once, so if the file lets us down the copy is
// the one chance left to show the player the very report the file missed.
std::ofstream runReportPhase(const std::uint32_t (&entries)[LEVEL_COUNT]) {
  std::string reason;
  errno = 0;
  std::ofstream ResultsReport(RESULTS_FILE_NAME);
  noteFailure(ResultsReport, reason);

  std::ostringstream copy;
  auto writeBoth = [&](const auto& write) {
    write(ResultsReport);
    noteFailure(ResultsReport, reason);
    write(copy);
  };

  writeBoth(writeReportHeader);
  for (unsigned i = 0; i < LEVEL_COUNT; ++i) {
    levelTimeText = formatLevelTime(entries[i]);
    writeBoth([i](std::ostream& out) { writeLevelLine(out, i); });
    readBackLevelTime(i);
  }
  accumulateTotals();
  writeBoth(writeTotalBlock);

  if (ResultsReport.fail()) {
    std::cout << copy.str() << std::flush;
    std::cerr << "Could not write " << RESULTS_FILE_NAME << ": " << reason
              << std::endl;
  }
  return ResultsReport;
}
