#include "harness.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>

#ifndef COGMARROW_IGT_PATH
#error "COGMARROW_IGT_PATH must name the program under test"
#endif

ScratchDir::ScratchDir() {
  const char* tmp = std::getenv("TMPDIR");
  std::string pattern =
      std::string(tmp != nullptr ? tmp : "/tmp") + "/cogmarrow-test-XXXXXX";
  std::vector<char> buffer(pattern.begin(), pattern.end());
  buffer.push_back('\0');
  if (mkdtemp(buffer.data()) == nullptr) {
    throw std::runtime_error("cannot make a scratch directory");
  }
  path_ = buffer.data();
}

ScratchDir::~ScratchDir() {
  std::error_code ignored;
  std::filesystem::remove_all(path_, ignored);
}

namespace {

std::string programPath() {
  const char* path = std::getenv("COGMARROW_IGT");
  return path != nullptr && *path != '\0' ? path : COGMARROW_IGT_PATH;
}

bool programEndsWith(const std::string& suffix) {
  const std::string program = programPath();
  return program.size() > suffix.size() &&
         program.compare(program.size() - suffix.size(), suffix.size(),
                         suffix) == 0;
}

}  // namespace

std::vector<std::string> programCommand() {
  if (programEndsWith(".exe")) {
    return {"wine", programPath()};
  }
  if (programEndsWith(".js")) {
    return {"node", programPath()};
  }
  return {programPath()};
}

bool testingWindowsBuild() { return programEndsWith(".exe"); }

bool testingWebBuild() { return programEndsWith(".js"); }

int runTimeoutSeconds() {
  const char* seconds = std::getenv("COGMARROW_TEST_TIMEOUT");
  return seconds != nullptr ? std::atoi(seconds) : 20;
}

namespace {

// A program built for coverage writes its counters as it exits, and says so
// on standard error when it cannot (under a file-size limit, say). Those
// lines are the build's, not the program's, whatever the build.
std::string withoutCoverageNotes(const std::string& err) {
  const std::string note = "libgcov profiling error:";
  std::string kept;
  for (std::size_t start = 0; start < err.size();) {
    std::size_t end = err.find('\n', start);
    end = end == std::string::npos ? err.size() : end + 1;
    if (err.compare(start, note.size(), note) != 0) {
      kept.append(err, start, end - start);
    }
    start = end;
  }
  return kept;
}

// Every program started from here, directly or through a shell, must meet
// signals as a player's shell hands them over: each at its default action,
// none blocked. An ignored signal stays ignored across exec, a caught one
// does not; so this process ignores none, whatever it was started with,
// and catches the broken pipe of a program that stopped reading, which
// then costs a write no more than EPIPE.
extern "C" void brokenPipe(int /*signal*/) {}

const bool signalsAsAPlayerHasThem = [] {
  for (int number = 1; number < NSIG; ++number) {
    struct sigaction action{};
    if (sigaction(number, nullptr, &action) == 0 &&
        action.sa_handler == SIG_IGN) {
      signal(number, SIG_DFL);
    }
  }
  sigset_t none;
  sigemptyset(&none);
  sigprocmask(SIG_SETMASK, &none, nullptr);
  signal(SIGPIPE, brokenPipe);
  return true;
}();

// The harness's own set-up, checked in each child before the program starts,
// since a fault there would hide the very faults the tests exist to catch:
// no signal ignored, and input non-blocking exactly when the case asks.
bool childAsAsked(bool nonBlocking) {
  std::ifstream status("/proc/self/status");
  for (std::string line; std::getline(status, line);) {
    if (line.rfind("SigIgn:", 0) == 0 &&
        line.find_first_not_of("0\t", 7) != std::string::npos) {
      dprintf(STDERR_FILENO, "harness: the program would start with %s\n",
              line.c_str());
      return false;
    }
  }
  if (((fcntl(STDIN_FILENO, F_GETFL) & O_NONBLOCK) != 0) != nonBlocking) {
    dprintf(STDERR_FILENO, "harness: standard input is not %s as asked\n",
            nonBlocking ? "non-blocking" : "blocking");
    return false;
  }
  return true;
}

void closeFd(int& fd) {
  if (fd >= 0) {
    close(fd);
    fd = -1;
  }
}

}  // namespace

