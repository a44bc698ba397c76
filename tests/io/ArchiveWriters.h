#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

// Writers of small zip and enciphered (.oca) archives in memory, used by the tests, the
// benchmarks and the fuzzers' seed programs.
namespace oskel::test {

struct ZipEntrySpec {
    ZipEntrySpec(std::string entryName, std::string entryData, uint16_t entryMethod = 0,
                 bool withDataDescriptor = false)
        : name(std::move(entryName)),
          data(std::move(entryData)),
          method(entryMethod),
          dataDescriptor(withDataDescriptor) {}

    std::string name;
    std::string data;
    // 0 stored, 8 deflated; any other number is written with the data stored as it is.
    uint16_t method = 0;
    // Sizes and CRC after the data (flag bit 3), zero in the local header, as streaming
    // writers do.
    bool dataDescriptor = false;
    // The uncompressed size written in the headers, when not the real one.
    int64_t claimedSize = -1;
    // Flips bits in the middle of the stored data after compression.
    bool damageData = false;
    // Extra field bytes in the local header only.
    std::string localExtra;
};

struct ZipOptions {
    bool centralDirectory = true;
    std::string comment;
};

std::string makeZip(const std::vector<ZipEntrySpec>& entries, const ZipOptions& options = {});

// Raw deflate (no zlib header) of the data.
std::string deflateRaw(const std::string& data);

struct OcaEntrySpec {
    std::string name;
    std::string data;
};

struct OcaOptions {
    // The table right after the header instead of after all data.
    bool tableFirst = false;
    // Bytes left between the header (or the table) and the first entry's data.
    uint32_t padding = 0;
};

std::string makeOca(const std::vector<OcaEntrySpec>& entries, const std::string& key,
                    const OcaOptions& options = {});

// Little-endian numbers written into or appended to a byte string.
void putLE16(std::string& out, uint16_t value);
void putLE32(std::string& out, uint32_t value);
void setLE32(std::string& out, size_t offset, uint32_t value);

// The key the game's assets archive is enciphered with.
extern const char* const kGameAssetsKey;

// Writes bytes to a disk file; false on failure.
bool writeFileBytes(const std::string& path, const std::string& bytes);

}  // namespace oskel::test
