#pragma once

// A tutorial that records what its host asks of it, for the tests of the scenes that host one.

#include <string>
#include <vector>

#include "engine/io/CXmlReader.h"
#include "game/scenes/ITutorial.h"

namespace brasquel::test {

class RecordingTutorial : public ITutorial {
public:
    // The calls in order: "load", "start", "stop", "update <ms>".
    std::vector<std::string> calls;
    // What load answers, and after how many updates update answers false (-1: never).
    bool loads = true;
    int updatesUntilEnd = -1;
    oskel::CXmlReader* loadedFrom = nullptr;
    oskel::CEventReceiver* levelReceiver = nullptr;

    bool load(oskel::CXmlReader* reader, oskel::CEventReceiver* level) override {
        calls.push_back("load");
        loadedFrom = reader;
        levelReceiver = level;
        return loads;
    }
    void start() override { calls.push_back("start"); }
    void stop() override { calls.push_back("stop"); }
    bool update(oskel::u32 elapsedMs) override {
        calls.push_back("update " + std::to_string(elapsedMs));
        if (updatesUntilEnd < 0) return true;
        if (updatesUntilEnd > 0) --updatesUntilEnd;
        return updatesUntilEnd > 0;
    }
};

}  // namespace brasquel::test
