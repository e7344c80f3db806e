// The final wait on a real terminal: the program is started on a fresh
// pseudo-terminal, blocking or not, and must sit at its prompt until a key
// or a signal arrives, leaving the terminal exactly as it found it.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <pty.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstring>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

#include "expected.h"
#include "harness.h"

namespace {

bool sameSettings(const termios& a, const termios& b) {
  return a.c_iflag == b.c_iflag && a.c_oflag == b.c_oflag &&
         a.c_cflag == b.c_cflag && a.c_lflag == b.c_lflag &&
         std::memcmp(a.c_cc, b.c_cc, sizeof a.c_cc) == 0;
}

// The test's side of the terminal, and all that the program has shown on it.
struct Terminal {
  int master = -1;
  int slave = -1;
  std::string seen;

  // Reads what the terminal shows until `done` holds, or for `seconds` at
  // most; false once that time is up or the terminal has closed.
  bool watch(int seconds, const std::function<bool()>& done) {
    const auto deadline =
        std::chrono::steady_clock::now() + std::chrono::seconds(seconds);
    while (!done()) {
      if (std::chrono::steady_clock::now() > deadline) {
        return false;
      }
      pollfd fd = {master, POLLIN, 0};
      char buffer[1024];
      const ssize_t n =
          poll(&fd, 1, 50) > 0 ? read(master, buffer, sizeof buffer) : 0;
      if (n < 0) {
        return false;
      }
      seen.append(buffer, static_cast<std::size_t>(n));
    }
    return true;
  }

  // Until `text` is where the program writes: here, or in `outFile`.
  bool shows(const std::string& text, const std::string& outFile) {
    return watch(runTimeoutSeconds(), [&] {
      return (outFile.empty() ? seen : readFile(outFile)).find(text) !=
             std::string::npos;
    });
  }

  // How the run ended, told as runProgram tells it: timed out while it
  // still runs. A program that exits with 128 plus a signal's number has
  // not died of it: the shell that started it sees the difference.
  ProgramRun endingWithin(pid_t pid, int seconds) {
    ProgramRun ending;
    watch(seconds, [&] {
      int status = 0;
      ending.timedOut = waitpid(pid, &status, WNOHANG) != pid;
      if (!ending.timedOut) {
        ending.exitStatus = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
        ending.signal = WIFSIGNALED(status) ? WTERMSIG(status) : 0;
      }
      return !ending.timedOut;
    });
    return ending;
  }

