#pragma once

// Helpers of the property tests: resources and a content manager that hands them out by name,
// and XML in memory through the engine's writer and reader.

#include <map>
#include <string>
#include <utility>

#include "engine/content/IContentManager.h"
#include "tests/content/StubContentManager.h"
#include "engine/core/CRefPtr.h"
#include "engine/core/StringUtils.h"
#include "engine/io/CMemoryFile.h"
#include "engine/io/CXmlReader.h"
#include "engine/io/CXmlWriter.h"

namespace oskel::test {

// A resource of any type code.
class FakeResource : public CResource {
public:
    FakeResource(IContentManager* owner, const char* name, u32 typeCode)
        : CResource(CCreationContext(owner, name)), m_typeCode(typeCode) {
        setSharingFlags(ERF_SHARED);
    }
    u32 getTypeCode() const override { return m_typeCode; }

private:
    u32 m_typeCode;
};

// Hands out the resources it was given, shared, by (type code, resolved name). Relative names
// resolve against the top of a path stack as "base/name"; relative paths strip that prefix.
class FakeContentManager : public StubContentManager {
public:
    ~FakeContentManager() override {
        for (auto& entry : m_resources) entry.second->drop();
    }

    // A new resource registered under the name; the manager keeps the creation reference.
    CResource* add(const char* name, u32 typeCode) {
        FakeResource* r = new FakeResource(this, name, typeCode);
        m_resources[{typeCode, name}] = r;
        return r;
    }
    // Registers a resource under another type code than its own (a confused processor).
    void addMistyped(const char* name, u32 askedType, u32 actualType) {
        m_resources[{askedType, name}] = new FakeResource(this, name, actualType);
    }

    u32 lookups = 0;
    std::string lastPath;
    bool lastRelative = false;

    CResource* getContentByPath(u32 typeCode, const stringc& path, bool relative) override {
        ++lookups;
        lastPath = path.c_str();
        lastRelative = relative;
        if (path.empty()) return nullptr;
        const stringc resolved = relative ? getAbsolutePath(path) : path;
        auto it = m_resources.find({typeCode, resolved.c_str()});
        if (it == m_resources.end()) return nullptr;
        it->second->grab();
        return it->second;
    }
    void pushPath(const stringc& path) override { m_base = path; }
    void popPath() override { m_base = ""; }
    stringc getAbsolutePath(const stringc& path) const override {
        if (m_base.empty()) return path;
        stringc result = m_base;
        result += "/";
        result += path;
        return result;
    }
    stringc getRelativePath(const stringc& path) const override {
        if (m_base.empty()) return path;
        stringc prefix = m_base;
        prefix += "/";
        if (path.size() > prefix.size() && path.subString(0, prefix.size()) == prefix)
            return path.subString(prefix.size(), path.size() - prefix.size());
        return path;
    }

private:
    std::map<std::pair<u32, std::string>, CResource*> m_resources;
    stringc m_base;
};

// XML text in memory: written through the engine's writer, readable as a string and through
// the engine's reader.
class XmlBuffer {
public:
    // The buffer starts with the UTF-16 byte-order mark, which the reader needs to tell the
    // encoding, so that texts written without the XML declaration can be read as well.
    XmlBuffer() : m_file(makeRef<CVirtualFile>("test.xml")) {
        const unsigned char bom[2] = {0xff, 0xfe};
        m_file->write(bom, 2);
    }

    // A writer over the buffer; drop it before reading.
    CRefPtr<CXmlWriter> writer() { return makeRef<CXmlWriter>(m_file.get()); }

    // The UTF-16 text written so far, without its byte-order mark, as narrow text (every test
    // text is ASCII or Latin-1).
    std::string text() const {
        const s32 size = m_file->getSize();
        std::string bytes(static_cast<size_t>(size), '\0');
        m_file->seek(0);
        m_file->read(bytes.data(), static_cast<u32>(size));
        std::string out;
        for (size_t i = 0; i + 1 < bytes.size(); i += 2) {
            const unsigned c = static_cast<unsigned char>(bytes[i]) | (static_cast<unsigned char>(bytes[i + 1]) << 8);
            if (c == 0xfeff) continue;
            out.push_back(static_cast<char>(c & 0xff));
        }
        return out;
    }

    // A reader over the buffer, standing on the first element.
    CRefPtr<CXmlReader> readerAtFirstElement() const {
        m_file->seek(0);
        CRefPtr<CXmlReader> reader = makeRef<CXmlReader>(m_file.get());
        while (reader->read())
            if (reader->getNodeType() == XmlNodeElement) break;
        return reader;
    }

private:
    CRefPtr<CVirtualFile> m_file;
};

// A reader over XML text (Latin-1), standing on its first element.
inline CRefPtr<CXmlReader> readerAtFirstElement(const std::string& xml) {
    CRefPtr<CVirtualFile> file = makeRef<CVirtualFile>("text.xml");
    file->write(xml.data(), static_cast<u32>(xml.size()));
    file->seek(0);
    CRefPtr<CXmlReader> reader = makeRef<CXmlReader>(file.get());
    while (reader->read())
        if (reader->getNodeType() == XmlNodeElement) break;
    return reader;
}

}  // namespace oskel::test
