// The console dialogue end to end: what is printed, which entries are taken,
// and how a run ends when the input runs out.
#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "expect_console.h"
#include "expected.h"
#include "harness.h"

// Each input line below, and the entries it yields, is one of the ways a
// player or a split key can type into the prompt.
TEST(Dialogue, ReadLoopTakesOnlyWholeNumbersUpTo999) {
  const std::string input =
      "56 923\n"                   // two levels from one line: 56, 923
      "56x 77\n"                   // 56; the letter costs the rest: x 77
      "abc 923\n"                  // a letter first: the whole line goes
      "1234 5\n"                   // 1234 dropped, the rest kept: 5
      "-5 -0\n"                    // minus five dropped, minus zero is 0
      "+56\n"                      // 56
      "\n"                         // blank lines are skipped
      "   \t \n"                   //
      "007\n"                      // 7
      "99999999999 12\n"           // too big for 32 bits: line discarded
      "+ 45\n"                     // a lone sign: line discarded
      "-\n"                        //
      "4294967295 4294967296 8\n"  // dropped, then too big: 8 discarded
      "-4294967295\n"              // wraps modulo 2^32 to 1
      "1000 999\n"                 // 1000 dropped, 999 kept
      "\v\f 975\r\n";              // any white space around a number
  std::vector<std::string> rest = repeated("0", 32);
  ScratchDir dir;
  const ProgramRun run = runProgram(input + entryLines(rest), dir.path());

  expectConsole(run, bannerText() + promptsText(42) + closingNoticeText());
  EXPECT_EQ(run.exitStatus, 0);
  std::vector<std::string> times = {"0:56", "9:23", "0:56", "0:05",  "0:00",
                                    "0:56", "0:07", "0:01", "10:39", "10:15"};
  times.resize(42, "0:00");
  EXPECT_EQ(readFile(dir.file("Results.txt")),
            reportText(times, "0 Hour(s), 33 Minute(s), 18 Second(s)"));
}

