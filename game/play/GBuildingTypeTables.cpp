#include "game/play/GBuildingTypeTables.h"

#include <initializer_list>
#include <utility>

#include "game/play/GGamePlayScene.h"

namespace brasquel {

using namespace oskel;

namespace {

const char* const LockFolder = "scenes/images/GameMenu/Buttons/";

// Entries of (type name, lock picture file name inside the buttons folder).
GBuildingTypeTable makeTable(std::initializer_list<std::pair<const char*, const char*>> entries) {
    GBuildingTypeTable table;
    table.reserve(entries.size());
    for (const auto& [name, lock] : entries)
        table.push_back(GBuildingTypeEntry{CNameId(name), stringc(LockFolder) + lock});
    return table;
}

}  // namespace

const GBuildingTypeTable& hotelBuildingTypes() {
    static const GBuildingTypeTable table = makeTable({
        {"Camping1", "CampingButtonLock.png"},
        {"Hostel1", "HostelButtonLock.png"},
        {"GuestHouse1", "GuestHouseButtonLock.png"},
        {"BusinessHotel1", "BusinessHotelButtonLock.png"},
        {"HotelN51", "HotelN5ButtonLock.png"},
        {"HotelN61", "HotelN6ButtonLock.png"},
    });
    return table;
}

const GBuildingTypeTable& joyBuildingTypes() {
    static const GBuildingTypeTable table = makeTable({
        {"Cafe", "CafeButtonLock.png"},
        {"CityMall", "CityMallButtonLock.png"},
        {"AquaPark", "AquaParkButtonLock.png"},
        {"Statue", "StatueButtonLock.png"},
        {"Garden", "GardenButtonLock.png"},
        {"Memorial", "MemorialButtonLock.png"},
    });
    return table;
}

const GBuildingTypeTable& factoryBuildingTypes() {
    static const GBuildingTypeTable table = makeTable({
        {"TruckStation", "TruckStationButtonLock.png"},
        {"REAgency", "REAgencyButtonLock.png"},
        {"PRAgency", "PRAgencyButtonLock.png"},
    });
    return table;
}

const GBuildingTypeTable* buildingTypesOfKind(s32 kind) {
    switch (kind) {
        case GGamePlayScene::BuildListHotels:
            return &hotelBuildingTypes();
        case GGamePlayScene::BuildListFactories:
            return &factoryBuildingTypes();
        case GGamePlayScene::BuildListJoys:
            return &joyBuildingTypes();
        default:
            return nullptr;
    }
}

}  // namespace brasquel
