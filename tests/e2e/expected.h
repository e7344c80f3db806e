// The program's texts as a player sees them, written out independently of
// the program's own tables, so that a changed byte anywhere shows up.
#pragma once

#include <string>
#include <vector>

// The line end of the build under test: CRLF for Windows, LF elsewhere.
const std::string& nl();

extern const char* const EXPECTED_LEVEL_NAMES[42];

std::string bannerText();
std::string promptText(unsigned index);
std::string promptsText(unsigned count);  // the first `count` prompts
std::string closingNoticeText();
// What standard error says when the input ends after `accepted` times, with
// `lineEnd` where a terminal shows "\r\n".
std::string inputEndedText(unsigned accepted,
                           const std::string& lineEnd = nl());

// Results.txt for the given 42 time texts and total line.
std::string reportText(const std::vector<std::string>& times,
                       const std::string& totalLine);

std::vector<std::string> repeated(const std::string& value, unsigned count);

// The input a player types for these entries, one per line.
std::string entryLines(const std::vector<std::string>& entries);
