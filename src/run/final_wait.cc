#include "run/final_wait.h"

#ifdef _WIN32

#include <cstdlib>

// The command processor's own "pause" prints its prompt and waits for a key.
void waitForKeyPress() { static_cast<void>(std::system("pause")); }

#else

#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <iostream>

// The usual shells here have no "pause", so the wait is done on the terminal
// itself, the way the command processor would do it: one key, unechoed, and
// no Enter needed. Input that is a pipe or a file has nobody at a keyboard
// behind it, so there is nothing to wait for.
void waitForKeyPress() {
  termios saved{};
  if (isatty(STDIN_FILENO) == 0 || tcgetattr(STDIN_FILENO, &saved) != 0) {
    return;
  }

  std::cout << "Press any key to continue . . ." << std::flush;

  termios raw = saved;
  // A key counts at once, without Enter,
  raw.c_lflag &= ~static_cast<tcflag_t>(ICANON);
  // is not shown,
  raw.c_lflag &= ~static_cast<tcflag_t>(ECHO);
  // and Ctrl-C is just a key, so the settings always come back.
  raw.c_lflag &= ~static_cast<tcflag_t>(ISIG);
  // One byte ends the wait, however long it takes to come.
  raw.c_cc[VMIN] = 1;
  raw.c_cc[VTIME] = 0;
  // TCSAFLUSH also throws away whatever was typed before the prompt showed.
  if (tcsetattr(STDIN_FILENO, TCSAFLUSH, &raw) == 0) {
    char key = 0;
    while (read(STDIN_FILENO, &key, 1) < 0 && errno == EINTR) {
    }
    // Flushing again drops the rest of a key that sends several bytes, such
    // as an arrow key, instead of leaving it for the shell.
    tcsetattr(STDIN_FILENO, TCSAFLUSH, &saved);
  }
  std::cout << std::endl;
}

#endif
