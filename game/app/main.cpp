#include <cstdio>

#include "engine/core/CLogger.h"
#include "engine/device/IDevice.h"

int main() {
    using namespace oskel;
    IDevice* device = getDevice();
    if (!device) {
        logError("Failed to initialize game");
        return 1;
    }
    logInfo("Brasquel: the device is up; the window, drivers, sound and game scenes are not "
            "built yet, so the game ends here.");
    return 0;
}
