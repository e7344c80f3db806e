#include "catalogue/catalogue.h"

#include <gtest/gtest.h>

TEST(LevelCatalogue, NamesTheFirstAndLastRowsAndNothingPastThem) {
  EXPECT_EQ(levelName(0), "Boot Camp Basics");
  EXPECT_EQ(levelName(15), "Wh&!? Just Happened");
  EXPECT_EQ(levelName(41), "Last Stand");
  EXPECT_EQ(levelName(42), "");
  EXPECT_EQ(levelName(4294967295U), "");

  std::string copy = levelName(0);
  copy += " changed";
  EXPECT_EQ(levelName(0), "Boot Camp Basics");
}
