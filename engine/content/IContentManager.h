#pragma once

#include "engine/content/CResource.h"

namespace oskel {

class IReadableFile;

// The single entry point through which resources are obtained by path and type code. With
// caching on, every resource handed out by getContent and getContentByPath carries one reference
// owned by the caller; findContent adds none.
class IContentManager : public CEventReceiver {
public:
    ~IContentManager() override = default;

    virtual void setCacheEnabled(bool enabled) = 0;
    virtual bool isCacheEnabled() const = 0;
    virtual CResource* getContent(u32 typeCode, IReadableFile* file) = 0;
    virtual CResource* getContentByPath(u32 typeCode, const stringc& path, bool relative) = 0;
    virtual CResource* findContent(u32 typeCode, const CCreationContext& context) const = 0;
    [[nodiscard]] virtual bool saveContent(u32 typeCode, CResource* resource, const stringc& fileName,
                                           void* parameter) = 0;
    virtual bool registerContentAs(const CCreationContext& context, CResource* resource) = 0;
    virtual bool registerContent(CResource* resource) = 0;
    virtual void unregisterContent(CResource* resource) = 0;
    virtual void freeUnreferenced() = 0;
    virtual void releaseAll() = 0;
    virtual void pushPath(const stringc& path) = 0;
    virtual void popPath() = 0;
    virtual stringc getAbsolutePath(const stringc& path) const = 0;
    virtual stringc getRelativePath(const stringc& path) const = 0;
};

}  // namespace oskel
