// Fuzz target of the level configuration reader: arbitrary bytes as a "LevelConfiguration.xml".
// Reading must never crash, overrun or hang; the requests it read then run on a scheduler.
#include <cstddef>
#include <cstdint>
#include <string>

#include "engine/core/CLogger.h"
#include "engine/core/CRandom.h"
#include "engine/core/CTimerScheduler.h"
#include "game/level/GLevelConfiguration.h"
#include "game/level/GLevelObjective.h"
#include "game/level/GRandomEventRequest.h"
#include "tests/io/XmlTestUtils.h"

using namespace oskel;
using namespace brasquel;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const bool quiet = [] {
        CLogger::instance().setOutputHook([](const char*, const char*, s32) {});
        return true;
    }();
    (void)quiet;
    CRandom::instance().seed(7);
    CRefPtr<CXmlReader> reader =
        test::readerOf(std::string(reinterpret_cast<const char*>(data), size));
    auto level = makeRef<GLevelConfiguration>();
    level->read(reader.get());
    level->getRatingThreshold(3);
    for (u32 i = 0; i < level->Objectives->size(); ++i) {
        level->Objectives->get(i)->getInfoText(nullptr, true);
        level->Objectives->get(i)->getHintText();
    }
    auto scheduler = makeRef<CTimerScheduler>();
    level->RandomEvents->startAll(nullptr, scheduler.get());
    for (int update = 0; update < 4; ++update) scheduler->update(RandomEventRequestPeriodMs);
    level->RandomEvents->stopAll();
    return 0;
}
