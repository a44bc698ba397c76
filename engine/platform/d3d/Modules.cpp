#include <cstring>

#include "engine/platform/d3d/D3D8.h"
#include "engine/platform/d3d/D3D9.h"
#include "engine/platform/d3d/D3DCore.h"

namespace oskel::d3d {

namespace {

struct SEntry {
    const char* name;
    FARPROC function;
};

struct SModule {
    const char* name;
    const SEntry* entries;
    size_t entryCount;
};

const SEntry g_d3d9Entries[] = {
    {"Direct3DCreate9", reinterpret_cast<FARPROC>(&Direct3DCreate9)},
};

const SEntry g_d3d8Entries[] = {
    {"Direct3DCreate8", reinterpret_cast<FARPROC>(&Direct3DCreate8)},
};

// The modules built into the program. No other name loads ("d3dx9_30.dll", for one, is not
// here).
const SModule g_modules[] = {
    {"d3d8.dll", g_d3d8Entries, sizeof g_d3d8Entries / sizeof g_d3d8Entries[0]},
    {"d3d9.dll", g_d3d9Entries, sizeof g_d3d9Entries / sizeof g_d3d9Entries[0]},
};

bool sameName(const char* a, const char* b) {
    for (; *a && *b; ++a, ++b) {
        const char ca = (*a >= 'A' && *a <= 'Z') ? static_cast<char>(*a - 'A' + 'a') : *a;
        const char cb = (*b >= 'A' && *b <= 'Z') ? static_cast<char>(*b - 'A' + 'a') : *b;
        if (ca != cb) return false;
    }
    return *a == *b;
}

}  // namespace

HMODULE LoadLibraryA(const char* name) {
    if (!name) return nullptr;
    for (const SModule& module : g_modules) {
        // Module names are compared without regard to case, as the system does.
        if (!sameName(module.name, name)) continue;
        if (control::moduleRemoved(module.name)) return nullptr;
        return const_cast<SModule*>(&module);
    }
    return nullptr;
}

FARPROC GetProcAddress(HMODULE handle, const char* name) {
    if (!handle || !name) return nullptr;
    const auto* module = static_cast<const SModule*>(handle);
    for (size_t i = 0; i < module->entryCount; ++i) {
        if (std::strcmp(module->entries[i].name, name) != 0) continue;
        if (control::entryPointRemoved(module->name, name)) return nullptr;
        return module->entries[i].function;
    }
    return nullptr;
}

BOOL FreeLibrary(HMODULE handle) { return handle ? TRUE : FALSE; }

BOOL ClientToScreen(HWND, POINT* point) { return point ? TRUE : FALSE; }

}  // namespace oskel::d3d
