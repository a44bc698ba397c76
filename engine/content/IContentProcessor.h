#pragma once

#include <functional>
#include <map>

#include "engine/content/CResource.h"
#include "engine/core/CRefPtr.h"

namespace oskel {

class CFileSystem;
class CXmlReader;
class IContentManager;
class IReadableFile;
class IWritableFile;

// The cache of one content type: name id to resource.
using ContentNameMap = std::map<s32, CResource*>;

// Turns files into resources of one content type and resources back into files. Processors
// that follow the device's driver events hold the device category in their mask.
class IContentProcessor : public CEventReceiver {
    OSKEL_DECLARE_EVENT_MAP()

public:
    ~IContentProcessor() override = default;

    // The order of the content-event fan-out (lower first).
    virtual s32 getPriority() const { return 0; }
    virtual u32 getTypeCode() const = 0;
    // A new resource holding its creation reference, or none.
    virtual CResource* load(IContentManager* manager, IReadableFile* file,
                            const CCreationContext& context) = 0;
    // Whether save can write the resource; asked before the target file is touched.
    virtual bool canSave(const CResource* resource) const { return resource != nullptr; }
    virtual bool save(IContentManager* manager, CResource* resource, IWritableFile* file,
                      void* parameter) = 0;
    // A device event passed on by the content manager with the cache of this processor's type.
    virtual void onContentEvent(CEvent* event, ContentNameMap& cache) = 0;

    virtual bool onVideoDriverReleasing(CEvent*) { return false; }
    virtual bool onVideoDriverCreated(CEvent*) { return false; }
    virtual bool onAudioDriverReleasing(CEvent*) { return false; }
    virtual bool onAudioDriverCreated(CEvent*) { return false; }
};

// The common shape of the processors: the type code and priority each is made with, the file
// system of those that read XML files, and, unless a processor says otherwise, resources that are
// not written back (save answers false) and no content to rebuild on driver events.
class CContentProcessor : public IContentProcessor {
public:
    s32 getPriority() const override { return m_priority; }
    u32 getTypeCode() const override { return m_typeCode; }
    bool save(IContentManager*, CResource*, IWritableFile*, void*) override { return false; }
    void onContentEvent(CEvent*, ContentNameMap&) override {}

    CFileSystem* getFileSystem() const { return m_fileSystem.get(); }

protected:
    // Keeps a reference to the file system (may be none).
    CContentProcessor(u32 typeCode, s32 priority, CFileSystem* fileSystem = nullptr);
    ~CContentProcessor() override;

    // Reads an XML-based file: an XML reader over the file, made by the file system when there is
    // one (none: null, without a message),
    // then read makes the resource and lets it read itself while the file's name is the content
    // manager's current path, then the message is logged with the file's name, whether or not
    // anything was read.
    using ReadXml = std::function<CResource*(CXmlReader* reader)>;
    CResource* readXmlFile(IContentManager* manager, IReadableFile* file, const char* message,
                           const ReadXml& read) const;

private:
    u32 m_typeCode;
    s32 m_priority;
    CRefPtr<CFileSystem> m_fileSystem;
};

// Holds the registered processors, finds the processor of a type code and passes the device's
// driver events on to the processors that follow them.
class CContentProcessorsManager : public CEventReceiver {
public:
    CContentProcessorsManager();
    ~CContentProcessorsManager() override;

    // Offers the event to every processor whose mask accepts it; never consumes it.
    bool routeToChildren(u32 mode, CEvent* event) override;

    // The first registered processor of the type code, or none.
    virtual IContentProcessor* getProcessor(u32 typeCode) const;
    // Adds the processor (grabbed); a second processor for a type code is refused with a log
    // line and the first stays.
    virtual void registerProcessor(IContentProcessor* processor);

    u32 getProcessorCount() const { return m_processors.size(); }
    // The processor registered at the position, or none.
    IContentProcessor* getProcessorAt(u32 index) const {
        return index < m_processors.size() ? m_processors[index] : nullptr;
    }

private:
    array<IContentProcessor*> m_processors;
};

}  // namespace oskel
