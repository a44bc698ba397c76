#pragma once

#include <vector>

#include "engine/core/CRefPtr.h"
#include "engine/scene/animation/Animator.h"
#include "engine/properties/CPropertySet.h"

namespace oskel::animation {

// One key frame: its values (one per entry of the animation's property set), the length of the
// segment that ends at it, where to continue once it is reached and whether the values glide
// towards it.
struct KeyFrameKey {
    std::vector<CRefPtr<IPropertyData>> values;
    u32 t = 0;
    s32 gotoKey = -1;  // -1: go on to the next key
    s32 glide = -1;    // 0: glide from the previous key; -1: jump when reached
};

// Drives a fixed list of the target's properties through a sequence of key frames, gliding
// between keys or jumping; a key that goes back to an earlier one makes it loop.
class KeyFrame : public Base {
public:
    static constexpr u32 DefaultPeriod = 20;

    KeyFrame();
    ~KeyFrame() override;

    static const stringw& staticTypeName();
    const stringw& getTypeName() const override { return staticTypeName(); }
    const stringw& getClassName() const override { return staticTypeName(); }
    s32 getTypeId() const override { return AnimationTypeKeyFrame; }

    void setTarget(BaseNode* node) override;
    void setTime(u32 ms, bool apply) override;
    u32 getTime() const override;
    u32 getDuration() const override;
    void stop(bool toEnd, bool notify) override;
    void readXml(CXmlReader* reader, IContentManager* contentManager, const stringw& elementName) override;
    void writeXml(CXmlWriter* writer, const stringw& elementName) const override;
    Base* clone() const override;
    bool update(u32 elapsedMs) override;

    // Building by code.
    void setProperties(CPropertySet* set);
    CPropertySet* getProperties() const { return m_properties.get(); }
    // Appends a key; values are matched to the set by position. A goto that names no key when
    // it is reached counts as none.
    void addKey(const KeyFrameKey& key);
    // Puts a new key in the place of the one at the index (none beyond the end). The old key's
    // value objects are let go, never changed: clones of an animation share them.
    void replaceKey(u32 index, const KeyFrameKey& key);
    const std::vector<KeyFrameKey>& getKeys() const { return m_keys; }
    void setTimeShift(u32 ms) { m_timeShift = ms; }
    u32 getTimeShift() const { return m_timeShift; }
    // Values of 0 give the default period.
    void setPeriod(s32 ms);
    u32 getCurrentKey() const { return m_currentKey; }
    u32 getSegmentTime() const { return m_segmentTime; }
    const std::vector<s32>& getPropertyMap() const { return m_propertyMap; }

private:
    void buildPropertyMap();
    void applyKey(u32 k);
    void interpolate(u32 k, u32 segmentTime);
    bool advance();
    // The number of values of key k that can be used.
    u32 usableValues(u32 k) const;
    void prepareKeys();

    std::vector<s32> m_propertyMap;
    std::vector<KeyFrameKey> m_keys;
    u32 m_currentKey = 0;
    u32 m_segmentTime = 0;
    CRefPtr<CPropertySet> m_properties;
    u32 m_timeShift = 0;
};

}  // namespace oskel::animation