  // What a program wrote just before it ended can still be on its way. A
  // mark written through the same terminal after the end arrives behind it,
  // so once the mark is in, so is everything else. Output a Ctrl-S left
  // stopped is restarted first, or the mark would never go: a stop and a
  // start, since a start alone only undoes a stop made the same way.
  void readRest() {
    tcflow(slave, TCOOFF);
    tcflow(slave, TCOON);
    const std::string mark = "<end of run>";
    ASSERT_EQ(write(slave, mark.data(), mark.size()),
              static_cast<ssize_t>(mark.size()));
    ASSERT_TRUE(shows(mark, "")) << seen;
    seen.erase(seen.rfind(mark), mark.size());
  }
};

// Whether the process sits idle for half a second, looked at every 20 ms: a
// program that waits is asleep each time, one that spins on "nothing yet"
// (reading, or polling without a wait) is running or ready to run, however
// little of the processor a busy machine gives it. A look or two may catch
// it finishing what it was doing.
bool idle(pid_t pid) {
  int running = 0;
  for (int look = 0; look < 25; ++look) {
    usleep(20000);
    std::ifstream file("/proc/" + std::to_string(pid) + "/stat");
    std::string stat;
    std::getline(file, stat);
    // The state follows the program's name, which is bracketed and may
    // hold blanks.
    const std::size_t name = stat.rfind(')');
    running += name != std::string::npos && stat.compare(name, 3, ") R") == 0;
  }
  return running <= 2;
}

const char* const WAIT_PROMPT = "Press any key to continue . . .";

// One run on a fresh pseudo-terminal, typed into once the first prompt shows
// and the program sits reading, then sent `key` or `signal` at the wait.
struct TerminalRun {
  const char* what = "";
  std::string typed;
  bool nonBlocking = false;    // as another program on the terminal may set it
  bool outputToFile = false;   // standard output redirected, input typed
  std::string shownLast;       // the text right before the wait's prompt
  std::string report;          // Results.txt once the wait begins; "" for none
  std::string key = "x";       // "" for none; an arrow key sends several bytes
  int signal = 0;              // the program must then end by that signal,
  bool signalIgnored = false;  // unless it was ignored from the start (nohup)
  int status = 0;              // the exit status, when no signal ends it
  // A background job (`cogmarrow-igt &`) that ignores SIGTTIN and SIGTTOU:
  // every read of the terminal fails, so the run ends at once, without
  // waiting, and what is typed is left for the foreground.
  bool background = false;
};

// The child's side: the terminal made its own, as a shell would hand it over.
void startOnTerminal(const TerminalRun& t, int slave, const ScratchDir& dir) {
  setsid();
  ioctl(slave, TIOCSCTTY, 0);
  if (t.nonBlocking) {
    fcntl(slave, F_SETFL, O_NONBLOCK);
  }
  if (t.signal != 0) {
    signal(t.signal, t.signalIgnored ? SIG_IGN : SIG_DFL);
  }
  if (t.background) {
    // The terminal goes to a process group that only sleeps, and ends with
    // the session.
    const pid_t foreground = fork();
    if (foreground == 0) {
      setpgid(0, 0);
      pause();
      _exit(0);
    }
    setpgid(foreground, foreground);
    tcsetpgrp(slave, foreground);
    signal(SIGTTIN, SIG_IGN);
    signal(SIGTTOU, SIG_IGN);
  }
  const rlimit noCore = {0, 0};  // SIGQUIT would leave a core file
  setrlimit(RLIMIT_CORE, &noCore);
  for (const int fd : {STDIN_FILENO, STDOUT_FILENO, STDERR_FILENO}) {
    dup2(slave, fd);
  }
  if (chdir(dir.path().c_str()) != 0 ||
      (t.outputToFile &&
       freopen(dir.file("out.txt").c_str(), "w", stdout) == nullptr)) {
    _exit(126);
  }
  const std::vector<std::string> command = programCommand();
  execl(command[0].c_str(), command[0].c_str(), nullptr);
  _exit(127);
}

void expectTerminalRun(const TerminalRun& t) {
  if (testingWindowsBuild() || testingWebBuild()) {
    GTEST_SKIP() << "the Windows build waits through the command processor, "
                    "the web edition on its page";
  }
  SCOPED_TRACE(t.what);
  ScratchDir dir;
  const std::string outFile = t.outputToFile ? dir.file("out.txt") : "";
  Terminal term;
  ASSERT_EQ(openpty(&term.master, &term.slave, nullptr, nullptr, nullptr), 0);
  termios before{};
  ASSERT_EQ(tcgetattr(term.slave, &before), 0);
  const pid_t pid = fork();
  if (pid == 0) {
    close(term.master);
    startOnTerminal(t, term.slave, dir);
  }

  ASSERT_TRUE(term.shows("Enter the IGT for ***Boot Camp Basics***", outFile))
      << term.seen;
  EXPECT_TRUE(idle(pid)) << "busy at a prompt";
  ASSERT_EQ(write(term.master, t.typed.data(), t.typed.size()),
            static_cast<ssize_t>(t.typed.size()));
  EXPECT_TRUE(term.shows(t.shownLast + WAIT_PROMPT, outFile)) << term.seen;
  // A background job ends by itself here: one that is ending (a sanitizer's
  // leak check at exit, say) runs, and is not busy waiting.
  if (!t.background) {
    EXPECT_TRUE(term.endingWithin(pid, 1).timedOut) << "did not wait for a key";
    EXPECT_TRUE(idle(pid)) << "busy at the wait";
  }
  // Every line was flushed before the wait.
  EXPECT_EQ(readFile(dir.file("Results.txt")), t.report);

  if (t.signal != 0) {
    ASSERT_EQ(kill(pid, t.signal), 0);
  }
  if (t.signalIgnored) {
    EXPECT_TRUE(term.endingWithin(pid, 1).timedOut)
        << "ended by a signal it was started to ignore";
  }
  ASSERT_EQ(write(term.master, t.key.data(), t.key.size()),
            static_cast<ssize_t>(t.key.size()));
  const ProgramRun ending = term.endingWithin(pid, runTimeoutSeconds());
  if (ending.timedOut) {
    kill(pid, SIGKILL);
    waitpid(pid, nullptr, 0);
  }
  const int signal = t.signalIgnored ? 0 : t.signal;
  EXPECT_FALSE(ending.timedOut);
  EXPECT_EQ(ending.signal, signal);
  EXPECT_EQ(ending.exitStatus, signal != 0 ? -1 : t.status);
  term.readRest();
  if (!t.key.empty()) {
    // The key is not shown, and the shell's prompt starts on a line of its
    // own.
    const std::string shown = t.outputToFile ? readFile(outFile) : term.seen;
    const std::string end =
        WAIT_PROMPT + std::string(outFile.empty() ? "\r\n" : "\n");
    EXPECT_EQ(shown.substr(shown.size() - std::min(shown.size(), end.size())),
              end);
  }
  // Nothing typed is left over for the shell, not even half a key.
  int leftOver = -1;
  ASSERT_EQ(ioctl(term.slave, FIONREAD, &leftOver), 0);
  EXPECT_EQ(leftOver, t.background ? static_cast<int>(t.typed.size()) : 0);
  termios after{};
  ASSERT_EQ(tcgetattr(term.slave, &after), 0);
  EXPECT_TRUE(sameSettings(before, after));
  close(term.master);
  close(term.slave);
}

// A whole run typed in, and a line more that must be thrown away, not taken
// as the key.
TerminalRun completeRun(const char* what, bool outputToFile = false) {
  const std::string newline = outputToFile ? "\n" : "\r\n";
  TerminalRun t;
  t.what = what;
  t.outputToFile = outputToFile;
  t.typed = entryLines(repeated("56", 42)) + "typed ahead\n";
  t.shownLast = "Your results have been saved to Results.txt" + newline +
                std::string(43, '*') + newline + newline;
  t.report =
      reportText(repeated("0:56", 42), "0 Hour(s), 39 Minute(s), 12 Second(s)");
  return t;
}

// A run whose input ends after `accepted` times: no report, status 1, and
// the reason shown last before the wait.
TerminalRun endedRun(const char* what, const std::string& typed,
                     unsigned accepted) {
  TerminalRun t;
  t.what = what;
  t.typed = typed;
  t.shownLast = inputEndedText(accepted, "\r\n");
  t.status = 1;
  return t;
}

}  // namespace

