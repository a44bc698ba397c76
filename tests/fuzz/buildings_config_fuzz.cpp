// Fuzz target of the buildings catalogue reader: arbitrary bytes as a
// "BuildingsConfiguration.xml". Reading must never crash, overrun or hang; every type read is
// copied and asked for its costs with a level's factors.
#include <cstddef>
#include <cstdint>
#include <string>

#include "engine/core/CLogger.h"
#include "game/level/GBuildingsConfiguration.h"
#include "game/level/GLevelConfiguration.h"
#include "tests/io/XmlTestUtils.h"

using namespace oskel;
using namespace brasquel;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const bool quiet = [] {
        CLogger::instance().setOutputHook([](const char*, const char*, s32) {});
        return true;
    }();
    (void)quiet;
    CRefPtr<CXmlReader> reader =
        test::readerOf(std::string(reinterpret_cast<const char*>(data), size));
    auto catalogue = makeRef<GBuildingsConfiguration>();
    catalogue->read(reader.get());
    auto level = makeRef<GLevelConfiguration>();
    level->Factors.WorkersCostA = 2.5f;
    level->Factors.GuestsCountM = 1.25f;
    for (const auto& entry : catalogue->getTypes()) {
        CRefPtr<GBuildingConfig> copy = CRefPtr<GBuildingConfig>::fromRaw(entry.second->copy());
        copy->getBuildWorkersCost(level.get());
        copy->getDestroyWorkersCost(level.get());
        copy->getGuestsCount(level.get());
        if (copy->LevelModifiers) copy->LevelModifiers->applyAll(level.get());
        for (u32 i = 0; i < copy->Features.size(); ++i)
            if (copy->Features[i].LevelModifiers)
                copy->Features[i].LevelModifiers->applyAll(level.get());
    }
    return 0;
}
