// The run driver: the whole dialogue of one run, from the banner through the
// 42 prompts and the report to the closing notice and the final wait.
#pragma once

// Runs the program once and returns its exit status.
int runIgtHelper();
