// The run driver: the whole dialogue of one run, from the banner through the
// 42 prompts and the report to the closing notice and the final wait.
#pragma once

#include <cstdint>

#include "catalogue/catalogue.h"

constexpr std::uint32_t MAX_ENTRY = 999;
// Held by a slot until its level has been read; any value above MAX_ENTRY
// counts as not yet entered.
constexpr std::uint32_t ENTRY_UNSET = 4294967295U;

// One accepted time entry per level, by level index.
extern std::uint32_t entries[LEVEL_COUNT];

// Reads standard input until `slot` holds an entry from 0 to MAX_ENTRY and
// returns true; returns false if the input ends first.
bool readEntry(std::uint32_t& slot);

// Runs the program once and returns its exit status.
int runIgtHelper();