TEST(FinalWait, OneKeyEndsTheWaitOnATerminal) {
  TerminalRun runs[] = {
      completeRun("blocking terminal"),
      completeRun("non-blocking terminal"),
      completeRun("an arrow key"),
      completeRun("output to a file, keys from the terminal", true),
  };
  runs[1].nonBlocking = true;
  runs[2].key = "\x1b[A";
  for (const TerminalRun& t : runs) {
    expectTerminalRun(t);
  }
}

// Ctrl-S, pressed to save by habit, must not stop the output and hang the
// program's last newline; Ctrl-Q must not be swallowed either.
TEST(FinalWait, ControlKeysAreJustKeysAndTheTerminalIsRestored) {
  for (const char* key : {"\x03", "\x13", "\x11"}) {
    TerminalRun t = completeRun("a control key");
    t.key = key;
    expectTerminalRun(t);
  }
}

TEST(FinalWait, ASignalDuringTheWaitRestoresTheTerminal) {
  for (const int signal : {SIGINT, SIGQUIT, SIGTERM, SIGHUP}) {
    TerminalRun t = completeRun(strsignal(signal));
    t.signal = signal;
    t.key = "";
    expectTerminalRun(t);
  }
  // Started under nohup: a hang-up cannot end it, so the key still does.
  TerminalRun t = completeRun("a hang-up that was ignored from the start");
  t.signal = SIGHUP;
  t.signalIgnored = true;
  expectTerminalRun(t);
}

// Ctrl-D ends the run at once, but the window must stay open for the player
// to read why.
TEST(FinalWait, CtrlDOnATerminalEndsTheRunAndStillWaits) {
  for (const bool nonBlocking : {false, true}) {
    TerminalRun t =
        endedRun(nonBlocking ? "non-blocking terminal" : "blocking terminal",
                 entryLines(repeated("56", 6)) + "\x04", 6);
    t.nonBlocking = nonBlocking;
    expectTerminalRun(t);
  }
}

// Started in the background, the run cannot read the terminal. It must end
// by itself at once, not sit polling a terminal that is never its own.
TEST(FinalWait, ABackgroundJobEndsAtOnceWithoutSpinning) {
  TerminalRun t =
      endedRun("a background job with SIGTTIN and SIGTTOU ignored", "56\n", 0);
  t.background = true;
  t.key = "";
  expectTerminalRun(t);
}
