#include "tests/io/ArchiveWriters.h"

#include <zlib.h>

#include <cstdio>
#include <cstring>
#include <stdexcept>

namespace oskel::test {

const char* const kGameAssetsKey = "mvtrp2k8(#^#5519qx04ydlkwjhz6ncb7teoa3fgu1rwpsl8nx2kvq5dmzy";

void putLE16(std::string& out, uint16_t value) {
    out += static_cast<char>(value & 0xff);
    out += static_cast<char>(value >> 8);
}

void putLE32(std::string& out, uint32_t value) {
    for (int i = 0; i < 4; ++i) out += static_cast<char>((value >> (8 * i)) & 0xff);
}

void setLE32(std::string& out, size_t offset, uint32_t value) {
    for (int i = 0; i < 4; ++i) out[offset + i] = static_cast<char>((value >> (8 * i)) & 0xff);
}

std::string deflateRaw(const std::string& data) {
    z_stream stream;
    std::memset(&stream, 0, sizeof(stream));
    if (deflateInit2(&stream, Z_BEST_COMPRESSION, Z_DEFLATED, -MAX_WBITS, 8,
                     Z_DEFAULT_STRATEGY) != Z_OK)
        throw std::runtime_error("deflateInit2");
    std::string out(deflateBound(&stream, data.size()), '\0');
    stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(data.data()));
    stream.avail_in = static_cast<uInt>(data.size());
    stream.next_out = reinterpret_cast<Bytef*>(&out[0]);
    stream.avail_out = static_cast<uInt>(out.size());
    const int result = deflate(&stream, Z_FINISH);
    out.resize(stream.total_out);
    deflateEnd(&stream);
    if (result != Z_STREAM_END) throw std::runtime_error("deflate");
    return out;
}

std::string makeZip(const std::vector<ZipEntrySpec>& entries, const ZipOptions& options) {
    std::string out, central;
    for (const ZipEntrySpec& e : entries) {
        std::string stored = e.method == 8 ? deflateRaw(e.data) : e.data;
        if (e.damageData && !stored.empty()) stored[stored.size() / 2] ^= 0x5a;
        const uint32_t crc = static_cast<uint32_t>(
            crc32(crc32(0L, Z_NULL, 0), reinterpret_cast<const Bytef*>(e.data.data()),
                  static_cast<uInt>(e.data.size())));
        const uint32_t size = e.claimedSize >= 0 ? static_cast<uint32_t>(e.claimedSize)
                                                 : static_cast<uint32_t>(e.data.size());
        const uint32_t compressed = static_cast<uint32_t>(stored.size());
        const uint16_t flags = e.dataDescriptor ? 0x8 : 0;
        const uint32_t localOffset = static_cast<uint32_t>(out.size());

        putLE32(out, 0x04034b50);
        putLE16(out, 20);
        putLE16(out, flags);
        putLE16(out, e.method);
        putLE16(out, 0x6000);  // time
        putLE16(out, 0x5821);  // date
        putLE32(out, e.dataDescriptor ? 0 : crc);
        putLE32(out, e.dataDescriptor ? 0 : compressed);
        putLE32(out, e.dataDescriptor ? 0 : size);
        putLE16(out, static_cast<uint16_t>(e.name.size()));
        putLE16(out, static_cast<uint16_t>(e.localExtra.size()));
        out += e.name;
        out += e.localExtra;
        out += stored;
        if (e.dataDescriptor) {
            putLE32(out, 0x08074b50);
            putLE32(out, crc);
            putLE32(out, compressed);
            putLE32(out, size);
        }

        putLE32(central, 0x02014b50);
        putLE16(central, 20);  // made by
        putLE16(central, 20);  // needed
        putLE16(central, flags);
        putLE16(central, e.method);
        putLE16(central, 0x6000);
        putLE16(central, 0x5821);
        putLE32(central, crc);
        putLE32(central, compressed);
        putLE32(central, size);
        putLE16(central, static_cast<uint16_t>(e.name.size()));
        putLE16(central, 0);  // extra
        putLE16(central, 0);  // comment
        putLE16(central, 0);  // disk
        putLE16(central, 0);  // internal attributes
        putLE32(central, 0);  // external attributes
        putLE32(central, localOffset);
        central += e.name;
    }
    if (!options.centralDirectory) return out;
    const uint32_t centralOffset = static_cast<uint32_t>(out.size());
    out += central;
    putLE32(out, 0x06054b50);
    putLE16(out, 0);
    putLE16(out, 0);
    putLE16(out, static_cast<uint16_t>(entries.size()));
    putLE16(out, static_cast<uint16_t>(entries.size()));
    putLE32(out, static_cast<uint32_t>(central.size()));
    putLE32(out, centralOffset);
    putLE16(out, static_cast<uint16_t>(options.comment.size()));
    out += options.comment;
    return out;
}

std::string makeOca(const std::vector<OcaEntrySpec>& entries, const std::string& key,
                    const OcaOptions& options) {
    // The plain table's size is known beforehand, so the data offsets can be laid out first.
    size_t tableSize = 0;
    for (const OcaEntrySpec& e : entries) tableSize += 2 + e.name.size() + 8;

    // The data, after the padding, starts at 16 (plus the table when it comes first).
    const size_t firstData = 16 + (options.tableFirst ? tableSize : 0) + options.padding;
    std::string data(options.padding, '\0');
    std::vector<uint32_t> offsets;
    for (const OcaEntrySpec& e : entries) {
        offsets.push_back(static_cast<uint32_t>(firstData + data.size() - options.padding));
        data += e.data;
    }
    std::string table;
    for (size_t i = 0; i < entries.size(); ++i) {
        putLE16(table, static_cast<uint16_t>(entries[i].name.size()));
        table += entries[i].name;
        putLE32(table, offsets[i]);
        putLE32(table, static_cast<uint32_t>(entries[i].data.size()));
    }
    const uint32_t tableOffset =
        static_cast<uint32_t>(options.tableFirst ? 16 : 16 + data.size());
    const std::string body = options.tableFirst ? table + data : data + table;  // plain, from 16

    std::string out("OCA", 4);  // with its zero byte
    putLE32(out, tableOffset);
    putLE32(out, static_cast<uint32_t>(entries.size()));
    putLE32(out, 0);
    for (size_t i = 0; i < body.size(); ++i) {
        char c = body[i];
        if (!key.empty()) c = static_cast<char>(c ^ key[i % key.size()]);
        out += c;
    }
    return out;
}

bool writeFileBytes(const std::string& path, const std::string& bytes) {
    FILE* f = std::fopen(path.c_str(), "wb");
    if (!f) return false;
    const bool ok = std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
    return std::fclose(f) == 0 && ok;
}

}  // namespace oskel::test
