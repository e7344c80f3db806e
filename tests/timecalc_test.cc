#include "timecalc/timecalc.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

namespace {

// Puts one entry through the report's calling order for level `index`.
void timeLevel(unsigned index, std::uint32_t entry) {
  levelTimeText = formatLevelTime(entry);
  readBackLevelTime(index);
}

RunTotals totalsOf(const std::vector<std::uint32_t>& entries) {
  resetRunTimes();
  for (unsigned i = 0; i < LEVEL_COUNT; ++i) {
    timeLevel(i, i < entries.size() ? entries[i] : 0);
  }
  accumulateTotals();
  return runTotals;
}

}  // namespace

TEST(FormatLevelTime, WorkedValues) {
  const struct {
    std::uint32_t entry;
    const char* text;
  } cases[] = {{0, "0:00"},   {5, "0:05"},    {56, "0:56"},   {60, "1:00"},
               {99, "1:39"},  {100, "1:00"},  {159, "1:59"},  {923, "9:23"},
               {959, "9:59"}, {960, "10:00"}, {975, "10:15"}, {999, "10:39"}};
  for (const auto& c : cases) {
    EXPECT_EQ(formatLevelTime(c.entry), c.text) << "entry " << c.entry;
  }
}

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

TEST(AccumulateTotals, WorkedTotalsAndExactCarries) {
  const struct {
    std::vector<std::uint32_t> entries;
    std::int32_t hours, minutes, seconds;
  } cases[] = {
      {std::vector<std::uint32_t>(42, 100), 0, 42, 0},
      {std::vector<std::uint32_t>(42, 923), 6, 34, 6},
      {std::vector<std::uint32_t>(42, 975), 7, 10, 30},
      {{59, 1}, 0, 1, 0},
      {{30, 30}, 0, 1, 0},  // seconds sum to exactly 60
      {{960, 960, 960, 960, 960, 960, 10, 20}, 1, 0, 30},  // minutes to 60
      {{}, 0, 0, 0},
  };
  for (const auto& c : cases) {
    const RunTotals totals = totalsOf(c.entries);
    EXPECT_EQ(totals.hours, c.hours);
    EXPECT_EQ(totals.minutes, c.minutes);
    EXPECT_EQ(totals.seconds, c.seconds);
  }
}
