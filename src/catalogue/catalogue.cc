#include "catalogue/catalogue.h"

const char* const LevelCatalogue[LEVEL_COUNT] = {
    "Boot Camp Basics",
    "Rust Or Bust",
    "Plug The Vents",
    "Tidy Sweep",
    "Dustbowl Rumble",
    "Still Ticking",
    "Dustbowl Trek",
    "Tick, Tock",
    "The Scrapyard Baron",
    "Down The Shafts",
    "Sneak Past The Barracks",
    "Topple Radio Masts",
    "Stand Fast",
    "Which Blueprint?",
    "Looking For Sprocket",
    "Wh&!? Just Happened",
    "Same Old Routine",
    "Dustbowl Pursuit",
    "Cinderton",
    "Me, Machine",
    "The Boiler Room",
    "Light The Furnace",
    "Sparks Will Fly",
    "Locate The Forge",
    "Loose Wires",
    "Enter The Vault",
    "Past Its Prime",
    "The Tinker's Den",
    "Quiet Meeting",
    "Neon Nights, Copper Town",
    "Climb The Spire",
    "No Place Like It",
    "90 Seconds",
    "Second Helping",
    "Only One Left",
    "Coming Apart",
    "Dash To The Airship",
    "First Footprint",
    "All Systems Go",
    "Knock It Over",
    "Commander Rustmaw",
    "Last Stand",
};

std::string levelName(unsigned index) {
  std::string name;
  if (index <= LEVEL_COUNT - 1) {
    name = LevelCatalogue[index];
  }
  return name;
}
