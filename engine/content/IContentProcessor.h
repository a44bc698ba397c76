#pragma once

#include <functional>
#include <map>

#include "engine/content/CResource.h"
#include "engine/core/CRefPtr.h"
#include "engine/core/event/DeviceEvents.h"

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
    [[nodiscard]] virtual CResource* load(IContentManager* manager, IReadableFile* file,
                            const CCreationContext& context) = 0;
    // Whether save can write the resource; asked before the target file is touched.
    virtual bool canSave(const CResource* resource) const { return resource != nullptr; }
    [[nodiscard]] virtual bool save(IContentManager* manager, CResource* resource, IWritableFile* file,
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
//
// A processor of an XML-based file only says how its resource reads itself (ReadXml): load then
// makes an XML reader over the file (through the file system when there is one; none: null,
// without a message), calls it while the file's name is the content manager's current path, and
// logs the processor's message with the file's name, whether or not anything was read.
class CContentProcessor : public IContentProcessor {
public:
    using ReadXml = std::function<CResource*(CXmlReader* reader, const CCreationContext& context)>;

    s32 getPriority() const override { return m_priority; }
    u32 getTypeCode() const override { return m_typeCode; }
    [[nodiscard]] CResource* load(IContentManager* manager, IReadableFile* file,
                                  const CCreationContext& context) override;
    [[nodiscard]] bool save(IContentManager*, CResource*, IWritableFile*, void*) override { return false; }
    void onContentEvent(CEvent*, ContentNameMap&) override {}

    CFileSystem* getFileSystem() const { return m_fileSystem.get(); }

protected:
    // Keeps a reference to the file system (may be none).
    CContentProcessor(u32 typeCode, s32 priority, CFileSystem* fileSystem = nullptr);
    // A processor of an XML-based file.
    CContentProcessor(u32 typeCode, CFileSystem* fileSystem, const char* message, ReadXml read);
    ~CContentProcessor() override;

private:
    u32 m_typeCode;
    s32 m_priority;
    CRefPtr<CFileSystem> m_fileSystem;
    const char* m_message = nullptr;
    ReadXml m_read;
};

// A processor that follows one of the device's drivers: it drops the driver on the event that
// says it is about to go and takes the new one from the event that carries it (Created, with
// getDriver).
template <class Driver, class Created>
class TDriverContentProcessor : public CContentProcessor {
public:
    Driver* getDriver() const { return m_driver.get(); }

    // The events go on to the other receivers: each answers false.
    bool onVideoDriverReleasing(CEvent*) override { return forget(EventDeviceVideoDriverCreated); }
    bool onVideoDriverCreated(CEvent* event) override { return take(event, EventDeviceVideoDriverCreated); }
    bool onAudioDriverReleasing(CEvent*) override { return forget(EventDeviceAudioDriverCreated); }
    bool onAudioDriverCreated(CEvent* event) override { return take(event, EventDeviceAudioDriverCreated); }

protected:
    template <class... Args>
    TDriverContentProcessor(Driver* driver, Args&&... args)
        : CContentProcessor(std::forward<Args>(args)...), m_driver(driver) {
        setCategoryMask(CategoryDevice);
    }

private:
    // Only the events of the followed driver count (its created event names it).
    bool forget(u32 createdEvent) {
        if (Created::TypeId == createdEvent) m_driver = nullptr;
        return false;
    }
    bool take(CEvent* event, u32 createdEvent) {
        if (Created::TypeId != createdEvent) return false;
        const Created* created = static_cast<const Created*>(event);
        m_driver.assign(created ? created->getDriver() : nullptr);
        return false;
    }

    CRefPtr<Driver> m_driver;
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
