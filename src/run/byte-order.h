// Times files as editors and shells on Windows save them: a byte-order mark
// at the very start of standard input says how the rest is encoded, and the
// read loop then sees the same bytes as for the same times in plain UTF-8.
#pragma once

// Called when the first time is read, never earlier: peeking at the input
// before the first prompt would hold the banner back until the player typed.
// A UTF-8 mark is skipped; after a UTF-16 mark, std::cin reads the rest of
// the input as UTF-8.
void readByteOrderMark();
