#pragma once

#include <map>

#include "engine/content/IContentManager.h"
#include "engine/content/IContentProcessor.h"

namespace oskel {

class CFileSystem;

// Loads resources through their processors, keeps them in a cache keyed by type code and name,
// and hands out shared, cloned or fresh objects by their sharing flags. Relative names inside a
// file resolve against the path stack, which processors push while they read.
class CContentManager : public IContentManager {
public:
    CContentManager(CFileSystem* fileSystem, CContentProcessorsManager* processors);
    ~CContentManager() override;

    // Passes device events to the processors of the cached types, in order of priority.
    bool routeToChildren(u32 mode, CEvent* event) override;

    void setCacheEnabled(bool enabled) override { m_cacheEnabled = enabled; }
    bool isCacheEnabled() const override { return m_cacheEnabled; }
    CResource* getContent(u32 typeCode, IReadableFile* file) override;
    CResource* getContentByPath(u32 typeCode, const stringc& path, bool relative) override;
    CResource* findContent(u32 typeCode, const CCreationContext& context) const override;
    [[nodiscard]] bool saveContent(u32 typeCode, CResource* resource, const stringc& fileName,
                     void* parameter) override;
    bool registerContentAs(const CCreationContext& context, CResource* resource) override;
    bool registerContent(CResource* resource) override;
    void unregisterContent(CResource* resource) override;
    void freeUnreferenced() override;
    void releaseAll() override;
    void pushPath(const stringc& path) override;
    void popPath() override;
    stringc getAbsolutePath(const stringc& path) const override;
    stringc getRelativePath(const stringc& path) const override;

    // The atlas texture of a path ('atex').
    CResource* getAtlasTexture(const stringc& path, bool relative) {
        return getContentByPath(TypeCodeAtlasTexture, path, relative);
    }

    CFileSystem* getFileSystem() const { return m_fileSystem; }
    u32 getPathDepth() const { return m_paths.size(); }
    u32 getCachedCount(u32 typeCode) const;

private:
    [[nodiscard]] CResource* load(u32 typeCode, const CCreationContext& context, IReadableFile* file);
    CResource* handOut(CResource* resource);

    CFileSystem* m_fileSystem;
    bool m_cacheEnabled = true;
    CContentProcessorsManager* m_processors;
    array<stringc> m_paths;
    std::map<u32, ContentNameMap> m_cache;
};

}  // namespace oskel
