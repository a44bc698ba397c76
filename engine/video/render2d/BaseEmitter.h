#pragma once

#include <map>
#include <string>
#include <vector>

#include "engine/content/CResource.h"
#include "engine/core/CTimerScheduler.h"
#include "engine/core/Singleton.h"
#include "engine/properties/IPropertyTableSource.h"

namespace oskel {

class CXmlReader;

// One particle, as the emitters write it and the particle system advances and draws it.
struct Particle {
    vector2df position;      // pixels
    vector2df velocity;      // pixels per second
    vector2df acceleration;  // pixels per second squared
    f32 angle = 0.0f;                // degrees
    f32 angularVelocity = 0.0f;      // degrees per second
    f32 angularAcceleration = 0.0f;  // degrees per second squared
    f32 scale = 1.0f;
    f32 scaleVelocity = 0.0f;        // per second
    f32 color[4] = {1.0f, 1.0f, 1.0f, 1.0f};          // r, g, b, a in 0..1
    f32 colorVelocity[4] = {0.0f, 0.0f, 0.0f, 0.0f};  // per second
    u32 age = 0;       // milliseconds
    u32 lifetime = 0;  // milliseconds
};

// The particles of one effect: storage reserved once for the capacity, and the number in use.
// Emitters only fill free places at the end; they never grow the storage.
class CParticleArray {
public:
    explicit CParticleArray(u32 capacity = 0) : m_records(capacity) {}

    u32 getCapacity() const { return static_cast<u32>(m_records.size()); }
    // Reserves storage for the capacity; the count is cut to it.
    void setCapacity(u32 capacity) {
        m_records.resize(capacity);
        if (m_count > capacity) m_count = capacity;
    }
    u32 getCount() const { return m_count; }
    // Sets the number in use (at most the capacity).
    void setCount(u32 count) { m_count = count < getCapacity() ? count : getCapacity(); }
    Particle& operator[](u32 index) { return m_records[index]; }
    const Particle& operator[](u32 index) const { return m_records[index]; }
    // Removes the particle at the index by moving the last one into its place.
    void removeAt(u32 index) {
        if (index >= m_count) return;
        m_records[index] = m_records[m_count - 1];
        --m_count;
    }

private:
    std::vector<Particle> m_records;
    u32 m_count = 0;
};

// The common part of the emitters: the name and the rate and lifetime ranges. It emits nothing.
// Emitters are templates in the content manager's cache (content type 'pemt', cloned for every
// request); a clone emits into its particle target once attached to a timer scheduler.
class BaseEmitter : public CResource, public IPropertyTableSource, public IPropertyHolder, public IUpdateReceiver {
public:
    static constexpr u32 UpdatePeriodMs = 30;
    enum { TypeId = 0 };

    explicit BaseEmitter(const CCreationContext& context);
    ~BaseEmitter() override;

    u32 getTypeCode() const override { return TypeCodeEmitter; }
    CResource* clone() const override;

    const CPropertyTable& getPropertyTable() const override;
    virtual const char* getClassName() const { return "BaseEmitter"; }
    virtual const char* getThisClassName() const;
    virtual s32 getTypeId() const { return TypeId; }
    virtual bool isKindOf(s32 typeId) const { return typeId == TypeId; }
    void detachUpdateSource() { setUpdateSource(nullptr); }
    // Copies the name and the two base ranges.
    virtual void copyFrom(const BaseEmitter& other);

    void saveProperties(CPropertySet* set) const override;
    void loadProperties(const CPropertySet* set) override;
    // Reads the "Properties" children of the current "ParticleEmitter" element up to its end.
    void readProperties(CXmlReader* reader);

    // The base emitter emits nothing.
    bool update(u32 elapsedMs) override;

    // The emitter's own name (the collection registers it under it); not the content name.
    const stringc& getName() const { return m_name; }
    void setName(const stringc& name) { m_name = name; }
    const vector2df& getPPSRange() const { return m_ppsRange; }
    void setPPSRange(const vector2df& range) { m_ppsRange = range; }
    const vector2df& getLifeTimeRange() const { return m_lifeTimeRange; }
    void setLifeTimeRange(const vector2df& range) { m_lifeTimeRange = range; }
    const vector2df& getPosition() const { return m_position; }
    void setPosition(const vector2df& position) { m_position = position; }
    CParticleArray* getParticleTarget() const { return m_target; }
    // The array new particles go to (not owned); none stops the emitter at its next step.
    void setParticleTarget(CParticleArray* target) { m_target = target; }

protected:
    stringc m_name;
    vector2df m_position{0.0f, 0.0f};
    vector2df m_ppsRange{10.0f, 10.0f};
    vector2df m_lifeTimeRange{2000.0f, 3000.0f};
    CParticleArray* m_target = nullptr;
};

// The settings that the point and rectangle emitters share.
struct SParticleSettings {
    vector2df velocityXRange{0.0f, 0.0f};
    vector2df velocityYRange{0.0f, 0.0f};
    vector2df accelerationXRange{0.0f, 0.0f};
    vector2df accelerationYRange{0.0f, 0.0f};
    vector2df angleRange{0.0f, 0.0f};
    vector2df angVelocityRange{0.0f, 0.0f};
    u32 colorStart = 0xFFFFFFFFu;  // ARGB
    u32 colorEnd = 0xFFFFFFFFu;
    f32 colorVariation = 0.0f;
    vector2df scaleRange{1.0f, 1.0f};  // start, end
    f32 scaleVariation = 0.0f;
};

// An emitter of particles with their settings drawn from ranges; the birth offset is the
// subclass's. Emission runs at PPSRange particles per second in steps of the update period.
class CParticleSettingsEmitter : public BaseEmitter {
public:
    using BaseEmitter::copyFrom;

