// For .ci/wine-console: what the console of a running Windows program holds,
// read from outside by attaching to it.
//
//   wine console-peek.exe keys PROGRAM.exe    how many input events (key
//                                             presses and releases) wait
//   wine console-peek.exe screen PROGRAM.exe  the text on its screen, a
//                                             line a row
//
// Exits with 1 when the program or its console cannot be reached.
#include <windows.h>
// After windows.h, which it needs.
#include <tlhelp32.h>

#include <cstdio>
#include <cstring>
#include <string>

namespace {

DWORD processId(const char* exeName) {
  DWORD found = 0;
  HANDLE all = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
  PROCESSENTRY32 entry{};
  entry.dwSize = sizeof entry;
  for (BOOL more = Process32First(all, &entry); more != FALSE;
       more = Process32Next(all, &entry)) {
    if (_stricmp(entry.szExeFile, exeName) == 0) {
      found = entry.th32ProcessID;
    }
  }
  CloseHandle(all);
  return found;
}

HANDLE openConsole(const char* name) {
  return CreateFileA(name, GENERIC_READ | GENERIC_WRITE,
                     FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                     0, nullptr);
}

bool printKeys(std::FILE* out) {
  DWORD events = 0;
  if (GetNumberOfConsoleInputEvents(openConsole("CONIN$"), &events) == FALSE) {
    return false;
  }
  std::fprintf(out, "%lu\n", events);
  return true;
}

bool printScreen(std::FILE* out) {
  HANDLE screen = openConsole("CONOUT$");
  CONSOLE_SCREEN_BUFFER_INFO info{};
  if (GetConsoleScreenBufferInfo(screen, &info) == FALSE) {
    return false;
  }
  for (SHORT y = 0; y < info.dwSize.Y; ++y) {
    std::string row(static_cast<std::size_t>(info.dwSize.X), ' ');
    DWORD read = 0;
    if (ReadConsoleOutputCharacterA(screen, &row[0],
                                    static_cast<DWORD>(info.dwSize.X), {0, y},
                                    &read) == FALSE) {
      return false;
    }
    row.resize(read);
    row.erase(row.find_last_not_of(' ') + 1);
    std::fprintf(out, "%s\n", row.c_str());
  }
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: console-peek keys|screen PROGRAM.exe\n");
    return 1;
  }
  const DWORD program = processId(argv[2]);
  // What is found goes where standard output was before the program's
  // console takes the place of ours.
  std::FILE* out = stdout;
  std::FILE* err = stderr;
  FreeConsole();
  const bool keys = std::strcmp(argv[1], "keys") == 0;
  const char* failed = nullptr;
  if (program == 0) {
    failed = "no such program is running";
  } else if (AttachConsole(program) == FALSE) {
    failed = "cannot attach to its console";
  } else if (!(keys ? printKeys(out) : printScreen(out))) {
    failed = "cannot read its console";
  }
  if (failed != nullptr) {
    std::fprintf(err, "console-peek %s %s: %s (error %lu)\n", argv[1], argv[2],
                 failed, GetLastError());
    return 1;
  }
  return 0;
}
