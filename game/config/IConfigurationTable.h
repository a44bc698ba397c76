#pragma once

namespace oskel {
class CXmlReader;
}

namespace brasquel {

// A configuration table read from an XML file, and read again from it on the reload key.
class IConfigurationTable {
public:
    virtual ~IConfigurationTable() = default;
    // Replaces the table's contents with the file's; false when the file ended before the
    // table's end (what was read stays).
    virtual bool read(oskel::CXmlReader* reader) = 0;
};

}  // namespace brasquel