    SParticleSettings& getSettings() { return m_settings; }
    const SParticleSettings& getSettings() const { return m_settings; }
    // Time not yet turned into particles, in milliseconds.
    f32 getEmissionRemainder() const { return m_remainder; }

    bool update(u32 elapsedMs) override;

protected:
    explicit CParticleSettingsEmitter(const CCreationContext& context) : BaseEmitter(context) {}

    // The birth offset of one particle from the position.
    virtual vector2df drawOffset() = 0;
    virtual f32 drawStartScale();
    void emitOne(Particle& particle);

    void saveSettings(CPropertySet* set) const;
    void loadSettings(const CPropertySet* set);

    SParticleSettings m_settings;
    f32 m_remainder = 0.0f;
};

// Emits around the position within a radius.
class PointEmitter : public CParticleSettingsEmitter {
public:
    enum { TypeId = 1 };
    using BaseEmitter::copyFrom;

    explicit PointEmitter(const CCreationContext& context) : CParticleSettingsEmitter(context) {}

    CResource* clone() const override;
    const CPropertyTable& getPropertyTable() const override;
    const char* getClassName() const override { return "PointEmitter"; }
    const char* getThisClassName() const override;
    s32 getTypeId() const override { return TypeId; }
    bool isKindOf(s32 typeId) const override { return typeId == TypeId || BaseEmitter::isKindOf(typeId); }
    // The base part, then every setting of this class.
    void copyFrom(const PointEmitter& other);

    void saveProperties(CPropertySet* set) const override;
    void loadProperties(const CPropertySet* set) override;

    const vector2df& getRadiusRange() const { return m_radiusRange; }
    void setRadiusRange(const vector2df& range) { m_radiusRange = range; }

protected:
    vector2df drawOffset() override;

private:
    vector2df m_radiusRange{0.0f, 0.0f};
};

// Emits in the band between an inner and an outer rectangle centred on the position.
class RectangleEmitter : public CParticleSettingsEmitter {
public:
    enum { TypeId = 2 };
    using BaseEmitter::copyFrom;

    explicit RectangleEmitter(const CCreationContext& context) : CParticleSettingsEmitter(context) {}

    CResource* clone() const override;
    const CPropertyTable& getPropertyTable() const override;
    const char* getClassName() const override { return "RectangleEmitter"; }
    const char* getThisClassName() const override;
    s32 getTypeId() const override { return TypeId; }
    bool isKindOf(s32 typeId) const override { return typeId == TypeId || BaseEmitter::isKindOf(typeId); }
    void copyFrom(const RectangleEmitter& other);

    void saveProperties(CPropertySet* set) const override;
    void loadProperties(const CPropertySet* set) override;

    // (inner, outer) half-widths and half-heights.
    const vector2df& getXRange() const { return m_xRange; }
    void setXRange(const vector2df& range) { m_xRange = range; }
    const vector2df& getYRange() const { return m_yRange; }
    void setYRange(const vector2df& range) { m_yRange = range; }

protected:
    vector2df drawOffset() override;
    f32 drawStartScale() override;

private:
    vector2df m_xRange{0.0f, 0.0f};
    vector2df m_yRange{0.0f, 0.0f};
};

// Creates emitters by class name ("PointEmitter", "RectangleEmitter").
class CEmitterFactory : public TSingleton<CEmitterFactory> {
public:
    using Creator = BaseEmitter* (*)(const CCreationContext& context);

    CEmitterFactory();

    // A name already registered keeps its first creator.
    void registerEmitterType(const stringw& name, Creator creator);
    // A new emitter owned by the caller, or none for an unknown name.
    [[nodiscard]] BaseEmitter* createEmitterByName(const stringw& name, const CCreationContext& context) const;

private:
    std::map<std::wstring, Creator> m_creators;
};

}  // namespace oskel
