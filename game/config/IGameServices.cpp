#include "game/config/IGameServices.h"

#include <atomic>

namespace brasquel {

namespace {
// Main thread only in practice; atomic so that a late reader never sees half a pointer.
std::atomic<IGameServices*> g_services{nullptr};
}  // namespace

const oskel::SDeviceParameters& IGameServices::getDeviceParameters() const {
    static const oskel::SDeviceParameters defaults;
    return defaults;
}

IGameServices* IGameServices::get() { return g_services.load(); }

IGameServices* IGameServices::install(IGameServices* services) {
    return g_services.exchange(services);
}

}  // namespace brasquel
