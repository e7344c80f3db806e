// The final wait on a real terminal: the program is started on a fresh
// pseudo-terminal, answers all 42 prompts, and must then sit at its prompt
// until a key arrives, leaving the terminal exactly as it found it.
#include <gtest/gtest.h>
#include <poll.h>
#include <pty.h>
#include <signal.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

#include <chrono>
#include <cstring>
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

// Appends what the terminal shows within `ms` milliseconds; false once the
// terminal has closed.
bool readAvailable(int master, std::string& seen, int ms) {
  pollfd fd = {master, POLLIN, 0};
  if (poll(&fd, 1, ms) <= 0) {
    return true;
  }
  char buffer[1024];
  const ssize_t n = read(master, buffer, sizeof buffer);
  if (n <= 0) {
    return false;
  }
  seen.append(buffer, static_cast<std::size_t>(n));
  return true;
}

// Reads from the terminal until `text` has appeared or time is up.
bool readUntil(int master, std::string& seen, const std::string& text) {
  const auto deadline =
      std::chrono::steady_clock::now() + std::chrono::seconds(10);
  while (seen.find(text) == std::string::npos) {
    if (std::chrono::steady_clock::now() > deadline ||
        !readAvailable(master, seen, 100)) {
      return false;
    }
  }
  return true;
}

// Waits for the child's exit, for at most a few seconds, draining the
// terminal meanwhile; -1 if it is still running or ended abnormally.
int exitStatusWithin(pid_t pid, int seconds, int master) {
  const auto deadline =
      std::chrono::steady_clock::now() + std::chrono::seconds(seconds);
  std::string ignored;
  while (std::chrono::steady_clock::now() < deadline) {
    int status = 0;
    if (waitpid(pid, &status, WNOHANG) == pid) {
      return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }
    readAvailable(master, ignored, 50);
  }
  return -1;
}

void expectWaitEndsOnKey(char key) {
  if (testingWindowsBuild()) {
    GTEST_SKIP() << "the Windows build waits through the command processor";
  }
  ScratchDir dir;
  int master = -1;
  int slave = -1;
  ASSERT_EQ(openpty(&master, &slave, nullptr, nullptr, nullptr), 0);
  termios before{};
  ASSERT_EQ(tcgetattr(slave, &before), 0);

  const std::vector<std::string> command = programCommand();
  const pid_t pid = fork();
  if (pid == 0) {
    setsid();
    ioctl(slave, TIOCSCTTY, 0);
    dup2(slave, STDIN_FILENO);
    dup2(slave, STDOUT_FILENO);
    dup2(slave, STDERR_FILENO);
    close(master);
    close(slave);
    if (chdir(dir.path().c_str()) != 0) {
      _exit(126);
    }
    execl(command[0].c_str(), command[0].c_str(), nullptr);
    _exit(127);
  }

  std::string typed = entryLines(repeated("56", 42));
  typed += "typed ahead\n";  // must be thrown away, not taken as the key
  ASSERT_EQ(write(master, typed.data(), typed.size()),
            static_cast<ssize_t>(typed.size()));

  std::string seen;
  const bool prompted =
      readUntil(master, seen, "Press any key to continue . . .");
  EXPECT_TRUE(prompted) << seen;
  EXPECT_EQ(exitStatusWithin(pid, 1, master), -1) << "did not wait for a key";

  ASSERT_EQ(write(master, &key, 1), 1);
  const int status = exitStatusWithin(pid, 5, master);
  if (status == -1) {
    kill(pid, SIGKILL);
    waitpid(pid, nullptr, 0);
  }
  EXPECT_EQ(status, 0);

  termios after{};
  ASSERT_EQ(tcgetattr(slave, &after), 0);
  EXPECT_TRUE(sameSettings(before, after));
  close(master);
  close(slave);
}

}  // namespace

TEST(FinalWait, OneKeyEndsTheWaitOnATerminal) { expectWaitEndsOnKey('x'); }

TEST(FinalWait, CtrlCIsJustAKeyAndTheTerminalIsRestored) {
  expectWaitEndsOnKey('\x03');
}

TEST(FinalWait, NoWaitAndNoPromptWhenInputIsNotATerminal) {
  ScratchDir dir;
  const ProgramRun run = runProgram(entryLines(repeated("1", 42)), dir.path());
  ASSERT_FALSE(run.timedOut);
  EXPECT_EQ(run.exitStatus, 0);
  if (!testingWindowsBuild()) {
    EXPECT_EQ(run.out.find("Press any key"), std::string::npos);
  }
}
