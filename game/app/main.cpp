#include "engine/core/CLogger.h"
#include "engine/device/IDevice.h"
#include "engine/platform/CrashDumpWriter.h"
#include "engine/platform/SingleInstanceGuard.h"
#include "game/app/GApplication.h"

int main(int argc, char** argv) {
    using namespace oskel;
    // The crash report's message box runs in a helper process of this program.
    const int helper = platform::CCrashDumpWriter::runMessageHelper("Brasquel", argc, argv);
    if (helper >= 0) return helper;

    static platform::CCrashDumpWriter crashWriter("Brasquel", true, false);
    platform::CSingleInstanceGuard guard("Brasquel Game Instance");
    if (guard.hasFailed()) {
        // Running unguarded could let two games write one profile file.
        logError("Could not make sure the game runs only once");
        return 1;
    }
    if (guard.isAnotherInstance()) return 0;  // the running game comes to the front

    const int exitCode = brasquel::runGame(&guard, &crashWriter);
    // The device goes before the program's static objects do.
    releaseDevice();
    return exitCode;
}
