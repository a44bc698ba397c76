#pragma once

#include "engine/core/CNameTable.h"
#include "engine/core/event/CEventReceiver.h"

namespace oskel {

class IContentManager;

// Content type codes: four ASCII letters, the first in the lowest byte. The codes below are the
// engine's; the game declares the codes of its own resource classes with makeTypeCode.
constexpr u32 makeTypeCode(char a, char b, char c, char d) {
    return static_cast<u32>(static_cast<u8>(a)) | (static_cast<u32>(static_cast<u8>(b)) << 8) |
           (static_cast<u32>(static_cast<u8>(c)) << 16) | (static_cast<u32>(static_cast<u8>(d)) << 24);
}

constexpr u32 TypeCodeSceneNode = makeTypeCode('s', 'n', 'o', 'd');
constexpr u32 TypeCodeImage = makeTypeCode('i', 'm', 'a', 'g');
constexpr u32 TypeCodeAtlasTexture = makeTypeCode('a', 't', 'e', 'x');
constexpr u32 TypeCodeTexture = makeTypeCode('i', 't', 'e', 'x');
constexpr u32 TypeCodeParticleCollection = makeTypeCode('p', 'r', 't', 'c');
constexpr u32 TypeCodeEmitter = makeTypeCode('p', 'e', 'm', 't');
constexpr u32 TypeCodeFont = makeTypeCode('f', 'o', 'n', 't');
constexpr u32 TypeCodeAtlasCollection = makeTypeCode('a', 't', 'x', 'c');
constexpr u32 TypeCodeSoundPack = makeTypeCode('s', 'n', 'd', 'p');
constexpr u32 TypeCodeSound = makeTypeCode('i', 's', 'n', 'd');

// Sharing flags of a resource: 0 means a clone is handed out per request.
enum EResourceFlags : u32 {
    ERF_SHARED = 1,      // one object for every request
    ERF_NOT_CACHED = 2,  // loaded afresh for every request
};

// The table of content names: a second name table, separate from the global one, so that ids
// of the two are not interchangeable.
class CContentNameTable : public CNameIdMap, public TSingleton<CContentNameTable> {};

// Who created a resource and under which name.
class CCreationContext {
public:
    CCreationContext() = default;
    CCreationContext(IContentManager* owner, const stringc& name)
        : m_owner(owner), m_nameId(CContentNameTable::instance().getId(name)) {}
    CCreationContext(IContentManager* owner, const char* name)
        : m_owner(owner), m_nameId(CContentNameTable::instance().getId(name)) {}

    IContentManager* getOwner() const { return m_owner; }
    s32 getNameId() const { return m_nameId; }
    const stringc& getName() const { return CContentNameTable::instance().getName(m_nameId); }

private:
    IContentManager* m_owner = nullptr;
    s32 m_nameId = -1;
};

// The base of every loadable thing: an event receiver with a content type code, sharing flags
// and the context of its creation.
class CResource : public CEventReceiver {
public:
    explicit CResource(const CCreationContext& context) : m_context(context) {}
    ~CResource() override = default;

    // A new resource with the same content and creation context, owned by the caller; none when
    // the class cannot be cloned.
    virtual CResource* clone() const { return nullptr; }
    virtual u32 getTypeCode() const = 0;

    u32 getSharingFlags() const { return m_sharingFlags; }
    const CCreationContext& getCreationContext() const { return m_context; }
    IContentManager* getContentManager() const { return m_context.getOwner(); }
    const stringc& getName() const { return m_context.getName(); }

protected:
    void setSharingFlags(u32 flags) { m_sharingFlags = flags; }

private:
    u32 m_sharingFlags = 0;
    CCreationContext m_context;
};

}  // namespace oskel
