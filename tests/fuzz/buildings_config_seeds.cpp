// Writes seed files for the buildings catalogue fuzz target into the folder given as the
// argument: the game's own catalogue, and a small one with the reader's edge cases.
#include <filesystem>
#include <fstream>
#include <string>

namespace fs = std::filesystem;

int main(int argc, char** argv) {
    if (argc != 2) return 2;
    const fs::path out = argv[1];
    fs::copy_file(fs::path(BRASQUEL_ASSETS_DIR) / "levels/common/BuildingsConfiguration.xml",
                  out / "game.xml", fs::copy_options::overwrite_existing);
    std::ofstream(out / "edges.xml", std::ios::binary)
        << "<BuildingsConfiguration><Building><Properties><string Name=\"Name\" Value=\"A\"/>"
           "<int Name=\"BuildTime\" Value=\"9\"/><int Name=\"ProvidedService\" Value=\"4\"/>"
           "<vector2d Name=\"ServeArea\" Value=\"200;100\"/></Properties>"
           "<LevelModifiers><Modifier Type=\"WorkersCostA\" Value=\"1\"/></LevelModifiers>"
           "<ActiveFeature DurationTime=\"8000\"><Feature Type=\"BoostIncome\"/>"
           "<LevelModifiers><Modifier Type=\"GuestsCountM\" "
           "Value=\"1.2\"/></LevelModifiers></ActiveFeature>"
           "<ActiveFeature/></Building><Building/><Building><Properties><string Name=\"A\" "
           "Value=\"x\"/>"
           "</Properties></Building></BuildingsConfiguration>";
    return 0;
}
