#include "run/console.h"

#define WIN32_LEAN_AND_MEAN
#include <windows.h>

#include <cstdlib>

// Windows has no broken-pipe signal to turn off and no non-blocking
// console, so only the wait is left: the command processor's own "pause"
// prints its prompt and waits for a key.
void prepareConsole() {}

bool waitForMoreInput() { return false; }

// The report is already where the player started the program.
void offerSavedReport(const char* /*name*/) {}

// A key pressed before the prompt shows (a second Enter, a split key after
// the last time) would end "pause" at once and close the window unread, so
// whatever the console holds is dropped first. Input from a pipe or a file
// is not the console and is left alone.
void waitForKeyPress() {
  HANDLE input = GetStdHandle(STD_INPUT_HANDLE);
  DWORD mode = 0;
  if (GetConsoleMode(input, &mode) != 0) {
    FlushConsoleInputBuffer(input);
  }
  static_cast<void>(std::system("pause"));
}
