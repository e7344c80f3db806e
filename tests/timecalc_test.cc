#include "timecalc/timecalc.h"

#include <gtest/gtest.h>

#include <cstdint>

namespace {

// Puts one entry through the report's calling order for level `index`.
void timeLevel(unsigned index, std::uint32_t entry) {
  levelTimeText = formatLevelTime(entry);
  readBackLevelTime(index);
}

}  // namespace

TEST(ReadBackLevelTime, EveryEntryReadsBackAsItsRealLength) {
  resetRunTimes();
  for (std::uint32_t entry = 0; entry <= 999; ++entry) {
    timeLevel(7, entry);
    const std::int32_t realSeconds =
        static_cast<std::int32_t>((entry / 100 * 60) + (entry % 100));
    ASSERT_GE(levelSeconds[7], 0) << entry;
    ASSERT_LE(levelSeconds[7], 59) << entry;
    ASSERT_EQ(levelSecondsText[7].size(), 2U) << entry;
    ASSERT_EQ(levelSecondsText[7],
              levelTimeText.substr(levelTimeText.size() - 2))
        << entry;
    ASSERT_EQ((levelMinutes[7] * 60) + levelSeconds[7], realSeconds) << entry;
  }
}

TEST(ReadBackLevelTime, IgnoresTextsThatAreNotTimesAndIndexesPastTheEnd) {
  resetRunTimes();
  timeLevel(3, 975);
  for (const char* text : {"", "10", "10:", "10:1", "10:x5", "7:5x"}) {
    levelTimeText = text;
    readBackLevelTime(3);
  }
  levelTimeText = "1:23";
  readBackLevelTime(LEVEL_COUNT);
  EXPECT_EQ(levelMinutes[3], 10);
  EXPECT_EQ(levelSecondsText[3], "15");
  EXPECT_EQ(levelSeconds[3], 15);
}
