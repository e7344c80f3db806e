#include "run/run.h"

#include <cstdint>
#include <iostream>
#include <limits>
#include <string>

#include "catalogue/catalogue.h"
#include "report/report.h"
#include "run/byte-order.h"
#include "run/console.h"

namespace {

constexpr std::uint32_t MAX_ENTRY = 999;
// Held by a slot until its level has been read; any value above MAX_ENTRY
// counts as not yet entered.
constexpr std::uint32_t ENTRY_UNSET = std::numeric_limits<std::uint32_t>::max();

// One accepted time entry per level, by level index.
std::uint32_t entries[LEVEL_COUNT];

void writeBanner() {
  std::cout << "****************************************************"
            << std::endl;
  std::cout << "Cogmarrow - IGT Helper (v" COGMARROW_VERSION ")" << std::endl;
  std::cout << "****************************************************"
            << std::endl;
  std::cout << std::endl;
  std::cout << "Enter your times as 1-3 digits only (no colons)" << std::endl;
  std::cout << "Example: 56 = 0:56 or 923 = 9:23" << std::endl;
  std::cout << "You may enter an assigned split key after you enter each "
               "individual time as well"
            << std::endl;
  std::cout << std::endl;
}

void writePrompt(unsigned index) {
  std::cout << std::endl;
  std::cout << "Enter the IGT for ***" << levelName(index)
            << "*** then press Enter" << std::endl;
  std::cout << std::endl;
}

void writeClosingNotice() {
  std::cout << "*******************************************" << std::endl;
  std::cout << "Your results have been saved to Results.txt" << std::endl;
  std::cout << "*******************************************" << std::endl;
  std::cout << std::endl;
}

// Reads standard input until `slot` holds an entry from 0 to MAX_ENTRY and
// returns true; returns false if the input ends first.
//
// Formatted extraction does all the parsing: it skips white space, takes an
// optional sign and the digits after it, and wraps a negative number modulo
// 2^32. A value above MAX_ENTRY is simply read past. Anything that is not a
// number costs the rest of its line, so that the text a split key types
// never leaks into the next level. The loop always consumes input or stops,
// so it cannot spin once the input is exhausted.
bool readEntry(std::uint32_t& slot) {
  slot = ENTRY_UNSET;
  while (slot > MAX_ENTRY) {
    std::uint32_t value = ENTRY_UNSET;
    if (std::cin >> value) {
      slot = value;
      continue;
    }
    if (std::cin.eof() || std::cin.bad()) {
      return false;
    }
    std::cin.clear();
    std::cin.ignore(std::numeric_limits<std::streamsize>::max(), '\n');
  }
  return true;
}

}  // namespace

int runIgtHelper() {
  prepareConsole();
  writeBanner();
  for (unsigned i = 0; i < LEVEL_COUNT; ++i) {
    writePrompt(i);
    if (i == 0) {
      readByteOrderMark();
    }
    if (!readEntry(entries[i])) {
      // Writing a report of a partial run would overwrite the player's last
      // good Results.txt, so an unfinished run leaves the file alone.
      std::cerr << "Input ended after " << i << " of " << LEVEL_COUNT
                << " level times; Results.txt was not written." << std::endl;
      waitForKeyPress();
      return 1;
    }
  }

  const bool saved = runReportPhase(entries);
  if (saved) {
    offerSavedReport(RESULTS_FILE_NAME);
    writeClosingNotice();
  }
  waitForKeyPress();
  return saved ? 0 : 1;
}
