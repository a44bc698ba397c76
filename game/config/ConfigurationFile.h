#pragma once

#include "engine/core/OskelTypes.h"

namespace oskel {
class CFileSystem;
}

namespace brasquel {

class IConfigurationTable;

// How reading a configuration file into its table went.
enum EConfigurationFileResult : oskel::s32 {
    ConfigurationFileRead,     // the whole table was read
    ConfigurationFileDamaged,  // the file ended early: what came before it is in the table
    ConfigurationFileMissing,  // the file does not open: the table is as it was
};

// Opens the file through the file system's XML reader and hands it to the table's reader, with
// one log line naming the file: information when read, an error when damaged, a warning when
// it does not open.
EConfigurationFileResult readConfigurationFile(oskel::CFileSystem* fileSystem, const char* path,
                                               IConfigurationTable* table);

}  // namespace brasquel
