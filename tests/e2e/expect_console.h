// Comparing what the program printed with what a player should see.
#pragma once

#include <gtest/gtest.h>

#include <string>

#include "harness.h"

// On Windows the final "pause" prints its own text after the program's last
// line; its wording is the command processor's (Wine's differs from
// Windows'), but a pause that prints nothing leaves the player no prompt.
// Everything up to it must match exactly.
inline void expectConsole(const ProgramRun& run, const std::string& expected) {
  ASSERT_FALSE(run.timedOut) << "the program never finished";
  EXPECT_EQ(run.signal, 0) << "the program was ended by a signal";
  if (!testingWindowsBuild()) {
    EXPECT_EQ(run.out, expected);
    return;
  }
  EXPECT_EQ(run.out.substr(0, expected.size()), expected);
  EXPECT_EQ(run.out.rfind("Press any key to continue", expected.size()),
            expected.size())
      << "no pause prompt after the program's output: " << run.out;
}
