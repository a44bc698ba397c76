#include "engine/content/CContentManager.h"

#include <algorithm>
#include <vector>

#include "engine/core/CLogger.h"
#include "engine/io/CFileSystem.h"
#include "engine/io/PathUtils.h"

namespace oskel {

namespace {

stringc decimal(u32 value) { return stringc(static_cast<unsigned long>(value)); }

}  // namespace

CContentManager::CContentManager(CFileSystem* fileSystem, CContentProcessorsManager* processors)
    : m_fileSystem(fileSystem), m_processors(processors) {
    addCategory(CategoryDevice);
    if (m_fileSystem) m_fileSystem->grab();
    if (m_processors) m_processors->grab();
    m_paths.push_back(stringc());
}

CContentManager::~CContentManager() {
    releaseAll();
    if (m_processors) m_processors->drop();
    if (m_fileSystem) m_fileSystem->drop();
}

u32 CContentManager::getCachedCount(u32 typeCode) const {
    auto found = m_cache.find(typeCode);
    return found == m_cache.end() ? 0 : static_cast<u32>(found->second.size());
}

CResource* CContentManager::load(u32 typeCode, const CCreationContext& context,
                                 IReadableFile* file) {
    IContentProcessor* processor = m_processors ? m_processors->getProcessor(typeCode) : nullptr;
    if (!processor) {
        stringc hint("IContentProcessor for the content ");
        hint += file->getFileName();
        hint += " and type #";
        hint += decimal(typeCode);
        hint += " not found";
        CLogger::instance().logHint("CContentManager", hint.c_str(), LogWarning);
        return nullptr;
    }
    CResource* resource = processor->load(this, file, context);
    if (resource && registerContent(resource)) resource->drop();  // the cache holds it now
    return resource;
}

CResource* CContentManager::handOut(CResource* resource) {
    if (!resource || !m_cacheEnabled) return resource;
    const u32 flags = resource->getSharingFlags();
    if (flags & ERF_NOT_CACHED) return resource;
    if (flags & ERF_SHARED) {
        resource->grab();
        return resource;
    }
    return resource->clone();  // the cached object stays as the prototype
}

CResource* CContentManager::getContent(u32 typeCode, IReadableFile* file) {
    if (!file) return nullptr;
    const CCreationContext context(this, file->getFileName());
    CResource* found = findContent(typeCode, context);
    if (found) {
        // A cached resource always leaves with a reference of the caller's, also while caching
        // is off, so a caller's drop can never free the cache's object.
        if (!m_cacheEnabled) {
            found->grab();
            return found;
        }
        return handOut(found);
    }
    return handOut(load(typeCode, context, file));
}

CResource* CContentManager::getContentByPath(u32 typeCode, const stringc& path, bool relative) {
    if (path.empty()) return nullptr;
    const stringc resolved = relative ? getAbsolutePath(path) : path;
    const CCreationContext context(this, resolved);
    CResource* found = findContent(typeCode, context);
    if (found) {
        if (!m_cacheEnabled) {
            found->grab();
            return found;
        }
        return handOut(found);
    }
    if (!m_fileSystem) return nullptr;
    IReadableFile* file = m_fileSystem->createAndOpenFile(resolved);
    if (!file) return nullptr;
    CResource* resource = load(typeCode, context, file);
    file->drop();
    return handOut(resource);
}

CResource* CContentManager::findContent(u32 typeCode, const CCreationContext& context) const {
    auto type = m_cache.find(typeCode);
    if (type == m_cache.end()) return nullptr;
    auto entry = type->second.find(context.getNameId());
    return entry == type->second.end() ? nullptr : entry->second;
}

bool CContentManager::saveContent(u32 typeCode, CResource* resource, const stringc& fileName,
                                  void* parameter) {
    IContentProcessor* processor = m_processors ? m_processors->getProcessor(typeCode) : nullptr;
    if (!processor) {
        stringc hint("IContentProcessor for saving the content ");
        hint += fileName;
        hint += " of type #";
        hint += decimal(typeCode);
        hint += " not found";
        CLogger::instance().logHint("CContentManager", hint.c_str(), LogWarning);
        return false;
    }
    if (!m_fileSystem || fileName.empty() || !processor->canSave(resource)) return false;
    // The file is written under a temporary name next to the target and takes the target's
    // place only when the processor has written it all: a failed save leaves the old file.
    // The temporary name keeps the extension: writers may choose their format by it.
    const stringc part = getFileNamePart(fileName);
    const stringc temporary = fileName.subString(0, fileName.size() - part.size()) + ".saving." + part;
    IWritableFile* file = m_fileSystem->createAndWriteFile(temporary, false);
    if (!file) return false;
    const bool saved = processor->save(this, resource, file, parameter);
    file->drop();
    if (saved && m_fileSystem->renameFile(temporary, fileName)) return true;
    m_fileSystem->removeFile(temporary);
    return false;
}

bool CContentManager::registerContentAs(const CCreationContext& context, CResource* resource) {
    if (!resource || !m_cacheEnabled || (resource->getSharingFlags() & ERF_NOT_CACHED)) return false;
    ContentNameMap& names = m_cache[resource->getTypeCode()];
    if (!names.emplace(context.getNameId(), resource).second) return false;
    resource->grab();
    return true;
}

bool CContentManager::registerContent(CResource* resource) {
    if (!resource) return false;
    return registerContentAs(resource->getCreationContext(), resource);
}

void CContentManager::unregisterContent(CResource* resource) {
    if (!resource) return;
    auto type = m_cache.find(resource->getTypeCode());
    if (type == m_cache.end()) return;
    auto entry = type->second.find(resource->getCreationContext().getNameId());
    if (entry == type->second.end()) return;
    CResource* stored = entry->second;
    type->second.erase(entry);
    stored->drop();
}

void CContentManager::freeUnreferenced() {
    for (auto& type : m_cache) {
        ContentNameMap& names = type.second;
        for (auto entry = names.begin(); entry != names.end();) {
            CResource* resource = entry->second;
            if (resource->getReferenceCount() != 1) {
                ++entry;
                continue;
            }
            const s32 nameId = entry->first;
            names.erase(entry);
            // Releasing it may release others (and change the map): go on after its name.
            resource->drop();
            entry = names.upper_bound(nameId);
        }
    }
}

void CContentManager::releaseAll() {
    // Take the entries out first: a resource released here may call back into the cache.
    std::map<u32, ContentNameMap> cache;
    cache.swap(m_cache);
    for (auto& type : cache)
        for (auto& entry : type.second) entry.second->drop();
}

void CContentManager::pushPath(const stringc& path) { m_paths.push_back(path); }

void CContentManager::popPath() {
    if (m_paths.size() > 1) m_paths.erase(m_paths.size() - 1);
}

stringc CContentManager::getAbsolutePath(const stringc& path) const {
    return resolvePath(m_paths[m_paths.size() - 1], path);
}

stringc CContentManager::getRelativePath(const stringc& path) const {
    return makePathRelative(m_paths[m_paths.size() - 1], path);
}

bool CContentManager::routeToChildren(u32, CEvent* event) {
    if (!m_processors) return false;
    struct Target {
        IContentProcessor* processor;
        ContentNameMap* cache;
        s32 priority;
    };
    std::vector<Target> targets;
    for (auto& type : m_cache) {
        if (type.second.empty()) continue;
        IContentProcessor* processor = m_processors->getProcessor(type.first);
        if (processor) targets.push_back({processor, &type.second, processor->getPriority()});
    }
    std::stable_sort(targets.begin(), targets.end(),
                     [](const Target& a, const Target& b) { return a.priority < b.priority; });
    for (const Target& t : targets) t.processor->onContentEvent(event, *t.cache);
    return false;
}

}  // namespace oskel
