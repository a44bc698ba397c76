// Writes seed files for the level configuration fuzz target into the folder given as the
// argument: a level with every kind of content, and its beginning cut short.
#include <filesystem>
#include <fstream>
#include <string>

namespace fs = std::filesystem;

int main(int argc, char** argv) {
    if (argc != 2) return 2;
    const fs::path out = argv[1];
    const std::string level =
        "\xEF\xBB\xBF<?xml version=\"1.0\" encoding=\"utf-8\"?>\n"
        "<Level>\n"
        " <Properties>\n"
        "  <stringw Name=\"Name\" Value=\"12\"/><int Name=\"DayLength\" Value=\"45\"/>\n"
        "  <float Name=\"InitMoney\" Value=\"50000\"/><string Name=\"UnlockLevels\" "
        "Value=\"13;14;\"/>\n"
        "  <string Name=\"AvailableBuildingsForBuild\" Value=\"Camping1; Cafe\"/>\n"
        "  <vector2d Name=\"BuildingsSellTime\" Value=\"20000;40000\"/><bool Name=\"IsClockOn\" "
        "Value=\"false\"/>\n"
        " </Properties>\n"
        " <Objectives>\n"
        "  <Objective Type=\"Money\" Value=\"100000\" InfoStr=\"%Obj_Money%\"/>\n"
        "  <Objective Type=\"Income\" Value=\"2500\"/><Objective Type=\"Workers\" Value=\"6\"/>\n"
        "  <Objective Type=\"HaveConcurrentFeatures\" BuildingTypes=\"Cafe;CityMall\" "
        "FeatureIndices=\"0;1\"/>\n"
        "  <Objective Type=\"HaveTypedBuildingsCount\" BuildingTypes=\"Cafe\" Value=\"2\" "
        "MustOwn=\"true\"/>\n"
        " </Objectives>\n"
        " <RandomEvents>\n"
        "  <Event Type=\"OneTimeSellBuildingRequest\" TimeRange=\"1000;2000\" "
        "BuildingTypes=\"Camping1\"/>\n"
        "  <Event Type=\"RegularLetterRequest\" PeriodRange=\"500;1500\" "
        "LastTimeRange=\"900;1200\" "
        "MoneyRange=\"0.2;0.8\" WaitTimeRange=\"3000;6000\"/>\n"
        "  <Event Type=\"RegularWeatherEffectRequest\" PeriodRange=\"9;1\" "
        "DurationTimeRange=\"20000;30000\"/>\n"
        " </RandomEvents>\n"
        "</Level>\n";
    std::ofstream(out / "level.xml", std::ios::binary) << level;
    std::ofstream(out / "cut.xml", std::ios::binary) << level.substr(0, level.size() / 2);
    return 0;
}
