#include "engine/video/render2d/BaseEmitter.h"

#include <cmath>

#include "engine/core/CRandom.h"
#include "engine/core/StringUtils.h"
#include "engine/io/CXmlReader.h"
#include "engine/properties/CPropertyData.h"
#include "engine/properties/CPropertySet.h"

namespace oskel {

namespace {

// A draw from (min, max): min when the range is empty, without using a random number.
f32 drawBetween(f32 a, f32 b) {
    const f32 d = b - a;
    if (d == 0.0f) return a;
    return a + d * CRandom::instance().nextFloat();
}

f32 drawRange(const vector2df& range) { return drawBetween(range.X, range.Y); }

// A drawn time in whole milliseconds; negative and non-finite draws give 0.
u32 toMilliseconds(f32 value) {
    if (!(value > 0.0f)) return 0;
    if (value >= 4294967040.0f) return 4294967040u;
    return static_cast<u32>(value);
}

bool hasProperty(const CPropertySet* set, const char* name) { return set->getPropertyIndex(name) >= 0; }

void loadRange(const CPropertySet* set, const char* name, vector2df& member) {
    if (hasProperty(set, name)) member = unboxPropertyVector2d(set->getProperty(name).get());
}

void loadFloat(const CPropertySet* set, const char* name, f32& member) {
    if (hasProperty(set, name)) member = unboxPropertyFloat(set->getProperty(name).get());
}

void loadColor(const CPropertySet* set, const char* name, u32& member) {
    if (hasProperty(set, name)) member = unboxPropertyColor(set->getProperty(name).get()).color;
}

void saveRange(CPropertySet* set, const char* name, const vector2df& value, const vector2df& def) {
    if (value.X != def.X || value.Y != def.Y) set->addVector2d(name, value);
}

// Property table rows over the shared settings of the point and rectangle emitters.
template <class E, vector2df SParticleSettings::*M>
void setSettingsRange(IPropertyTableSource* object, const CRefPtr<IPropertyData>& value) {
    static_cast<E*>(object)->getSettings().*M = unboxPropertyVector2d(value.get());
}
template <class E, vector2df SParticleSettings::*M>
CRefPtr<IPropertyData> getSettingsRange(const IPropertyTableSource* object) {
    return makePropertyDataVector2d(static_cast<const E*>(object)->getSettings().*M);
}
template <class E, f32 SParticleSettings::*M>
void setSettingsFloat(IPropertyTableSource* object, const CRefPtr<IPropertyData>& value) {
    static_cast<E*>(object)->getSettings().*M = unboxPropertyFloat(value.get());
}
template <class E, f32 SParticleSettings::*M>
CRefPtr<IPropertyData> getSettingsFloat(const IPropertyTableSource* object) {
    return makePropertyDataFloat(static_cast<const E*>(object)->getSettings().*M);
}
template <class E, u32 SParticleSettings::*M>
void setSettingsColor(IPropertyTableSource* object, const CRefPtr<IPropertyData>& value) {
    static_cast<E*>(object)->getSettings().*M = unboxPropertyColor(value.get()).color;
}
template <class E, u32 SParticleSettings::*M>
CRefPtr<IPropertyData> getSettingsColor(const IPropertyTableSource* object) {
    return makePropertyDataColor(static_cast<const E*>(object)->getSettings().*M);
}

// A range row over a setter and a getter of the emitter class.
template <class E, void (E::*Set)(const vector2df&), const vector2df& (E::*Get)() const>
void setRangeRow(IPropertyTableSource* object, const CRefPtr<IPropertyData>& value) {
    (static_cast<E*>(object)->*Set)(unboxPropertyVector2d(value.get()));
}
template <class E, void (E::*Set)(const vector2df&), const vector2df& (E::*Get)() const>
CRefPtr<IPropertyData> getRangeRow(const IPropertyTableSource* object) {
    return makePropertyDataVector2d((static_cast<const E*>(object)->*Get)());
}

#define OSKEL_EMITTER_RANGE_ROW(E, name, Set, Get) \
    CPropertyDescriptor { name, &setRangeRow<E, &E::Set, &E::Get>, &getRangeRow<E, &E::Set, &E::Get> }

// The rows of the shared settings, under their table names, after the offset rows.
template <class E>
void appendSettingsRows(CPropertyTable& t) {
    t.push_back({"VelocityXRange", &setSettingsRange<E, &SParticleSettings::velocityXRange>,
                 &getSettingsRange<E, &SParticleSettings::velocityXRange>});
    t.push_back({"VelocityYRange", &setSettingsRange<E, &SParticleSettings::velocityYRange>,
                 &getSettingsRange<E, &SParticleSettings::velocityYRange>});
    t.push_back({"AccelXRange", &setSettingsRange<E, &SParticleSettings::accelerationXRange>,
                 &getSettingsRange<E, &SParticleSettings::accelerationXRange>});
    t.push_back({"AccelYRange", &setSettingsRange<E, &SParticleSettings::accelerationYRange>,
                 &getSettingsRange<E, &SParticleSettings::accelerationYRange>});
    t.push_back({"AngleRange", &setSettingsRange<E, &SParticleSettings::angleRange>,
                 &getSettingsRange<E, &SParticleSettings::angleRange>});
    t.push_back({"AngVelocityRange", &setSettingsRange<E, &SParticleSettings::angVelocityRange>,
                 &getSettingsRange<E, &SParticleSettings::angVelocityRange>});
    t.push_back({"ColorStart", &setSettingsColor<E, &SParticleSettings::colorStart>,
                 &getSettingsColor<E, &SParticleSettings::colorStart>});
    t.push_back({"ColorEnd", &setSettingsColor<E, &SParticleSettings::colorEnd>,
                 &getSettingsColor<E, &SParticleSettings::colorEnd>});
    t.push_back({"ColorVariation", &setSettingsFloat<E, &SParticleSettings::colorVariation>,
                 &getSettingsFloat<E, &SParticleSettings::colorVariation>});
    t.push_back({"ScaleRange", &setSettingsRange<E, &SParticleSettings::scaleRange>,
                 &getSettingsRange<E, &SParticleSettings::scaleRange>});
    t.push_back({"ScaleVariation", &setSettingsFloat<E, &SParticleSettings::scaleVariation>,
                 &getSettingsFloat<E, &SParticleSettings::scaleVariation>});
}

}  // namespace

// ---- BaseEmitter ----

BaseEmitter::BaseEmitter(const CCreationContext& context) : CResource(context), IUpdateReceiver(UpdatePeriodMs) {}

BaseEmitter::~BaseEmitter() { setUpdateSource(nullptr); }

const char* BaseEmitter::getThisClassName() const {
    static const char* const name = "BaseEmitter";
    return name;
}

CResource* BaseEmitter::clone() const {
    auto* copy = new BaseEmitter(getCreationContext());
    copy->copyFrom(*this);
    return copy;
}

void BaseEmitter::copyFrom(const BaseEmitter& other) {
    m_name = other.m_name;
    m_ppsRange = other.m_ppsRange;
    m_lifeTimeRange = other.m_lifeTimeRange;
}

bool BaseEmitter::update(u32) { return true; }

void BaseEmitter::saveProperties(CPropertySet* set) const {
    if (!set) return;
    if (!m_name.empty()) set->addString("Name", m_name);
    saveRange(set, "PPSRange", m_ppsRange, vector2df(10.0f, 10.0f));
    saveRange(set, "LifeTimeRange", m_lifeTimeRange, vector2df(2000.0f, 3000.0f));
}

void BaseEmitter::loadProperties(const CPropertySet* set) {
    if (!set) return;
    if (hasProperty(set, "Name")) m_name = getPropertyString(set->getProperty("Name").get());
    loadRange(set, "PPSRange", m_ppsRange);
    loadRange(set, "LifeTimeRange", m_lifeTimeRange);
}

void BaseEmitter::readProperties(CXmlReader* reader) {
    if (!reader) return;
    // An empty "ParticleEmitter" element has no settings: reading on would take the next
    // emitter's settings and swallow that emitter.
    if (reader->getNodeType() == XmlNodeElement && reader->isEmptyElement() &&
        reader->getNodeName() == L"ParticleEmitter")
        return;
    while (reader->read()) {
        const EXmlNodeType type = reader->getNodeType();
        const stringw& name = reader->getNodeName();
        if (type == XmlNodeElementEnd && name == L"ParticleEmitter") return;
        if (type != XmlNodeElement || name != L"Properties") continue;
        CRefPtr<CPropertySet> set = makeRef<CPropertySet>(getContentManager());
        set->readXml(reader, true, L"Properties");
        loadProperties(set.get());
    }
}

namespace {
void setNameRow(IPropertyTableSource* object, const CRefPtr<IPropertyData>& value) {
    static_cast<BaseEmitter*>(object)->setName(getPropertyString(value.get()));
}
CRefPtr<IPropertyData> getNameRow(const IPropertyTableSource* object) {
    return makeStringProperty(static_cast<const BaseEmitter*>(object)->getName());
}
}  // namespace

const CPropertyTable& BaseEmitter::getPropertyTable() const {
    static const CPropertyTable table = [this] {
        CPropertyTable t;
        appendPropertyDescriptors(t, IPropertyTableSource::getPropertyTable());
        t.push_back({"Name", &setNameRow, &getNameRow});
        t.push_back(OSKEL_EMITTER_RANGE_ROW(BaseEmitter, "PPSRange", setPPSRange, getPPSRange));
        t.push_back(OSKEL_EMITTER_RANGE_ROW(BaseEmitter, "LifeTimeRange", setLifeTimeRange, getLifeTimeRange));
        return t;
    }();
    return table;
}

// ---- emission ----

bool CParticleSettingsEmitter::update(u32 elapsedMs) {
    if (!m_target) return false;
    m_remainder += static_cast<f32>(elapsedMs);
    const f32 pps = drawRange(m_ppsRange);
    // No rate (or a damaged one): nothing is due.
    if (!(pps > 0.0f)) return true;
    const f32 interval = 1000.0f / pps;
    if (!(interval > 0.0f)) return true;
    const f32 due = std::trunc(m_remainder / interval);
    if (!(due >= 1.0f)) return true;
    m_remainder -= due * interval;
    if (!(m_remainder >= 0.0f)) m_remainder = 0.0f;

    // Particles that do not fit are not emitted; their time is not given back.
    const u32 count = m_target->getCount();
    const u32 free = m_target->getCapacity() - count;
    const u32 n = due >= static_cast<f32>(free) ? free : static_cast<u32>(due);
    m_target->setCount(count + n);
    for (u32 i = 0; i < n; ++i) emitOne((*m_target)[count + i]);
    return true;
}

f32 CParticleSettingsEmitter::drawStartScale() { return m_settings.scaleRange.X; }

void CParticleSettingsEmitter::emitOne(Particle& p) {
    const vector2df offset = drawOffset();
    p.age = 0;
    p.lifetime = toMilliseconds(drawRange(m_lifeTimeRange));
    p.position = m_position + offset;
    p.velocity.X = drawRange(m_settings.velocityXRange);
    p.velocity.Y = drawRange(m_settings.velocityYRange);
    p.acceleration.X = drawRange(m_settings.accelerationXRange);
    p.acceleration.Y = drawRange(m_settings.accelerationYRange);
    p.angle = drawRange(m_settings.angleRange);
    p.angularVelocity = drawRange(m_settings.angVelocityRange);
    p.angularAcceleration = 0.0f;

    // A particle of no lifetime is gone at its first advance: its rates stay 0 rather than
    // infinite.
    const f32 seconds = static_cast<f32>(p.lifetime) * 0.001f;
    const irr::video::SColor start(m_settings.colorStart);
    const irr::video::SColor end(m_settings.colorEnd);
    const u32 startChannels[4] = {start.getRed(), start.getGreen(), start.getBlue(), start.getAlpha()};
    const u32 endChannels[4] = {end.getRed(), end.getGreen(), end.getBlue(), end.getAlpha()};
    for (u32 c = 0; c < 4; ++c) {
        p.color[c] = static_cast<f32>(startChannels[c]) / 255.0f;
        const f32 change = (static_cast<f32>(endChannels[c]) - static_cast<f32>(startChannels[c])) / 255.0f;
        p.colorVelocity[c] = seconds > 0.0f ? change / seconds : 0.0f;
    }
    p.scale = drawStartScale();
    p.scaleVelocity = seconds > 0.0f ? (m_settings.scaleRange.Y - p.scale) / seconds : 0.0f;
}

void CParticleSettingsEmitter::saveSettings(CPropertySet* set) const {
    const SParticleSettings def;
    const SParticleSettings& s = m_settings;
    saveRange(set, "VelocityXRange", s.velocityXRange, def.velocityXRange);
    saveRange(set, "VelocityYRange", s.velocityYRange, def.velocityYRange);
    saveRange(set, "AccelerationXRange", s.accelerationXRange, def.accelerationXRange);
    saveRange(set, "AccelerationYRange", s.accelerationYRange, def.accelerationYRange);
    saveRange(set, "AngleRange", s.angleRange, def.angleRange);
    saveRange(set, "AngVelocityRange", s.angVelocityRange, def.angVelocityRange);
    if (s.colorStart != def.colorStart) set->addColor("ColorStart", irr::video::SColor(s.colorStart));
    if (s.colorEnd != def.colorEnd) set->addColor("ColorEnd", irr::video::SColor(s.colorEnd));
    if (s.colorVariation != def.colorVariation) set->addFloat("ColorVariation", s.colorVariation);
    saveRange(set, "ScaleRange", s.scaleRange, def.scaleRange);
    if (s.scaleVariation != def.scaleVariation) set->addFloat("ScaleVariation", s.scaleVariation);
}

void CParticleSettingsEmitter::loadSettings(const CPropertySet* set) {
    SParticleSettings& s = m_settings;
    loadRange(set, "VelocityXRange", s.velocityXRange);
    loadRange(set, "VelocityYRange", s.velocityYRange);
    loadRange(set, "AccelerationXRange", s.accelerationXRange);
    loadRange(set, "AccelerationYRange", s.accelerationYRange);
    loadRange(set, "AngleRange", s.angleRange);
    loadRange(set, "AngVelocityRange", s.angVelocityRange);
    loadColor(set, "ColorStart", s.colorStart);
    loadColor(set, "ColorEnd", s.colorEnd);
    loadFloat(set, "ColorVariation", s.colorVariation);
    loadRange(set, "ScaleRange", s.scaleRange);
    loadFloat(set, "ScaleVariation", s.scaleVariation);
}

// ---- PointEmitter ----

const char* PointEmitter::getThisClassName() const {
    static const char* const name = "PointEmitter";
    return name;
}

CResource* PointEmitter::clone() const {
    auto* copy = new PointEmitter(getCreationContext());
    copy->copyFrom(*this);
    return copy;
}

void PointEmitter::copyFrom(const PointEmitter& other) {
    BaseEmitter::copyFrom(other);
    m_settings = other.m_settings;
    m_radiusRange = other.m_radiusRange;
}

void PointEmitter::saveProperties(CPropertySet* set) const {
    if (!set) return;
    BaseEmitter::saveProperties(set);
    saveRange(set, "RadiusRange", m_radiusRange, vector2df(0.0f, 0.0f));
    saveSettings(set);
}

void PointEmitter::loadProperties(const CPropertySet* set) {
    if (!set) return;
    BaseEmitter::loadProperties(set);
    loadRange(set, "RadiusRange", m_radiusRange);
    loadSettings(set);
}

vector2df PointEmitter::drawOffset() {
    const f32 r = drawRange(m_radiusRange);
    if (!(r > 0.0f)) return vector2df(0.0f, 0.0f);
    const u32 theta = CRandom::instance().next() % 360;
    return vector2df(r * sineOfDegrees((theta + 90) % 360), r * sineOfDegrees(theta));
}

const CPropertyTable& PointEmitter::getPropertyTable() const {
    static const CPropertyTable table = [this] {
        CPropertyTable t;
        appendPropertyDescriptors(t, BaseEmitter::getPropertyTable());
        t.push_back(OSKEL_EMITTER_RANGE_ROW(PointEmitter, "RadiusRange", setRadiusRange, getRadiusRange));
        appendSettingsRows<PointEmitter>(t);
        return t;
    }();
    return table;
}

// ---- RectangleEmitter ----

const char* RectangleEmitter::getThisClassName() const {
    static const char* const name = "RectangleEmitter";
    return name;
}

CResource* RectangleEmitter::clone() const {
    auto* copy = new RectangleEmitter(getCreationContext());
    copy->copyFrom(*this);
    return copy;
}

void RectangleEmitter::copyFrom(const RectangleEmitter& other) {
    BaseEmitter::copyFrom(other);
    m_settings = other.m_settings;
    m_xRange = other.m_xRange;
    m_yRange = other.m_yRange;
}

void RectangleEmitter::saveProperties(CPropertySet* set) const {
    if (!set) return;
    BaseEmitter::saveProperties(set);
    saveRange(set, "XRange", m_xRange, vector2df(0.0f, 0.0f));
    saveRange(set, "YRange", m_yRange, vector2df(0.0f, 0.0f));
    saveSettings(set);
}

void RectangleEmitter::loadProperties(const CPropertySet* set) {
    if (!set) return;
    BaseEmitter::loadProperties(set);
    loadRange(set, "XRange", m_xRange);
    loadRange(set, "YRange", m_yRange);
    loadSettings(set);
}

vector2df RectangleEmitter::drawOffset() {
    const u32 side = CRandom::instance().next() % 4;
    const f32 innerX = m_xRange.X, outerX = m_xRange.Y;
    const f32 innerY = m_yRange.X, outerY = m_yRange.Y;
    vector2df offset;
    switch (side) {
        case 0:
            offset.X = drawBetween(-outerX, outerX);
            offset.Y = drawRange(m_yRange);
            break;
        case 1:
            offset.X = drawRange(m_xRange);
            offset.Y = drawBetween(-outerY, outerY);
            break;
        case 2:
            offset.X = drawBetween(-outerX, outerX);
            offset.Y = drawBetween(-innerY, -outerY);
            break;
        default:
            offset.X = drawBetween(-innerX, -outerX);
            offset.Y = drawBetween(-outerY, outerY);
            break;
    }
    return offset;
}

f32 RectangleEmitter::drawStartScale() {
    const f32 first = m_settings.scaleRange.X;
    return drawBetween(first - m_settings.scaleVariation, m_settings.scaleVariation + first);
}

const CPropertyTable& RectangleEmitter::getPropertyTable() const {
    static const CPropertyTable table = [this] {
        CPropertyTable t;
        appendPropertyDescriptors(t, BaseEmitter::getPropertyTable());
        t.push_back(OSKEL_EMITTER_RANGE_ROW(RectangleEmitter, "XRange", setXRange, getXRange));
        t.push_back(OSKEL_EMITTER_RANGE_ROW(RectangleEmitter, "YRange", setYRange, getYRange));
        appendSettingsRows<RectangleEmitter>(t);
        return t;
    }();
    return table;
}

// ---- CEmitterFactory ----

namespace {
template <class E>
BaseEmitter* createEmitter(const CCreationContext& context) {
    return new E(context);
}
}  // namespace

CEmitterFactory::CEmitterFactory() {
    registerEmitterType(L"PointEmitter", &createEmitter<PointEmitter>);
    registerEmitterType(L"RectangleEmitter", &createEmitter<RectangleEmitter>);
}

void CEmitterFactory::registerEmitterType(const stringw& name, Creator creator) {
    if (!creator) return;
    m_creators.emplace(std::wstring(name.c_str(), name.size()), creator);
}

BaseEmitter* CEmitterFactory::createEmitterByName(const stringw& name, const CCreationContext& context) const {
    auto found = m_creators.find(std::wstring(name.c_str(), name.size()));
    return found != m_creators.end() ? found->second(context) : nullptr;
}

}  // namespace oskel