// An unfinished run writes no report, and leaves an earlier one alone.
TEST(Dialogue, EndOfInputEndsTheRunWithoutAReport) {
  struct Case {
    std::string input;
    unsigned accepted;
    bool earlierReport = false;
  };
  const std::string earlier =
      reportText(repeated("9:23", 42), "6 Hour(s), 34 Minute(s), 6 Second(s)");
  const Case cases[] = {
      {entryLines(repeated("923", 41)), 41, true},
      {"", 0},
      {"56\n56\n", 2},
      {"56\nabc", 1},
      {"56 1234", 1},
      {"-", 0},
      {"56\n\n\n   ", 1},
      {"99999999999", 0},
      // UTF-16LE, ending on a whole character, and with an odd byte over
      {std::string("\xFF\xFE"
                   "5\0"
                   "6\0\n\0",
                   8),
       1},
      {std::string("\xFF\xFE"
                   "5\0"
                   "6\0\n\0"
                   "7",
                   9),
       1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE("input: " + c.input);
    ScratchDir dir;
    if (c.earlierReport) {
      writeFile(dir.file("Results.txt"), earlier);
    }
    const ProgramRun run = runProgram(c.input, dir.path());
    expectConsole(run, bannerText() + promptsText(c.accepted + 1));
    EXPECT_EQ(run.exitStatus, 1);
    EXPECT_EQ(run.err, inputEndedText(c.accepted));
    if (c.earlierReport) {
      EXPECT_EQ(readFile(dir.file("Results.txt")), earlier);
    } else {
      EXPECT_FALSE(pathExists(dir.file("Results.txt")));
    }
  }
}

// Every level answered with 56, as typed or as saved by an editor. A file
// saved as "UTF-8 with BOM" starts with EF BB BF, one saved by Windows
// PowerShell with the UTF-16 mark FF FE (FE FF when big-endian). There, and
// only there, a mark is no text; anywhere else it is a line that does not
// start with a number, which costs that line. Trickled in a byte at a time
// through a non-blocking pipe, every number and mark must still read whole.
TEST(Dialogue, AByteOrderMarkCostsNoTime) {
  const std::string mark = "\xEF\xBB\xBF";
  enum Encoding : char { UTF8, UTF16LE, UTF16BE };
  const struct {
    const char* what;
    std::string before;        // ahead of 42 lines of 56, as raw bytes
    const char* end;           // each line's end
    Encoding encoding = UTF8;  // of the 42 lines
    bool trickled = false;
  } cases[] = {
      {"no mark", "", "\n"},
      {"a mark, LF", mark, "\n"},
      {"a mark, CRLF", mark, "\r\n"},
      {"a second mark is text", mark + mark + "923\n", "\n"},
      {"half a mark is text",
       "\xEF\xBB"
       "923\n",
       "\n"},
      {"a lone first byte of a mark is text",
       "\xEF"
       "923\n",
       "\n"},
      {"a lone first byte of a mark costs only its own line", "\xEF\n", "\n"},
      {"a mark after a blank line is text", "\n" + mark + "923\n", "\n"},
      {"no mark, trickled", "", "\n", UTF8, true},
      {"a mark, CRLF, trickled", mark, "\r\n", UTF8, true},
      {"UTF-16LE, CRLF, trickled", "\xFF\xFE", "\r\n", UTF16LE, true},
      {"UTF-16BE, LF, trickled", "\xFE\xFF", "\n", UTF16BE, true},
      // The 56 ahead of it is the first time; the 42nd line goes unread.
      {"a mark right after a time is text", "56" + mark + "923\n", "\n"},
      {"UTF-16LE, LF", "\xFF\xFE", "\n", UTF16LE},
      {"UTF-16LE, CRLF", "\xFF\xFE", "\r\n", UTF16LE},
      {"UTF-16BE, LF", "\xFE\xFF", "\n", UTF16BE},
      {"UTF-16BE, CRLF", "\xFE\xFF", "\r\n", UTF16BE},
      // U+0131 is 31 01 in UTF-16LE: its low byte is the digit 1.
      {"a UTF-16 letter whose low byte is a digit is text",
       std::string("\xFF\xFE\x31\x01"
                   "2\0"
                   "3\0\n\0",
                   10),
       "\n", UTF16LE},
      // U+00E9, U+4E2D, U+1F600 as a surrogate pair, a high surrogate
      // before a 5, and a lone low one: a line that does not start with
      // a number.
      {"other scripts in UTF-16 are text",
       std::string("\xFF\xFE\xE9\0\x2D\x4E\x3D\xD8\x00\xDE\x00\xD8"
                   "5\0"
                   "\x00\xDC\n\0",
                   18),
       "\n", UTF16LE},
      {"a lone high surrogate right before a line end",
       std::string("\xFF\xFE\x00\xD8\n\0", 6), "\n", UTF16LE},
      // Note lines whose characters hold a 1A byte or a 0D 0A pair, which a
      // reader in text mode would take for the end or for a line end: К, Ě,
      // Ț, a fullwidth colon, U+1A00, then U+0A0D (LE) or U+0D0A (BE).
      {"a UTF-16LE note of bytes a text mode would misread",
       std::string("\xFF\xFE\x1A\x04\x1A\x01\x1A\x02\x1A\xFF\x00\x1A"
                   "\x0D\x0A\r\0\n\0",
                   18),
       "\r\n", UTF16LE},
      {"a UTF-16BE note of bytes a text mode would misread",
       std::string("\xFE\xFF\x04\x1A\x01\x1A\x02\x1A\xFF\x1A\x1A\x00"
                   "\x0D\x0A\0\r\0\n",
                   18),
       "\r\n", UTF16BE},
      {"half a UTF-16 mark is text",
       "\xFF"
       "923\n",
       "\n"},
      {"a UTF-16 mark after a blank line is text",
       "\n\xFE\xFF"
       "923\n",
       "\n"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    if (c.trickled && testingWindowsBuild()) {
      continue;  // Windows has no non-blocking pipes to read
    }
    std::string lines;
    for (int i = 0; i < 42; ++i) {
      lines += std::string("56") + c.end;
    }
    std::string input = c.before;
    for (const char byte : lines) {
      std::string unit = {'\0', byte};  // big-endian
      if (c.encoding == UTF8) {
        unit.erase(0, 1);
      } else if (c.encoding == UTF16LE) {
        std::swap(unit[0], unit[1]);
      }
      input += unit;
    }
    ScratchDir dir;
    const ProgramRun run =
        runProgram(input, dir.path(), {c.trickled, {}, 0, ""});
    expectConsole(run, bannerText() + promptsText(42) + closingNoticeText());
    EXPECT_EQ(run.exitStatus, 0);
    EXPECT_EQ(run.err, "");
    EXPECT_EQ(readFile(dir.file("Results.txt")),
              reportText(repeated("0:56", 42),
                         "0 Hour(s), 39 Minute(s), 12 Second(s)"));
  }
}
