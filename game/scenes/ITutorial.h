#pragma once

#include "engine/core/OskelTypes.h"
#include "engine/core/event/CEventReceiver.h"

namespace oskel {
class CXmlReader;
}  // namespace oskel

namespace brasquel {

// A tutorial that a scene hosts (the map, the shop, the play screen): a sequence of steps shown
// in a window over the host's scene, which listens to the player's input as an event receiver.
// The host makes it through IGameServices::createTutorial, holds one reference and, while it
// runs, passes its frame updates to update.
class ITutorial : public oskel::CEventReceiver {
public:
    // Reads the steps from the reader. The level receiver, when given, gets the tutorial's
    // requests to the level (pause, resume, questions about the buildings); none outside a level.
    // False when the tutorial cannot be shown (its window template is missing): the host then
    // drops it and goes on without.
    virtual bool load(oskel::CXmlReader* reader, oskel::CEventReceiver* levelReceiver) = 0;
    // Shows the first step and starts listening to input.
    virtual void start() = 0;
    // Ends the tutorial at once and removes its window and arrows.
    virtual void stop() = 0;
    // Runs the current step for the elapsed milliseconds; false once the tutorial has ended (the
    // host then drops it).
    virtual bool update(oskel::u32 elapsedMs) = 0;
};

}  // namespace brasquel
