#pragma once

#include <map>

#include "engine/content/CResource.h"

namespace oskel {

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
