#pragma once

#include <string>
#include <vector>

#include "tests/game/autoplay/Walk.h"

namespace oskel {
class IDevice;
}

namespace brasquel::autoplay {

// Writes the profile file a walk's header describes, through the engine's profile manager, into
// the user data folder of the device's file system (with the game's publisher and title), as
// the game would have saved it. The players are then forgotten in memory: the game reads them
// back from the file at its start. False, with the reason, when a value cannot be read or the
// file cannot be written.
bool writeWalkProfiles(const SWalkProfile& profile, oskel::IDevice* device, std::string& error);

// The names of the game's upgrades, read from the upgrades table in the assets folder of the
// working folder through the device's file system, in the order of their names: every one, or
// those a location requires (an ObligatoryLevel of 1 or more). False, with the reason, when the
// table cannot be read.
bool readUpgradeNames(oskel::IDevice* device, bool all, std::vector<std::string>& names,
                      std::string& error);

}  // namespace brasquel::autoplay
