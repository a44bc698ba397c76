#pragma once

#include "engine/scene/CNodeFactory.h"

namespace brasquel {

// One game node class as the node factory learns it: its class name (the name scene files use),
// its node type id, the ids its kind test answers true for (ended by -1), and its creator. A
// class whose code is not part of the game yet has no creator: its row keeps its place and is
// skipped until the class exists.
struct SGameNodeClass {
    static constexpr oskel::u32 MaxKinds = 7;
    const wchar_t* name;
    oskel::s32 typeId;
    oskel::s32 kindOf[MaxKinds];
    oskel::CNodeFactory::NodeCreator creator;
};

// The classes the application registers before it makes the device: the ones the first two
// scenes need.
const SGameNodeClass* getApplicationNodeClasses(oskel::u32& count);
// The classes the preloader's first step registers: the program's list of game node classes.
const SGameNodeClass* getPreloaderNodeClasses(oskel::u32& count);

// Registers the rows that have a creator, in order (a name registered before keeps its first
// creator); the number of rows registered.
oskel::u32 registerGameNodeClasses(oskel::CNodeFactory& factory, const SGameNodeClass* rows,
                                   oskel::u32 count);

}  // namespace brasquel
