#include "engine/nodes/SpawnerNode.h"

#include <cmath>

#include "engine/core/CLogger.h"
#include "engine/core/CRandom.h"
#include "engine/nodes/NodeResources.h"
#include "engine/properties/CPropertyData.h"
#include "engine/scene/SceneManager.h"
#include "engine/scene/TemplateCollectionNode.h"

namespace oskel {

namespace {

const vector2df DefaultZeroRange(0.0f, 0.0f);
const vector2df DefaultRateRange(1.0f, 1.0f);
const vector2df DefaultLifeTimeRange(1000.0f, 1000.0f);

f32 drawIn(const vector2df& range) { return CRandom::instance().nextFloatRange(range.X, range.Y); }

bool sameRange(const vector2df& a, const vector2df& b) { return a.X == b.X && a.Y == b.Y; }

// A drawn life time in whole milliseconds, kept inside the int range.
s32 toLifeTime(f32 value) {
    if (!(value > -2147483520.0f)) return value > 0.0f ? 2147483520 : -2147483520;
    if (!(value < 2147483520.0f)) return 2147483520;
    return static_cast<s32>(value);
}

}  // namespace

SpawnerNode::SpawnerNode(const CCreationContext& context, BaseNode* parent, SceneManager* manager)
    : BaseNode(context, parent, manager), IUpdateReceiver(UpdatePeriodMs) {}

SpawnerNode::~SpawnerNode() {
    m_templates.clear();
    m_objectsProperties = nullptr;
    setUpdateSource(nullptr);
}

const CPropertyTable& SpawnerNode::getPropertyTable() const {
    static const CPropertyTable table = [this] {
        CPropertyTable t = BaseNode::getPropertyTable();
        TPropertyTableBuilder<SpawnerNode>(t)
            .accessors<&SpawnerNode::getObjTemplate, &SpawnerNode::setObjTemplate>("ObjTemplate")
            .field<&SpawnerNode::m_enabled, &SpawnerNode::setEnabled>("Enabled")
            .field<&SpawnerNode::m_ghost>("IsSpawnedObjectGhost")
            .field<&SpawnerNode::m_startDelayRange>("ObjectsSpawnStartDelayRange")
            .field<&SpawnerNode::m_rateRange>("ObjectsPerSecRange")
            .field<&SpawnerNode::m_lifeTimeRange>("ObjectsLifeTimeRange")
            .field<&SpawnerNode::m_xRange>("ObjectsXDeltaRange")
            .field<&SpawnerNode::m_yRange>("ObjectsYDeltaRange")
            .field<&SpawnerNode::m_rotationRange>("ObjectsRotationDeltaRange");
        return t;
    }();
    return table;
}

BaseNode* SpawnerNode::clone(BaseNode* parent, SceneManager* manager) const {
    return cloneAs<SpawnerNode>(this, parent, manager);
}

const stringw& SpawnerNode::getClassName() const {
    static const stringw name(L"SpawnerNode");
    return name;
}

const stringw& SpawnerNode::getThisClassName() const {
    static const stringw name(L"SpawnerNode");
    return name;
}

// ---- Templates ----

void SpawnerNode::setObjTemplate(const stringc& text) {
    m_templateNames = parseNameIdList(text);
    resolveTemplates();
}

stringc SpawnerNode::getObjTemplate() const {
    stringc text;
    for (u32 i = 0; i < m_templateNames.size(); ++i) {
        if (i > 0) text += ";";
        text += m_templateNames[i].getName();
    }
    return text;
}

void SpawnerNode::resolveTemplates() {
    SceneManager* manager = getSceneManager();
    TemplateCollectionNode* collection = manager ? manager->getTemplateCollection() : nullptr;
    if (!collection) return;
    m_templates.clear();
    for (u32 i = 0; i < m_templateNames.size(); ++i)
        if (BaseNode* found = collection->findTemplate(m_templateNames[i].getId()))
            m_templates.emplace_back(found);
}

bool SpawnerNode::onSceneActivated(CEvent*) {
    resolveTemplates();
    return false;
}

bool SpawnerNode::onTemplatesChanged(CEvent*) {
    resolveTemplates();
    return false;
}

// ---- Time ----

void SpawnerNode::restartDelay() { m_accumulator = -drawIn(m_startDelayRange); }

void SpawnerNode::setEnabled(bool enabled) {
    m_enabled = enabled;
    if (!enabled)
        setUpdateSource(nullptr);
    else if (CTimerScheduler* scheduler = getSceneBinding().scheduler)
        setUpdateSource(scheduler);
}

void SpawnerNode::render(DrawList& list) {
    BaseNode::render(list);
    if (!isVisible() || !m_enabled || getUpdateSource()) return;
    CTimerScheduler* scheduler = getSceneBinding().scheduler;
    if (!scheduler) return;
    restartDelay();
    setUpdateSource(scheduler);
}

bool SpawnerNode::update(u32 elapsedMs) {
    m_accumulator += static_cast<f32>(elapsedMs);
    if (!(m_accumulator > 0.0f)) return true;  // the start delay runs down
    const f32 rate = drawIn(m_rateRange);
    // No rate (or a damaged one): nothing is due.
    if (!(rate > 0.0f)) return true;
    const f32 period = 1000.0f / rate;
    const f32 due = period > 0.0f ? std::floor(m_accumulator / period) : m_accumulator;
    if (!(due >= 1.0f)) return true;
    u32 count;
    if (due > static_cast<f32>(MaxSpawnsPerStep)) {
        // A rate that high would flood the scene: the bound's worth is made and the rest of the
        // time is dropped.
        count = MaxSpawnsPerStep;
        m_accumulator =
            period > 0.0f && std::isfinite(m_accumulator) ? std::fmod(m_accumulator, period) : 0.0f;
        if (!m_boundReported) {
            m_boundReported = true;
            CLogger::instance().logHint(
                "Spawner rate too high: objects beyond the limit of one step are left out",
                getNodeName().c_str(), LogWarning);
        }
    } else {
        count = static_cast<u32>(due);
        m_accumulator -= due * period;
    }
    spawn(count);
    return true;
}

void SpawnerNode::spawn(u32 count) {
    if (m_templates.empty() || count == 0) return;
    CRefPtr<SpawnerNode> self(this);
    // One template for the whole call.
    const CRefPtr<BaseNode> source =
        m_templates[CRandom::instance().next() % static_cast<u32>(m_templates.size())];
    for (u32 i = 0; i < count; ++i) {
        BaseNode* made = source->clone(this, getSceneManager());
        if (!made) continue;
        const f32 x = drawIn(m_xRange);
        const f32 y = drawIn(m_yRange);
        made->setPosition(vector3df(x, y, made->getPosition().Z));
        made->setRotation(vector3df(0.0f, 0.0f, drawIn(m_rotationRange)));
        // Flagged after it joined the children: drawn, but neither saved nor copied.
        if (m_ghost) made->setInternal(true);
        made->setVisible(true);
        if (CPropertySet* properties = m_objectsProperties.get())
            for (u32 k = 0; k < properties->getPropertyCount(); ++k)
                made->setPropertyByName(properties->getPropertyName(k),
                                        properties->getPropertyAt(k));
        made->setPropertyByName("LifeTime",
                                makePropertyDataInt(toLifeTime(drawIn(m_lifeTimeRange))));
    }
}

// ---- Copies and properties ----

void SpawnerNode::copyFrom(const BaseNode* source, SceneManager* manager) {
    BaseNode::copyFrom(source, manager);
    const auto* other = dynamic_cast<const SpawnerNode*>(source);
    if (!other || other == this) return;
    m_ghost = other->m_ghost;
    m_startDelayRange = other->m_startDelayRange;
    restartDelay();
    m_rateRange = other->m_rateRange;
    m_lifeTimeRange = other->m_lifeTimeRange;
    m_xRange = other->m_xRange;
    m_yRange = other->m_yRange;
    m_rotationRange = other->m_rotationRange;
    m_templateNames = other->m_templateNames;
    resolveTemplates();
    setEnabled(other->m_enabled);
    m_objectsProperties = other->m_objectsProperties;
}

void SpawnerNode::saveProperties(CPropertySet* set) const {
    if (!set) return;
    BaseNode::saveProperties(set);
    if (!m_templateNames.empty()) set->addString("ObjTemplate", getObjTemplate());
    if (!m_ghost) set->addBool("IsSpawnedObjectGhost", false);
    if (!m_enabled) set->addBool("Enabled", false);
    if (!sameRange(m_startDelayRange, DefaultZeroRange))
        set->addVector2d("ObjectsSpawnStartDelayRange", m_startDelayRange);
    if (!sameRange(m_rateRange, DefaultRateRange))
        set->addVector2d("ObjectsPerSecRange", m_rateRange);
    if (!sameRange(m_lifeTimeRange, DefaultLifeTimeRange))
        set->addVector2d("ObjectsLifeTimeRange", m_lifeTimeRange);
    if (!sameRange(m_xRange, DefaultZeroRange)) set->addVector2d("ObjectsXDeltaRange", m_xRange);
    if (!sameRange(m_yRange, DefaultZeroRange)) set->addVector2d("ObjectsYDeltaRange", m_yRange);
    if (!sameRange(m_rotationRange, DefaultZeroRange))
        set->addVector2d("ObjectsRotationDeltaRange", m_rotationRange);
    if (m_objectsProperties) set->addProperties("ObjectsProperties", m_objectsProperties.get());
}

void SpawnerNode::loadProperties(const CPropertySet* set) {
    if (!set) return;
    BaseNode::loadProperties(set);
    auto range = [set](const char* name, vector2df& member) {
        if (hasNodeProperty(set, name))
            member = unboxPropertyVector2d(set->getProperty(name).get());
    };
    if (hasNodeProperty(set, "ObjectsSpawnStartDelayRange")) {
        range("ObjectsSpawnStartDelayRange", m_startDelayRange);
        restartDelay();
    }
    range("ObjectsPerSecRange", m_rateRange);
    range("ObjectsLifeTimeRange", m_lifeTimeRange);
    range("ObjectsXDeltaRange", m_xRange);
    range("ObjectsYDeltaRange", m_yRange);
    range("ObjectsRotationDeltaRange", m_rotationRange);
    if (hasNodeProperty(set, "ObjectsProperties")) {
        const CRefPtr<IPropertyData> value = set->getProperty("ObjectsProperties");
        const auto* nested = dynamic_cast<const CPropertyDataProperties*>(value.get());
        m_objectsProperties.assign(nested && nested->getTypeId() == PropertyTypeProperties
                                       ? nested->getProperties()
                                       : nullptr);
    }
    if (hasNodeProperty(set, "ObjTemplate"))
        setObjTemplate(getPropertyString(set->getProperty("ObjTemplate").get()));
    if (hasNodeProperty(set, "Enabled"))
        setEnabled(unboxPropertyBool(set->getProperty("Enabled").get()));
    if (hasNodeProperty(set, "IsSpawnedObjectGhost"))
        m_ghost = unboxPropertyBool(set->getProperty("IsSpawnedObjectGhost").get());
}

}  // namespace oskel
