// The final wait, which keeps a console window open until the player has
// read it. Everything that differs between Windows and other systems lives
// behind this one function.
#pragma once

void waitForKeyPress();
