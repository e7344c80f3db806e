// Results.txt end to end: its bytes for worked runs, a rerun, and what the
// player gets when the file cannot be written.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "expect_console.h"
#include "expected.h"
#include "harness.h"

// Runs worked by hand: every time as the player typed it, the rest of the
// 42 filled with one more, and the total with its carries.
TEST(Report, RunsWorkedByHand) {
  const struct {
    std::vector<std::string> entries, times;
    std::string fillEntry, fillTime, total;
  } cases[] = {
      // Seconds 239 + 31 x 56 = 1975 = 32:55; minutes 52 + 32 = 84 = 1:24.
      {{"975", "0", "60", "100", "999", "960", "159", "5", "99", "923", "959"},
       {"10:15", "0:00", "1:00", "1:00", "10:39", "10:00", "1:59", "0:05",
        "1:39", "9:23", "9:59"},
       "56",
       "0:56",
       "1 Hour(s), 24 Minute(s), 55 Second(s)"},
      {{}, {}, "100", "1:00", "0 Hour(s), 42 Minute(s), 0 Second(s)"},
      {{}, {}, "923", "9:23", "6 Hour(s), 34 Minute(s), 6 Second(s)"},
      {{}, {}, "975", "10:15", "7 Hour(s), 10 Minute(s), 30 Second(s)"},
      {{"59", "1"},
       {"0:59", "0:01"},
       "0",
       "0:00",
       "0 Hour(s), 1 Minute(s), 0 Second(s)"},
      {{"960", "960", "960", "960", "960", "960", "10", "20"},
       {"10:00", "10:00", "10:00", "10:00", "10:00", "10:00", "0:10", "0:20"},
       "0",
       "0:00",
       "1 Hour(s), 0 Minute(s), 30 Second(s)"},
  };
  for (auto c : cases) {
    SCOPED_TRACE(c.total);
    c.entries.resize(42, c.fillEntry);
    c.times.resize(42, c.fillTime);
    ScratchDir dir;
    const ProgramRun run = runProgram(entryLines(c.entries), dir.path());
    ASSERT_FALSE(run.timedOut);
    EXPECT_EQ(run.exitStatus, 0);
    EXPECT_EQ(readFile(dir.file("Results.txt")), reportText(c.times, c.total));
  }
}

// Results.txt may also be a link to the file a player keeps elsewhere: the
// report goes through the link into that file.
TEST(Report, ASecondRunReplacesALongerFileEntirely) {
  for (const bool linked : {false, true}) {
    SCOPED_TRACE(linked ? "Results.txt links to a file" : "a plain file");
    ScratchDir dir;
    const std::string file = dir.file(linked ? "kept.txt" : "Results.txt");
    writeFile(file, std::string(20000, 'x') + "\n");
    if (linked) {
      ASSERT_EQ(symlink("kept.txt", dir.file("Results.txt").c_str()), 0);
    }
    const ProgramRun run =
        runProgram(entryLines(repeated("0", 42)), dir.path());
    expectConsole(run, bannerText() + promptsText(42) + closingNoticeText());
    EXPECT_EQ(run.exitStatus, 0);
    EXPECT_EQ(readFile(file),
              reportText(repeated("0:00", 42),
                         "0 Hour(s), 0 Minute(s), 0 Second(s)"));
  }
}

