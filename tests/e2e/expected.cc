#include "expected.h"

#include "harness.h"

const std::string& nl() {
  static const std::string lineEnd = testingWindowsBuild() ? "\r\n" : "\n";
  return lineEnd;
}

// The levels in the order they are played, several to a row.
// clang-format off
const char* const EXPECTED_LEVEL_NAMES[42] = {
    "Boot Camp Basics", "Rust Or Bust", "Plug The Vents", "Tidy Sweep",
    "Dustbowl Rumble", "Still Ticking", "Dustbowl Trek", "Tick, Tock",
    "The Scrapyard Baron", "Down The Shafts", "Sneak Past The Barracks",
    "Topple Radio Masts", "Stand Fast", "Which Blueprint?",
    "Looking For Sprocket", "Wh&!? Just Happened", "Same Old Routine",
    "Dustbowl Pursuit", "Cinderton", "Me, Machine", "The Boiler Room",
    "Light The Furnace", "Sparks Will Fly", "Locate The Forge", "Loose Wires",
    "Enter The Vault", "Past Its Prime", "The Tinker's Den", "Quiet Meeting",
    "Neon Nights, Copper Town", "Climb The Spire", "No Place Like It",
    "90 Seconds", "Second Helping", "Only One Left", "Coming Apart",
    "Dash To The Airship", "First Footprint", "All Systems Go", "Knock It Over",
    "Commander Rustmaw", "Last Stand",
};
// clang-format on

std::string bannerText() {
  const std::string stars52(52, '*');
  return stars52 + nl() + "Cogmarrow - IGT Helper (v" COGMARROW_VERSION ")" +
         nl() + stars52 + nl() + nl() +
         "Enter your times as 1-3 digits only (no colons)" + nl() +
         "Example: 56 = 0:56 or 923 = 9:23" + nl() +
         "You may enter an assigned split key after you enter each "
         "individual time as well" +
         nl() + nl();
}

std::string promptText(unsigned index) {
  return nl() + "Enter the IGT for ***" + EXPECTED_LEVEL_NAMES[index] +
         "*** then press Enter" + nl() + nl();
}

std::string promptsText(unsigned count) {
  std::string text;
  for (unsigned i = 0; i < count; ++i) {
    text += promptText(i);
  }
  return text;
}

std::string closingNoticeText() {
  const std::string stars43(43, '*');
  return stars43 + nl() + "Your results have been saved to Results.txt" + nl() +
         stars43 + nl() + nl();
}

std::string inputEndedText(unsigned accepted, const std::string& lineEnd) {
  return "Input ended after " + std::to_string(accepted) +
         " of 42 level times; Results.txt was not written." + lineEnd;
}

std::string reportText(const std::vector<std::string>& times,
                       const std::string& totalLine) {
  const std::string stars27(27, '*');
  const std::string stars19(19, '*');
  std::string text = nl() + stars27 + nl() + " R   E   S   U   L   T   S" +
                     nl() + stars27 + nl() + nl();
  for (unsigned i = 0; i < 42; ++i) {
    text += std::string(EXPECTED_LEVEL_NAMES[i]) + ": " + times.at(i) + nl();
  }
  text += nl() + stars19 + nl() + "TOTAL IN GAME TIME " + nl() + stars19 +
          nl() + nl() + totalLine + nl() + nl() + nl();
  return text;
}

std::vector<std::string> repeated(const std::string& value, unsigned count) {
  return std::vector<std::string>(count, value);
}

std::string entryLines(const std::vector<std::string>& entries) {
  std::string input;
  for (const std::string& entry : entries) {
    input += entry + "\n";
  }
  return input;
}