// The input is fed while the output is drained, all in one poll loop, so
// that a program which writes a lot before it reads cannot deadlock the test.
ProgramRun runProgram(const std::string& input, const std::string& workDir,
                      const ChildSetup& setup) {
  const bool trickled = setup.trickled;
  int in[2];
  int out[2];
  int err[2];
  if (pipe(in) != 0 || pipe(out) != 0 || pipe(err) != 0) {
    throw std::runtime_error("pipe failed");
  }
  const std::vector<std::string> command = programCommand();
  const pid_t pid = fork();
  if (pid == 0) {
    dup2(in[0], STDIN_FILENO);
    dup2(out[1], STDOUT_FILENO);
    dup2(err[1], STDERR_FILENO);
    for (int fd : {in[0], in[1], out[0], out[1], err[0], err[1]}) {
      close(fd);
    }
    if (trickled) {
      fcntl(STDIN_FILENO, F_SETFL, fcntl(STDIN_FILENO, F_GETFL) | O_NONBLOCK);
    }
    for (const auto& [name, value] : setup.environment) {
      setenv(name.c_str(), value.c_str(), 1);
    }
    rlimit fileSize{};
    getrlimit(RLIMIT_FSIZE, &fileSize);
    fileSize.rlim_cur = setup.fileSizeLimit;
    if (setup.fileSizeLimit != 0 && setrlimit(RLIMIT_FSIZE, &fileSize) != 0) {
      _exit(124);
    }
    if (!childAsAsked(trickled)) {
      _exit(125);
    }
    if (chdir(workDir.c_str()) != 0) {
      _exit(126);
    }
    std::vector<char*> argv;
    argv.reserve(command.size() + 1);
    for (const std::string& word : command) {
      argv.push_back(const_cast<char*>(word.c_str()));
    }
    argv.push_back(nullptr);
    execvp(argv[0], argv.data());
    _exit(127);
  }
  close(in[0]);
  close(out[1]);
  close(err[1]);
  fcntl(in[1], F_SETFL, O_NONBLOCK);

  ProgramRun run;
  std::size_t written = 0;
  int toChild = in[1];
  int fromOut = out[0];
  int fromErr = err[0];
  if (input.empty()) {
    closeFd(toChild);
  }
  const auto deadline = std::chrono::steady_clock::now() +
                        std::chrono::seconds(runTimeoutSeconds());
  // A trickled byte goes a millisecond after the one before, so that the
  // program has read what there was and finds nothing more yet.
  auto nextByte =
      std::chrono::steady_clock::now() + std::chrono::milliseconds(50);
  int status = 0;
  bool exited = false;
  while (fromOut >= 0 || fromErr >= 0) {
    const auto now = std::chrono::steady_clock::now();
    const auto left =
        std::chrono::duration_cast<std::chrono::milliseconds>(deadline - now);
    if (left.count() <= 0) {
      run.timedOut = true;
      kill(pid, SIGKILL);
      break;
    }
    const bool due = !trickled || now >= nextByte;
    pollfd fds[3] = {{due ? toChild : -1, POLLOUT, 0},
                     {fromOut, POLLIN, 0},
                     {fromErr, POLLIN, 0}};
    // Short polls, so that an exit is noticed even while a helper process
    // the program started (Wine's server, say) still holds the pipes open.
    const int wait =
        static_cast<int>(std::min<long long>(left.count(), trickled ? 1 : 100));
    if (poll(fds, 3, wait) < 0 && errno != EINTR) {
      break;
    }
    if (fds[0].fd >= 0 && (fds[0].revents & (POLLOUT | POLLERR)) != 0) {
      const ssize_t n = write(toChild, input.data() + written,
                              trickled ? 1 : input.size() - written);
      nextByte = now + std::chrono::milliseconds(1);
      if (n > 0) {
        written += static_cast<std::size_t>(n);
      }
      if ((n < 0 && errno != EAGAIN) || written == input.size()) {
        closeFd(toChild);
      }
    }
    const std::pair<int*, std::string*> readers[] = {{&fromOut, &run.out},
                                                     {&fromErr, &run.err}};
    for (int i = 0; i < 2; ++i) {
      if ((fds[i + 1].revents & (POLLIN | POLLHUP | POLLERR)) == 0) {
        continue;
      }
      char buffer[4096];
      const ssize_t n = read(*readers[i].first, buffer, sizeof buffer);
      if (n > 0) {
        readers[i].second->append(buffer, static_cast<std::size_t>(n));
      } else if (n == 0 || errno != EINTR) {
        closeFd(*readers[i].first);
      }
    }
    if (waitpid(pid, &status, WNOHANG) == pid) {
      exited = true;
      break;
    }
  }
  // Whatever the program wrote before it exited is in the pipes by now.
  // Draining without blocking keeps a helper it left behind from stalling us.
  const std::pair<int, std::string*> drains[] = {{fromOut, &run.out},
                                                 {fromErr, &run.err}};
  for (const auto& reader : drains) {
    if (reader.first < 0) {
      continue;
    }
    fcntl(reader.first, F_SETFL, O_NONBLOCK);
    char buffer[4096];
    ssize_t n = 0;
    while ((n = read(reader.first, buffer, sizeof buffer)) > 0) {
      reader.second->append(buffer, static_cast<std::size_t>(n));
    }
  }
  closeFd(toChild);
  closeFd(fromOut);
  closeFd(fromErr);

  // A program that closed its outputs may still be running: it gets what is
  // left of the same deadline, and is killed as hung after that.
  while (!exited && waitpid(pid, &status, WNOHANG) != pid) {
    if (std::chrono::steady_clock::now() >= deadline) {
      run.timedOut = true;
      kill(pid, SIGKILL);
      waitpid(pid, &status, 0);
      break;
    }
    usleep(10000);
  }
  if (!run.timedOut && WIFEXITED(status)) {
    run.exitStatus = WEXITSTATUS(status);
  }
  if (!run.timedOut && WIFSIGNALED(status)) {
    run.signal = WTERMSIG(status);
  }
  run.err = withoutCoverageNotes(run.err);
  return run;
}

std::string readFile(const std::string& path) {
  std::ifstream file(path, std::ios::binary);
  std::ostringstream content;
  content << file.rdbuf();
  return content.str();
}

void writeFile(const std::string& path, const std::string& content) {
  std::ofstream file(path, std::ios::binary);
  file << content;
}

bool pathExists(const std::string& path) {
  struct stat info{};
  return lstat(path.c_str(), &info) == 0;
}
