#include "harness.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

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

// Every program started from here, directly or through a shell, must meet
// signals as a player's shell hands them over: each at its default action,
// none blocked. An ignored signal stays ignored across exec, so this process
// ignores none, whatever it was started with (nohup, say).
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
  return true;
}();

// The input comes through a pipe, as from `cat times.txt |`, written by a
// child of its own, so that the program can write any amount before it
// reads. A trickled input comes late, a byte a millisecond, after a pause
// long enough for the program to have read, found nothing yet, and gone on
// waiting.
pid_t feed(const std::string& input, bool trickled, int into) {
  const pid_t pid = fork();
  if (pid == 0) {
    usleep(trickled ? 50000 : 0);
    for (std::size_t at = 0; at < input.size();) {
      const ssize_t n =
          write(into, input.data() + at, trickled ? 1 : input.size() - at);
      if (n <= 0) {
        _exit(1);
      }
      at += static_cast<std::size_t>(n);
      usleep(trickled ? 1000 : 0);
    }
    _exit(0);
  }
  return pid;
}

}  // namespace

// The outputs are pipes roomy enough for anything the program has cause to
// write, read once it has exited: not files, which a file-size limit set
// for the program would cut short, and never read to their end, which a
// helper the program left behind (Wine's server, say) may keep from coming.
ProgramRun runProgram(const std::string& input, const std::string& workDir,
                      const ChildSetup& setup) {
  int fds[6];  // in, out and err: read end, write end
  if (pipe(fds) != 0 || pipe(fds + 2) != 0 || pipe(fds + 4) != 0) {
    throw std::runtime_error("pipe failed");
  }
  for (const int end : {fds[2], fds[4]}) {
    fcntl(end, F_SETPIPE_SZ, 1 << 20);
    fcntl(end, F_SETFL, O_NONBLOCK);
  }
  const std::vector<std::string> command = programCommand();
  const pid_t pid = fork();
  if (pid == 0) {
    if (dup2(fds[0], STDIN_FILENO) < 0 || dup2(fds[3], STDOUT_FILENO) < 0 ||
        dup2(fds[5], STDERR_FILENO) < 0 || chdir(workDir.c_str()) != 0) {
      _exit(126);
    }
    for (const int fd : fds) {
      close(fd);
    }
    if (setup.trickled) {
      fcntl(STDIN_FILENO, F_SETFL, O_NONBLOCK);
    }
    int gone[2];
    if (setup.output == "closed") {
      close(STDOUT_FILENO);
    } else if (setup.output == "gone" && pipe(gone) == 0) {
      close(gone[0]);
      dup2(gone[1], STDOUT_FILENO);
    } else if (!setup.output.empty() &&
               freopen(setup.output.c_str(), "w", stdout) == nullptr) {
      _exit(125);
    }
    for (const auto& [name, value] : setup.environment) {
      setenv(name.c_str(), value.c_str(), 1);
    }
    const rlimit fileSize = {setup.fileSizeLimit, setup.fileSizeLimit};
    if (setup.fileSizeLimit != 0 && setrlimit(RLIMIT_FSIZE, &fileSize) != 0) {
      _exit(124);
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
  const pid_t writer = feed(input, setup.trickled, fds[1]);
  for (const int end : {fds[0], fds[1], fds[3], fds[5]}) {
    close(end);
  }

  ProgramRun run;
  const auto deadline = std::chrono::steady_clock::now() +
                        std::chrono::seconds(runTimeoutSeconds());
  int status = 0;
  while (waitpid(pid, &status, WNOHANG) != pid) {
    if (std::chrono::steady_clock::now() >= deadline) {
      run.timedOut = true;
      kill(pid, SIGKILL);
      waitpid(pid, &status, 0);
      break;
    }
    usleep(1000);
  }
  kill(writer, SIGKILL);
  waitpid(writer, nullptr, 0);
  if (!run.timedOut && WIFEXITED(status)) {
    run.exitStatus = WEXITSTATUS(status);
  }
  if (!run.timedOut && WIFSIGNALED(status)) {
    run.signal = WTERMSIG(status);
  }
  for (const auto& [fd, text] :
       {std::pair{fds[2], &run.out}, {fds[4], &run.err}}) {
    char buffer[4096];
    for (ssize_t n = 0; (n = read(fd, buffer, sizeof buffer)) > 0;) {
      text->append(buffer, static_cast<std::size_t>(n));
    }
    close(fd);
  }
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
