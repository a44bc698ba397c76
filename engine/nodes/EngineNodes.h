#pragma once

namespace oskel {

class CNodeFactory;

// Hands the factory the creators of the user-interface node classes, in the order of the
// engine's class list. The device calls it when it composes its services, before the game
// registers classes of its own, so that no game class can take an engine class's name. Installs
// the message box class as the scene managers' default message box creator.
void registerEngineNodes(CNodeFactory& factory);

}  // namespace oskel
