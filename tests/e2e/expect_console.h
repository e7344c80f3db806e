// Comparing what the program printed with what a player should see.
#pragma once

#include <gtest/gtest.h>

#include <string>

#include "harness.h"

// On Windows the final "pause" prints its own text after the program's last
// line, which is not ours to check; everything up to it must match exactly.
inline void expectConsole(const ProgramRun& run, const std::string& expected) {
  ASSERT_FALSE(run.timedOut) << "the program never finished";
  const std::string printed =
      testingWindowsBuild() ? run.out.substr(0, expected.size()) : run.out;
  EXPECT_EQ(printed, expected);
}
