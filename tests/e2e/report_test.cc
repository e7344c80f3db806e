// Results.txt end to end: its bytes for worked runs, a rerun, and what the
// player gets when the file cannot be written.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <string>
#include <vector>

#include "console.h"
#include "expected.h"
#include "harness.h"

TEST(Report, MixedRunWorkedByHand) {
  std::vector<std::string> entries = {"975", "0",   "60", "100", "999",
                                      "960", "159", "5",  "99",  "923"};
  std::vector<std::string> times = {"10:15", "0:00", "1:00", "1:00", "10:39",
                                    "10:00", "1:59", "0:05", "1:39", "9:23"};
  entries.resize(42, "56");
  times.resize(42, "0:56");
  ScratchDir dir;
  const ProgramRun run = runProgram(entryLines(entries), dir.path());
  ASSERT_FALSE(run.timedOut);
  EXPECT_EQ(run.exitStatus, 0);
  // Seconds 180 + 32 x 56 = 1972 = 32:52; minutes 43 + 32 = 75 = 1:15.
  EXPECT_EQ(readFile(dir.file("Results.txt")),
            reportText(times, "1 Hour(s), 15 Minute(s), 52 Second(s)"));
}

TEST(Report, ASecondRunReplacesALongerFileEntirely) {
  ScratchDir dir;
  writeFile(dir.file("Results.txt"), std::string(20000, 'x') + "\n");
  const ProgramRun run = runProgram(entryLines(repeated("0", 42)), dir.path());
  ASSERT_FALSE(run.timedOut);
  EXPECT_EQ(run.exitStatus, 0);
  EXPECT_EQ(
      readFile(dir.file("Results.txt")),
      reportText(repeated("0:00", 42), "0 Hour(s), 0 Minute(s), 0 Second(s)"));
}

// When the file lets the player down, the report goes to the console
// instead, the error says why, and nothing claims the times were saved.
TEST(Report, AFileThatCannotBeWrittenPutsTheReportOnTheConsole) {
  struct Case {
    const char* what;
    void (*prepare)(const std::string& resultsPath);
    const char* linuxReason;
  };
  const Case cases[] = {
      {"a directory of that name",
       [](const std::string& path) { ASSERT_EQ(mkdir(path.c_str(), 0755), 0); },
       "Is a directory"},
      {"a link to a full device",
       [](const std::string& path) {
         ASSERT_EQ(symlink("/dev/full", path.c_str()), 0);
       },
       "No space left on device"},
  };
  std::vector<std::string> times = {"10:15", "0:00"};
  times.resize(42, "0:56");
  std::vector<std::string> entries = {"975", "0"};
  entries.resize(42, "56");
  const std::string report =
      reportText(times, "0 Hour(s), 47 Minute(s), 35 Second(s)");

  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    ScratchDir dir;
    c.prepare(dir.file("Results.txt"));
    const ProgramRun run = runProgram(entryLines(entries), dir.path());
    expectConsole(run, bannerText() + promptsText(42) + report);
    EXPECT_EQ(run.out.find("Your results have been saved"), std::string::npos);
    EXPECT_EQ(run.exitStatus, 1);
    const std::string prefix = "Could not write Results.txt: ";
    if (testingWindowsBuild()) {
      EXPECT_EQ(run.err.rfind(prefix, 0), 0U) << run.err;
      EXPECT_EQ(run.err.find(nl()), run.err.size() - nl().size()) << run.err;
    } else {
      EXPECT_EQ(run.err, prefix + c.linuxReason + "\n");
    }
  }
}
