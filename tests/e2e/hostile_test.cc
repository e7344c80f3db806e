// Whatever a player or a split key types, the program must neither crash
// nor hang: random bytes of every kind go in ahead of 42 good entries, and
// every run must end by itself with a well-formed Results.txt.
#include <gtest/gtest.h>

#include <random>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

#include "expected.h"
#include "harness.h"

namespace {

// One random piece of hostile input: raw bytes, digit runs, signs, blanks,
// carriage returns or a very long line.
std::string hostilePiece(std::mt19937& random) {
  auto pick = [&random](std::size_t n) {
    return std::uniform_int_distribution<std::size_t>(0, n - 1)(random);
  };
  static const std::string kinds[] = {"0123456789", "+-", " \t\v\f",
                                      "\r",         "\n", "-+0123456789 \r\n"};
  std::string piece;
  switch (pick(5)) {
    case 0:  // any byte value at all, NUL and 0xFF included
      for (std::size_t i = 0, n = 1 + pick(64); i < n; ++i) {
        piece += static_cast<char>(pick(256));
      }
      break;
    case 1:  // a very long line of one character
      piece.assign(1000 + pick(100000), static_cast<char>(pick(256)));
      break;
    case 2:  // a long run of digits, maybe signed
      piece = std::string(pick(3) == 0 ? "-" : "") +
              std::string(1 + pick(5000), static_cast<char>('0' + pick(10)));
      break;
    default:  // a mix of numbers, signs and blanks
      for (std::size_t i = 0, n = 1 + pick(200); i < n; ++i) {
        const std::string& kind = kinds[pick(6)];
        piece += kind[pick(kind.size())];
      }
      break;
  }
  return piece;
}

std::vector<std::string> lines(const std::string& text) {
  std::vector<std::string> result;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) {
    result.push_back(line);
  }
  return result;
}

}  // namespace

// The 300 runs come in four shares of their own, which ctest can run side
// by side.
class HostileInput : public ::testing::TestWithParam<int> {};

TEST_P(HostileInput, EveryRunEndsWithAWellFormedReport) {
  if (testingWindowsBuild() || testingWebBuild()) {
    GTEST_SKIP() << "covered by the native builds";
  }
  std::mt19937 random(20261207 + static_cast<unsigned>(GetParam()));
  const std::regex time("([0-9]|10):[0-5][0-9]");
  const std::string good = entryLines(repeated("56", 42));
  for (int round = 0; round < 75; ++round) {
    std::string input;
    for (int i = 0, n = 1 + static_cast<int>(random() % 8); i < n; ++i) {
      input += hostilePiece(random);
    }
    SCOPED_TRACE("round " + std::to_string(round));
    ScratchDir dir;
    input += "\n";
    input += good;
    const ProgramRun run = runProgram(input, dir.path());
    ASSERT_FALSE(run.timedOut);
    ASSERT_EQ(run.exitStatus, 0) << run.err;

    const std::vector<std::string> report =
        lines(readFile(dir.file("Results.txt")));
    ASSERT_EQ(report.size(), 55U);
    for (unsigned i = 0; i < 42; ++i) {
      const std::string name = std::string(EXPECTED_LEVEL_NAMES[i]) + ": ";
      const std::string& line = report[5 + i];
      ASSERT_EQ(line.compare(0, name.size(), name), 0) << line;
      ASSERT_TRUE(std::regex_match(line.substr(name.size()), time)) << line;
    }
  }
}

INSTANTIATE_TEST_SUITE_P(Shares, HostileInput, ::testing::Range(0, 4));
