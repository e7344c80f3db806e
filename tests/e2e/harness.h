// Runs the built program the way a player does: input piped in, in a fresh
// directory of its own, with its output, error text and exit status caught.
#pragma once

#include <string>
#include <utility>
#include <vector>

struct ProgramRun {
  int exitStatus = -1;    // -1 when the program did not exit normally
  int signal = 0;         // the signal that ended it, if one did
  bool timedOut = false;  // killed because it never finished
  std::string out;
  std::string err;
};

// A new empty directory that is removed, with everything in it, on scope exit.
class ScratchDir {
 public:
  ScratchDir();
  ~ScratchDir();
  ScratchDir(const ScratchDir&) = delete;
  ScratchDir& operator=(const ScratchDir&) = delete;
  std::string file(const std::string& name) const { return path_ + "/" + name; }
  const std::string& path() const { return path_; }

 private:
  std::string path_;
};

// The command that starts the program: the build's own executable, or the
// one that COGMARROW_IGT names, when set: a path, blanks and all. A Windows
// program (.exe) is started through Wine, the web edition's (.js) through
// Node.js.
std::vector<std::string> programCommand();

// True when the program under test is the Windows build.
bool testingWindowsBuild();

// True when the program under test is the web edition's, under Node.js.
bool testingWebBuild();

// How long a run may take before it counts as hung.
int runTimeoutSeconds();

// What a case changes for the program alone, set in the child between fork
// and exec, so that this process never runs under it. A `trickled` input
// comes late, a byte at a time, through a pipe that the program finds
// non-blocking, as some launchers leave it.
struct ChildSetup {
  bool trickled = false;
  std::vector<std::pair<std::string, std::string>> environment;
  unsigned long long fileSizeLimit = 0;  // bytes, as `ulimit -f`; 0 for none
  // Where standard output goes instead of back to the test: "closed", "gone"
  // (a pipe whose reader quit before the first line), or a file's path,
  // relative to the run's folder.
  std::string output;
};

ProgramRun runProgram(const std::string& input, const std::string& workDir,
                      const ChildSetup& setup = {});

std::string readFile(const std::string& path);
void writeFile(const std::string& path, const std::string& content);
bool pathExists(const std::string& path);
