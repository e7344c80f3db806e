#include <cstdlib>

#include "run/run.h"

// The status leaves through exit rather than main's return: the web edition
// suspends the program while it waits for the player, and a main that has
// been suspended and resumed no longer hands its return value on.
int main() { std::exit(runIgtHelper()); }
