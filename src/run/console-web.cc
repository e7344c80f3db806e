#include "run/console.h"

#include <iostream>
#include <streambuf>

// The page's side, in console-web.js. The calls that wait (for a line, for a
// key) suspend the program and let the browser run until the player acts.
extern "C" {
int webReadInput(char* buffer, int size);
int webHasKeyboard();
void webWaitForKey();
void webOfferReport(const char* name);
}

namespace {

// Standard input, as the page hands it over: the lines the player entered,
// each with its newline, as many as are there. A read never comes up empty
// while the page is open, because webReadInput waits for the next line.
class EnteredLines : public std::streambuf {
 protected:
  int_type underflow() override {
    const int count = webReadInput(buffer_, static_cast<int>(sizeof buffer_));
    if (count <= 0) {
      return traits_type::eof();
    }
    setg(buffer_, buffer_, buffer_ + count);
    return traits_type::to_int_type(*gptr());
  }

 private:
  char buffer_[4096] = {};
};

EnteredLines enteredLines;

}  // namespace

// Output needs nothing: the page shows every byte written to standard
// output and standard error as it comes.
void prepareConsole() { std::cin.rdbuf(&enteredLines); }

// A player's browser keeps a page's files to itself, so the report is handed
// to the player as a download.
void offerSavedReport(const char* name) { webOfferReport(name); }

// As on a terminal: one key, not shown, and a newline after it.
void waitForKeyPress() {
  if (webHasKeyboard() == 0) {
    return;
  }
  std::cout << "Press any key to continue . . ." << std::flush;
  webWaitForKey();
  std::cout << std::endl;
}
