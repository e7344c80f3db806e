#include "run/run.h"

int main() { return runIgtHelper(); }
