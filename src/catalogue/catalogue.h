// The level catalogue: the game's 42 levels in the order they are played.
// A row's number is the level index that orders the prompts, the table of
// entries and the lines of the report alike.
#pragma once

#include <string>

constexpr unsigned LEVEL_COUNT = 42;

extern const char* const LevelCatalogue[LEVEL_COUNT];

// The name of the level at `index`, as a fresh copy owned by the caller;
// empty for any index past the last level.
std::string levelName(unsigned index);
