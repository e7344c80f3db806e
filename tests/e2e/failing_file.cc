// Preloaded into the program to make Results.txt fail the way real storage
// does after a good open: a full disk refuses a write part-way through the
// report, and a network share over quota takes every write, then fails the
// close. FAIL_RESULTS_AT says which: "write" or "close".
#include <dlfcn.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

bool failsAt(const char* call, int fd) {
  const char* at = std::getenv("FAIL_RESULTS_AT");
  if (at == nullptr || std::strcmp(at, call) != 0) {
    return false;
  }
  char target[4096];
  const std::string link = "/proc/self/fd/" + std::to_string(fd);
  const ssize_t n = readlink(link.c_str(), target, sizeof target - 1);
  const std::string name = "/Results.txt";
  return n >= static_cast<ssize_t>(name.size()) &&
         std::string(target, static_cast<std::size_t>(n))
                 .substr(static_cast<std::size_t>(n) - name.size()) == name;
}

template <typename Function>
Function* next(const char* name) {
  return reinterpret_cast<Function*>(dlsym(RTLD_NEXT, name));
}

}  // namespace

// The first write (the heading's first line) gets through, the rest do not.
// NOLINTNEXTLINE(readability-inconsistent-declaration-parameter-name)
extern "C" ssize_t write(int fd, const void* data, size_t size) {
  static int resultsWrites = 0;
  if (failsAt("write", fd) && ++resultsWrites > 1) {
    errno = ENOSPC;
    return -1;
  }
  return next<ssize_t(int, const void*, size_t)>("write")(fd, data, size);
}

// NOLINTNEXTLINE(readability-inconsistent-declaration-parameter-name)
extern "C" int fclose(FILE* file) {
  const bool fails = failsAt("close", fileno(file));
  const int status = next<int(FILE*)>("fclose")(file);
  if (fails && status == 0) {
    errno = EDQUOT;
    return EOF;
  }
  return status;
}
