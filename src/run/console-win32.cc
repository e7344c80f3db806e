#include "run/console.h"

#define WIN32_LEAN_AND_MEAN
#include <fcntl.h>
#include <io.h>
#include <windows.h>

#include <cstdio>
#include <cstdlib>

namespace {

bool inputIsConsole() {
  DWORD mode = 0;
  return GetConsoleMode(GetStdHandle(STD_INPUT_HANDLE), &mode) != 0;
}

}  // namespace

// Windows has no broken-pipe signal to turn off and no non-blocking console.
// A file or a pipe, though, is read in text mode unless told otherwise, and
// text mode takes a 1A byte for the end of the file and joins 0D 0A into
// one byte, even inside a UTF-16 character (a Cyrillic K is 1A 04). Read as
// bytes, it reaches the read loop exactly as on Linux, which copes with
// CRLF itself. Typing in a console window stays as the console gives it.
void prepareConsole() {
  if (!inputIsConsole()) {
    static_cast<void>(_setmode(_fileno(stdin), _O_BINARY));
  }
}

// The report is already where the player started the program.
void offerSavedReport(const char* /*name*/) {}

// A key pressed before the prompt shows (a second Enter, a split key after
// the last time) would end "pause" at once and close the window unread, so
// whatever the console holds is dropped first. Input from a pipe or a file
// is not the console and is left alone.
void waitForKeyPress() {
  if (inputIsConsole()) {
    FlushConsoleInputBuffer(GetStdHandle(STD_INPUT_HANDLE));
  }
  static_cast<void>(std::system("pause"));
}
