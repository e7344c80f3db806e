#include "run/console.h"

#include <poll.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <iostream>
#include <streambuf>

namespace {

bool noInputYet(int error) { return error == EAGAIN || error == EWOULDBLOCK; }

// Sleeps until standard input has something to read. False if there is
// nothing to wait for, so that a broken descriptor cannot make us spin.
bool waitUntilReadable() {
  pollfd in = {STDIN_FILENO, POLLIN, 0};
  int ready = 0;
  while ((ready = poll(&in, 1, -1)) < 0 && errno == EINTR) {
  }
  return ready > 0 && (in.revents & (POLLERR | POLLNVAL)) == 0;
}

// The signals that end a program by default: sent by kill, or by the
// terminal when its window is closed. (The wait itself turns the Ctrl-C and
// Ctrl-\ keys into plain keys.)
const int STOP_SIGNALS[] = {SIGINT, SIGQUIT, SIGTERM, SIGHUP};
constexpr int STOP_SIGNAL_COUNT = sizeof STOP_SIGNALS / sizeof STOP_SIGNALS[0];
struct sigaction stopActionsBefore[STOP_SIGNAL_COUNT];

// The terminal's settings from before the wait changed them.
termios savedTerminal{};

// Dying mid-wait would leave the terminal unechoed, in single-key mode and
// deaf to Ctrl-C. So the settings go back first, then the signal is raised
// again with its default action, and the program ends the way it would
// have, for the shell to see. Only async-signal-safe calls are made here.
extern "C" void restoreTerminalAndDie(int signal) {
  tcsetattr(STDIN_FILENO, TCSAFLUSH, &savedTerminal);
  std::signal(signal, SIG_DFL);
  std::raise(signal);
}

// A signal that was ignored when we started (nohup, a background job) stays
// ignored: it cannot end the program, so there is nothing to restore.
void catchStopSignals() {
  struct sigaction restore{};
  restore.sa_handler = restoreTerminalAndDie;
  sigemptyset(&restore.sa_mask);
  for (int i = 0; i < STOP_SIGNAL_COUNT; ++i) {
    sigaction(STOP_SIGNALS[i], nullptr, &stopActionsBefore[i]);
    if (stopActionsBefore[i].sa_handler != SIG_IGN) {
      sigaction(STOP_SIGNALS[i], &restore, nullptr);
    }
  }
}

void releaseStopSignals() {
  for (int i = 0; i < STOP_SIGNAL_COUNT; ++i) {
    sigaction(STOP_SIGNALS[i], &stopActionsBefore[i], nullptr);
  }
}

// Reads what standard input has, up to `size` bytes, and returns how many;
// 0 at the end of the input (Ctrl-D, the end of a file) or on a real error.
// A non-blocking input (a pipe or a terminal that another program set so)
// may answer "nothing yet" anywhere, even between two digits of one number
// or two bytes of a mark; that is never the end, so it is waited out here.
ssize_t readWhenReady(char* buffer, std::size_t size) {
  for (;;) {
    const ssize_t count = read(STDIN_FILENO, buffer, size);
    if (count >= 0) {
      return count;
    }
    if (errno != EINTR && !(noInputYet(errno) && waitUntilReadable())) {
      return 0;
    }
  }
}

// Standard input, read straight from its descriptor: waiting below
// everything that reads keeps a number whole and a mark seen, however the
// input is cut.
class StandardInput : public std::streambuf {
 protected:
  int_type underflow() override {
    const ssize_t count = readWhenReady(buffer_, sizeof buffer_);
    if (count <= 0) {
      return traits_type::eof();
    }
    setg(buffer_, buffer_, buffer_ + count);
    return traits_type::to_int_type(*gptr());
  }

 private:
  char buffer_[4096] = {};
};

StandardInput standardInput;

}  // namespace

// A reader that went away, or a file-size limit (ulimit -f) reached while
// writing Results.txt, would otherwise end the program by signal, with the
// times lost; ignored, each is a write that fails and is handled as one.
void prepareConsole() {
  std::signal(SIGPIPE, SIG_IGN);
  std::signal(SIGXFSZ, SIG_IGN);
  std::cin.rdbuf(&standardInput);
}

// The report is already where the player started the program.
void offerSavedReport(const char* /*name*/) {}

// The usual shells here have no "pause", so the wait is done on the terminal
// itself, the way the command processor would do it: one key, unechoed, and
// no Enter needed. Input that is a pipe or a file has nobody at a keyboard
// behind it, so there is nothing to wait for.
void waitForKeyPress() {
  if (isatty(STDIN_FILENO) == 0 ||
      tcgetattr(STDIN_FILENO, &savedTerminal) != 0) {
    return;
  }

  std::cout << "Press any key to continue . . ." << std::flush;

  termios raw = savedTerminal;
  // A key counts at once, without Enter,
  raw.c_lflag &= ~static_cast<tcflag_t>(ICANON);
  // is not shown,
  raw.c_lflag &= ~static_cast<tcflag_t>(ECHO);
  // and Ctrl-C is just a key, so the settings always come back.
  raw.c_lflag &= ~static_cast<tcflag_t>(ISIG);
  // Ctrl-S and Ctrl-Q are keys too: with flow control on, Ctrl-S (pressed
  // to save, by habit) would stop the output and hang the last newline.
  raw.c_iflag &= ~static_cast<tcflag_t>(IXON);
  // One byte ends the wait, however long it takes to come.
  raw.c_cc[VMIN] = 1;
  raw.c_cc[VTIME] = 0;
  catchStopSignals();
  // TCSAFLUSH also throws away whatever was typed before the prompt showed.
  if (tcsetattr(STDIN_FILENO, TCSAFLUSH, &raw) == 0) {
    char key = 0;
    readWhenReady(&key, 1);
    // Flushing again drops the rest of a key that sends several bytes, such
    // as an arrow key, instead of leaving it for the shell.
    tcsetattr(STDIN_FILENO, TCSAFLUSH, &savedTerminal);
  }
  releaseStopSignals();
  std::cout << std::endl;
}
