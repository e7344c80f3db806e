#include "timecalc/timecalc.h"

#include <cstdio>
#include <cstdlib>
#include <sstream>

std::string levelTimeText;
std::int32_t levelMinutes[LEVEL_COUNT] = {};
std::string levelSecondsText[LEVEL_COUNT];
std::int32_t levelSeconds[LEVEL_COUNT] = {};
RunTotals runTotals;

namespace {

bool isDigit(char c) { return c >= '0' && c <= '9'; }

}  // namespace

std::string formatLevelTime(std::uint32_t entry) {
  const std::uint32_t minutes = (entry / 100U) + ((entry % 100U) / 60U);
  const std::uint32_t seconds = (entry % 100U) % 60U;

  std::ostringstream text;
  text << minutes << ':';
  if (seconds < 10U) {
    text << "0";
  }
  text << seconds;
  return text.str();
}

// The text is minutes, a colon and two seconds digits. The minutes are the
// decimal value of everything before the colon; the seconds digits are
// printed back into a text of their own, which is then converted, so that
// the report's seconds text and the number summed always agree.
void readBackLevelTime(unsigned index) {
  const std::string text = levelTimeText;
  const std::size_t colon = text.find(':');
  if (index >= LEVEL_COUNT || colon == std::string::npos ||
      text.size() < colon + 3 || !isDigit(text[colon + 1]) ||
      !isDigit(text[colon + 2])) {
    return;
  }

  const int tens = text[colon + 1] - '0';
  const int units = text[colon + 2] - '0';

  std::int32_t minutes = 0;
  for (std::size_t i = 0; i < colon && isDigit(text[i]); ++i) {
    minutes = minutes * 10 + (text[i] - '0');
  }
  levelMinutes[index] = minutes;

  char secondsText[24];  // room for any two ints, though both are digits
  std::snprintf(secondsText, sizeof secondsText, "%d%d", tens, units);
  levelSecondsText[index] = secondsText;
  levelSeconds[index] =
      static_cast<std::int32_t>(std::strtol(secondsText, nullptr, 10));
}

void accumulateTotals() {
  for (unsigned i = 0; i < LEVEL_COUNT; ++i) {
    runTotals.seconds += levelSeconds[i];
  }
  for (unsigned i = 0; i < LEVEL_COUNT; ++i) {
    runTotals.minutes += levelMinutes[i];
  }
  if (runTotals.seconds >= 60) {
    runTotals.minutes += runTotals.seconds / 60;
    runTotals.seconds %= 60;
  }
  if (runTotals.minutes >= 60) {
    runTotals.hours += runTotals.minutes / 60;
    runTotals.minutes %= 60;
  }
}

void resetRunTimes() {
  levelTimeText.clear();
  for (unsigned i = 0; i < LEVEL_COUNT; ++i) {
    levelMinutes[i] = 0;
    levelSecondsText[i].clear();
    levelSeconds[i] = 0;
  }
  runTotals = RunTotals{};
}
