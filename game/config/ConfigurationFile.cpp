#include "game/config/ConfigurationFile.h"

#include <string>

#include "engine/core/CLogger.h"
#include "engine/io/CFileSystem.h"
#include "engine/io/CXmlReader.h"
#include "game/config/IConfigurationTable.h"

namespace brasquel {

using namespace oskel;

EConfigurationFileResult readConfigurationFile(CFileSystem* fileSystem, const char* path,
                                               IConfigurationTable* table) {
    const std::string name = path ? path : "";
    CXmlReader* reader =
        fileSystem && table && path ? fileSystem->createXmlReader(stringc(path)) : nullptr;
    if (!reader) {
        CLogger::instance().log(("Configuration file not found: " + name).c_str(), LogWarning);
        return ConfigurationFileMissing;
    }
    const bool complete = table->read(reader);
    reader->drop();
    if (!complete) {
        CLogger::instance().log(
            ("Configuration file ends early, what came before the damage is kept: " + name).c_str(),
            LogError);
        return ConfigurationFileDamaged;
    }
    CLogger::instance().log(("Configuration read: " + name).c_str(), LogInformation);
    return ConfigurationFileRead;
}

}  // namespace brasquel
