#include "catalogue/catalogue.h"

#include <gtest/gtest.h>

// The names themselves are held byte for byte by the end-to-end prompts;
// an index past the table selects no row, which no run ever asks.
TEST(LevelCatalogue, NamesNothingPastTheLastRow) {
  EXPECT_EQ(levelName(41), "Last Stand");
  EXPECT_EQ(levelName(42), "");
  EXPECT_EQ(levelName(4294967295U), "");
}
