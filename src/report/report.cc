#include "report/report.h"

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <sstream>
#include <string>

#include "timecalc/timecalc.h"

namespace {

// Keeps the operating system's word for the first failure on the file; it is
// read at once, before anything else can overwrite errno.
void noteFailure(const std::ofstream& file, std::string& reason) {
  if (file.fail() && reason.empty()) {
    reason = errno != 0 ? std::strerror(errno) : "unknown error";
  }
}

// Only a regular file can hold the report. Opening a FIFO would wait for a
// reader forever, and a device such as /dev/null would swallow the report
// while the console said it was saved. A name that is not there yet is
// created, and a directory is left to fail the open with the system's own
// reason.
bool isUnfitForTheReport(const char* name) {
  std::error_code ignored;
  const std::filesystem::file_status status =
      std::filesystem::status(name, ignored);
  return std::filesystem::exists(status) &&
         !std::filesystem::is_regular_file(status) &&
         !std::filesystem::is_directory(status);
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
bool runReportPhase(const std::uint32_t (&entries)[LEVEL_COUNT]) {
  std::string reason;
  std::ofstream ResultsReport;
  if (isUnfitForTheReport(RESULTS_FILE_NAME)) {
    ResultsReport.setstate(std::ios::failbit);
    reason = "not a regular file";
  } else {
    errno = 0;
    ResultsReport.open(RESULTS_FILE_NAME);
    noteFailure(ResultsReport, reason);
  }

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

  // Network shares and home folders over quota can take every write and
  // only say at the close that the data never arrived, so the file is
  // closed here, before anyone is told it was saved.
  if (ResultsReport.is_open()) {
    errno = 0;
    ResultsReport.close();
    noteFailure(ResultsReport, reason);
  }

  const bool saved = !ResultsReport.fail();
  if (!saved) {
    std::cout << copy.str() << std::flush;
    // With the console gone too (closed, or a full disk), standard error is
    // the last place the times can still be seen.
    if (std::cout.fail()) {
      std::cerr << copy.str();
    }
    std::cerr << "Could not write " << RESULTS_FILE_NAME << ": " << reason
              << std::endl;
  }
  return saved;
}