// When the file lets the player down, the report goes to the console
// instead, the error says why, and nothing claims the times were saved.
TEST(Report, AFileThatCannotBeWrittenPutsTheReportOnTheConsole) {
  const struct {
    const char* what;
    std::string results;  // made in its place: "directory", "fifo", a link
    const char* linuxReason;
    // Wine shows a FIFO or a device to a Windows program as a plain file,
    // and Windows has no such things under a file name.
    bool posixOnly;
    // Where a library preloaded into this build's own program makes a
    // Results.txt that opened well fail, as real storage can: "write" (a
    // disk that fills) or "close" (a share over quota).
    const char* failAt;
    unsigned long long fileSizeLimit;  // bytes, as `ulimit -f`; 0 for none
  } cases[] = {
      {"a directory of that name", "directory", "Is a directory", false,
       nullptr, 0},
      {"a link to a full device", "/dev/full", "not a regular file", false,
       nullptr, 0},
      {"a link to a device that swallows everything", "/dev/null",
       "not a regular file", true, nullptr, 0},
      {"a FIFO that nobody reads", "fifo", "not a regular file", true, nullptr,
       0},
      {"a file-size limit reached part-way", "", "File too large", true,
       nullptr, 512},
      {"a disk that fills up after the first line", "",
       "No space left on device", true, "write", 0},
      {"a share over quota that fails only the close", "",
       "Disk quota exceeded", true, "close", 0},
  };
  std::vector<std::string> times = {"10:15", "0:00"};
  times.resize(42, "0:56");
  std::vector<std::string> entries = {"975", "0"};
  entries.resize(42, "56");
  for (const auto& c : cases) {
    // The failing storage is played for this build's own program, and only
    // one with a dynamic loader takes a preloaded library.
    if ((c.posixOnly && testingWindowsBuild()) ||
        (c.failAt != nullptr &&
         (std::getenv("COGMARROW_IGT") != nullptr || COGMARROW_IGT_STATIC))) {
      continue;
    }
    SCOPED_TRACE(c.what);
    ScratchDir dir;
    const std::string results = dir.file("Results.txt");
    if (c.results == "directory") {
      ASSERT_EQ(mkdir(results.c_str(), 0755), 0);
    } else if (c.results == "fifo") {
      ASSERT_EQ(mkfifo(results.c_str(), 0644), 0);
    } else if (!c.results.empty()) {
      ASSERT_EQ(symlink(c.results.c_str(), results.c_str()), 0);
    }
    ChildSetup setup{false, {}, c.fileSizeLimit, ""};
    if (c.failAt != nullptr) {
      // A sanitizer build's runtime refuses to start unless it is loaded
      // first, ahead of the library; this lets it come second.
      const char* asan = std::getenv("ASAN_OPTIONS");
      setup.environment = {
          {"LD_PRELOAD", FAILING_FILE_PATH},
          {"FAIL_RESULTS_AT", c.failAt},
          {"ASAN_OPTIONS", (asan != nullptr ? asan : "") +
                               std::string(":verify_asan_link_order=0")}};
    }
    const ProgramRun run = runProgram(entryLines(entries), dir.path(), setup);
    expectConsole(
        run, bannerText() + promptsText(42) +
                 reportText(times, "0 Hour(s), 47 Minute(s), 35 Second(s)"));
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

// A console that has gone away must cost neither the file nor, when the file
// cannot be written either, the report itself.
TEST(Report, AConsoleThatIsGoneCostsNoTimes) {
  const struct {
    const char* what;
    const char* output;
    bool fileFails;
    unsigned long long fileSizeLimit;
  } cases[] = {
      {"a reader that quit early", "gone", false, 0},
      {"a closed standard output", "closed", false, 0},
      {"a reader that quit early, and no file", "gone", true, 0},
      {"a full device, and no file", "/dev/full", true, 0},
      // The prompts fit in the 3 KiB, the report printed after them does
      // not, and must then go to standard error.
      {"a file under a size limit that fills after the prompts, and no file",
       "out.txt", true, 3072},
  };
  const std::string report =
      reportText(repeated("0:56", 42), "0 Hour(s), 39 Minute(s), 12 Second(s)");
  for (const auto& c : cases) {
    // Wine keeps files of its own, which a size limit would break first.
    if (c.fileSizeLimit != 0 && testingWindowsBuild()) {
      continue;
    }
    SCOPED_TRACE(c.what);
    ScratchDir dir;
    if (c.fileFails) {
      ASSERT_EQ(mkdir(dir.file("Results.txt").c_str(), 0755), 0);
    }
    const ProgramRun run =
        runProgram(entryLines(repeated("56", 42)), dir.path(),
                   {false, {}, c.fileSizeLimit, c.output});
    ASSERT_FALSE(run.timedOut);
    EXPECT_EQ(run.signal, 0);
    if (c.fileFails) {
      EXPECT_EQ(run.exitStatus, 1);
      // Standard error is the last place left for the report.
      EXPECT_EQ(run.err.rfind(report + "Could not write Results.txt: ", 0), 0U)
          << run.err;
    } else {
      EXPECT_EQ(run.exitStatus, 0);
      EXPECT_EQ(readFile(dir.file("Results.txt")), report);
      EXPECT_EQ(run.err, "");
    }
  }
}
