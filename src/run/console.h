// The console's edges: a reader that goes away, a terminal that another
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
// player enters. Each platform does only what it needs: on POSIX it turns
// off the signals that would end the program, on Windows there is nothing
// to do, and in the web page it hands std::cin the lines the player enters.
void prepareConsole();

// Called when reading standard input came up empty. True once input can be
// read again, when the read failed only because none was ready yet (on a
// terminal that another program set non-blocking); false at a real end of
// input or a real error.
bool waitForMoreInput();

// Called once Results.txt has been written and closed without an error,
// before the player is told so. Where the file is out of the player's reach
// (in a web page), this hands it over.
void offerSavedReport(const char* name);

// Waits for one key on the terminal after the run, so that a console window
// stays open until the player has read it.
void waitForKeyPress();
