// The console's edges: a reader that goes away, an input that another
// program made non-blocking, and the final wait that keeps a console window
// open. Everything that differs between platforms is behind this header, one
// file per platform: console-posix.cc, console-win32.cc and console-web.cc
// (the web page).
#pragma once

// Called once, before the banner and before any input is read; makes
// standard input, standard output and the report file ready for the run.
// From then on, a write that cannot be made (an output that nobody reads
// any more, a file-size limit) fails like any other write instead of ending
// the program before the times are shown, and std::cin reads what the
// player enters, and waits for it: a read comes up empty only at the real
// end of the input. Each platform does only what it needs: on POSIX it
// turns off the signals that would end the program and reads the input
// through a wait for input that is not there yet, on Windows it reads a
// file or a pipe as the bytes it holds, and in the web page it hands
// std::cin the lines the player enters.
void prepareConsole();

// Called once Results.txt has been written and closed without an error,
// before the player is told so. Where the file is out of the player's reach
// (in a web page), this hands it over.
void offerSavedReport(const char* name);

// Waits for one key on the terminal after the run, so that a console window
// stays open until the player has read it.
void waitForKeyPress();
