#include "engine/scene/animation/KeyFrame.h"

#include <algorithm>

#include "engine/io/CXmlReader.h"
#include "engine/io/CXmlWriter.h"
#include "engine/scene/BaseNode.h"

namespace oskel::animation {

namespace {

// Keys passed in one seek or tick at most: bounds the work on pathological key data.
constexpr unsigned long long MaxAdvanceSteps = 1u << 16;

stringw decimalW(long long value) { return stringw(stringc(static_cast<long>(value)).c_str()); }

stringw valueAttributeName(u32 index) {
    stringw name(L"Value");
    name += decimalW(index);
    return name;
}

}  // namespace

KeyFrame::KeyFrame() { setUpdatePeriod(DefaultPeriod); }

KeyFrame::~KeyFrame() = default;

const stringw& KeyFrame::staticTypeName() {
    static const stringw name(L"KeyFrame");
    return name;
}

void KeyFrame::setPeriod(s32 ms) { setUpdatePeriod(ms > 0 ? static_cast<u32>(ms) : DefaultPeriod); }

void KeyFrame::setProperties(CPropertySet* set) {
    m_properties.assign(set);
    buildPropertyMap();
    prepareKeys();
}

void KeyFrame::addKey(const KeyFrameKey& key) {
    m_keys.push_back(key);
    KeyFrameKey& added = m_keys.back();
    if (added.glide != 0) added.glide = -1;
    // A goto may name a key added later; one that names no key when it is reached is none.
    if (added.gotoKey < -1) added.gotoKey = -1;
    prepareKeys();
}

void KeyFrame::replaceKey(u32 index, const KeyFrameKey& key) {
    if (index >= m_keys.size()) return;
    m_keys[index] = key;
    KeyFrameKey& placed = m_keys[index];
    if (placed.glide != 0) placed.glide = -1;
    if (placed.gotoKey < -1) placed.gotoKey = -1;
    prepareKeys();
}

void KeyFrame::setTarget(BaseNode* node) {
    m_target = node;
    if (node) {
        buildPropertyMap();
        m_currentKey = 0;
        m_segmentTime = 0;
    }
}

void KeyFrame::buildPropertyMap() {
    m_propertyMap.clear();
    if (!m_target || !m_properties) return;
    const u32 count = m_properties->getPropertyCount();
    m_propertyMap.reserve(count);
    for (u32 i = 0; i < count; ++i) m_propertyMap.push_back(m_target->findPropertyIndex(m_properties->getPropertyName(i)));
}

u32 KeyFrame::usableValues(u32 k) const {
    if (!m_properties || k >= m_keys.size()) return 0;
    size_t n = std::min<size_t>(m_keys[k].values.size(), m_propertyMap.size());
    n = std::min<size_t>(n, m_properties->getPropertyCount());
    return static_cast<u32>(n);
}

void KeyFrame::applyKey(u32 k) {
    if (!m_target || !m_properties || k >= m_keys.size()) return;
    const u32 n = usableValues(k);
    for (u32 i = 0; i < n; ++i) {
        if (m_propertyMap[i] == -1 || !m_keys[k].values[i]) continue;
        CRefPtr<IPropertyData> value = m_keys[k].values[i]->clone();
        m_properties->setPropertyAt(i, value);
        m_target->setPropertyByIndex(m_propertyMap[i], value);
    }
}

void KeyFrame::interpolate(u32 k, u32 segmentTime) {
    if (k + 1 >= m_keys.size() || segmentTime == 0) {
        applyKey(k);
        return;
    }
    const KeyFrameKey& next = m_keys[k + 1];
    if (segmentTime >= next.t) {
        applyKey(k + 1);
        return;
    }
    if (next.glide != 0 || !m_target || !m_properties) return;
    const f32 f = static_cast<f32>(static_cast<f64>(segmentTime) / static_cast<f64>(next.t));
    const u32 n = std::min(usableValues(k), usableValues(k + 1));
    for (u32 i = 0; i < n; ++i) {
        if (m_propertyMap[i] == -1) continue;
        const IPropertyData* from = m_keys[k].values[i].get();
        const IPropertyData* to = next.values[i].get();
        CRefPtr<IPropertyData> current = m_properties->getPropertyAt(i);
        if (!from || !to || !current) continue;
        if (from->interpolate(to, current.get(), f)) m_target->setPropertyByIndex(m_propertyMap[i], current);
    }
}

bool KeyFrame::advance() {
    bool looped = false;
    const u32 count = static_cast<u32>(m_keys.size());
    u32 idleSteps = 0;
    // Keys jumped back to in this call, with the segment time on landing: landing on one again
    // closes a cycle whose length is the time spent since, and the time left is taken modulo
    // that length, so that a long time costs no more than a short one.
    std::vector<std::pair<u32, u32>> landings;
    for (unsigned long long steps = 0; steps < MaxAdvanceSteps; ++steps) {
        if (m_currentKey + 1 >= count) break;
        const u32 t = m_keys[m_currentKey + 1].t;
        if (m_segmentTime < t) break;
        m_segmentTime -= t;
        idleSteps = t == 0 ? idleSteps + 1 : 0;
        const u32 reached = m_currentKey + 1;
        m_currentKey = reached;
        const s32 target = m_keys[reached].gotoKey;
        if (target >= 0 && static_cast<u32>(target) < count) {
            const u32 g = static_cast<u32>(target);
            if (g < reached) {
                bool timeless = true;
                for (u32 j = g + 1; j <= reached && timeless; ++j)
                    if (m_keys[j].t != 0 || (j < reached && m_keys[j].gotoKey != -1)) timeless = false;
                if (timeless) {
                    // A plain loop that takes no time would never let time pass: the goto is
                    // not followed and the key is shown.
                    continue;
                }
                m_currentKey = g;
                looped = true;
                auto landing = std::find_if(landings.begin(), landings.end(),
                                            [g](const std::pair<u32, u32>& l) { return l.first == g; });
                if (landing == landings.end()) {
                    landings.emplace_back(g, m_segmentTime);
                } else {
                    const u32 cycle = landing->second - m_segmentTime;
                    if (cycle == 0) break;  // a cycle of keys without length
                    m_segmentTime %= cycle;
                    landing->second = m_segmentTime;
                }
            } else {
                m_currentKey = g;
            }
        }
        // Gotos among keys of no length that turn in a circle: stop where we are.
        if (idleSteps > count) break;
    }
    return looped;
}

void KeyFrame::setTime(u32 ms, bool apply) {
    if (ms == 0) ms = m_timeShift;
    m_currentKey = 0;
    m_segmentTime = ms;
    advance();
    if (!apply || !m_properties || m_keys.empty()) return;
    if (m_segmentTime != 0 && m_currentKey + 1 < m_keys.size() && m_keys[m_currentKey + 1].glide == -1)
        applyKey(m_currentKey);
    else
        interpolate(m_currentKey, m_segmentTime);
}

u32 KeyFrame::getTime() const {
    unsigned long long sum = m_segmentTime;
    for (u32 k = 0; k <= m_currentKey && k < m_keys.size(); ++k) sum += m_keys[k].t;
    return static_cast<u32>(std::min<unsigned long long>(sum, 0xffffffffu));
}

u32 KeyFrame::getDuration() const {
    unsigned long long sum = 0;
    for (const KeyFrameKey& key : m_keys) sum += key.t;
    return static_cast<u32>(std::min<unsigned long long>(sum, 0xffffffffu));
}

void KeyFrame::stop(bool toEnd, bool notify) {
    if (toEnd && !m_keys.empty()) applyKey(static_cast<u32>(m_keys.size() - 1));
    Base::stop(toEnd, notify);
}

bool KeyFrame::update(u32 elapsedMs) {
    CTimerScheduler* scheduler = getUpdateSource();
    if (!m_target || !scheduler) return true;
    CRefPtr<KeyFrame> self(this);
    bool looped = false;
    bool answer = true;
    if (m_keys.empty()) {
        // Nothing to play: the animation ends at once.
        scheduler->removeTimer(this);
        answer = false;
    } else {
        const u32 previous = m_currentKey;
        m_segmentTime = elapsedMs > 0xffffffffu - m_segmentTime ? 0xffffffffu : m_segmentTime + elapsedMs;
        looped = advance();
        if (m_currentKey + 1 < m_keys.size()) {
            if (m_keys[m_currentKey + 1].glide == -1 && (m_currentKey != previous || looped))
                applyKey(m_currentKey);
            else
                interpolate(m_currentKey, m_segmentTime);
        } else {
            applyKey(m_currentKey);
            scheduler->removeTimer(this);
            answer = false;
        }
    }
    if (m_running && (looped || !answer)) notifyFinished(static_cast<s32>(m_segmentTime), looped);
    // The notice may have started the animation again (a state that follows itself): then it
    // keeps ticking.
    if (!answer && getUpdateSource()) return true;
    return answer;
}

void KeyFrame::prepareKeys() {
    for (size_t k = 1; k < m_keys.size(); ++k) {
        const KeyFrameKey& prev = m_keys[k - 1];
        const KeyFrameKey& key = m_keys[k];
        const size_t n = std::min(prev.values.size(), key.values.size());
        for (size_t j = 0; j < n; ++j)
            if (prev.values[j] && key.values[j]) prev.values[j]->prepareInterpolation(key.values[j].get());
    }
}

void KeyFrame::readXml(CXmlReader* reader, IContentManager* contentManager, const stringw& elementName) {
    m_keys.clear();
    m_properties = nullptr;
    m_propertyMap.clear();
    if (!reader) return;
    setPeriod(reader->getAttributeValueAsInt(L"Period", static_cast<s32>(DefaultPeriod)));
    const s32 shift = reader->getAttributeValueAsInt(L"TimeShift", 0);
    m_timeShift = shift > 0 ? static_cast<u32>(shift) : 0;
    const bool empty = reader->getNodeType() == XmlNodeElement && reader->isEmptyElement();
    while (!empty && reader->read()) {
        const EXmlNodeType type = reader->getNodeType();
        if (type == XmlNodeElementEnd && reader->getNodeName() == elementName) break;
        if (type != XmlNodeElement) continue;
        if (reader->getNodeName() == L"Properties") {
            CRefPtr<CPropertySet> set = makeRef<CPropertySet>(contentManager);
            set->readXml(reader);
            m_properties = set;
        } else if (reader->getNodeName() == L"KeyFrame") {
            KeyFrameKey key;
            const s32 t = reader->getAttributeValueAsInt(L"t", 0);
            key.t = t > 0 ? static_cast<u32>(t) : 0;
            key.gotoKey = reader->getAttributeValueAsInt(L"g", -1);
            key.glide = reader->getAttributeValueAsInt(L"i", -1) == 0 ? 0 : -1;
            const u32 count = m_properties ? m_properties->getPropertyCount() : 0;
            for (u32 k = 0; k < count; ++k) {
                CRefPtr<IPropertyData> prototype = m_properties->getPropertyAt(k);
                CRefPtr<IPropertyData> value = prototype ? prototype->clone() : CRefPtr<IPropertyData>();
                if (value) value->setValueStringW(reader->getAttributeValue(valueAttributeName(k).c_str()).c_str());
                key.values.push_back(value);
            }
            m_keys.push_back(key);
        }
    }
    // A goto must name a key.
    for (KeyFrameKey& key : m_keys)
        if (key.gotoKey < -1 || key.gotoKey >= static_cast<s32>(m_keys.size())) key.gotoKey = -1;
    prepareKeys();
    buildPropertyMap();
    m_currentKey = 0;
    m_segmentTime = 0;
}

void KeyFrame::writeXml(CXmlWriter* writer, const stringw& elementName) const {
    if (!writer) return;
    array<stringw> names;
    array<stringw> values;
    if (getUpdatePeriod() != DefaultPeriod) {
        names.push_back(L"Period");
        values.push_back(decimalW(getUpdatePeriod()));
    }
    if (m_timeShift != 0) {
        names.push_back(L"TimeShift");
        values.push_back(decimalW(m_timeShift));
    }
    writeOpening(writer, elementName, names, values);
    if (m_properties && m_properties->getPropertyCount() > 0) m_properties->writeXml(writer);
    for (const KeyFrameKey& key : m_keys) {
        if (key.values.empty()) continue;
        array<stringw> keyNames;
        array<stringw> keyValues;
        keyNames.push_back(L"t");
        keyValues.push_back(decimalW(key.t));
        if (key.gotoKey != -1) {
            keyNames.push_back(L"g");
            keyValues.push_back(decimalW(key.gotoKey));
        }
        if (key.glide != -1) {
            keyNames.push_back(L"i");
            keyValues.push_back(decimalW(key.glide));
        }
        for (u32 i = 0; i < key.values.size(); ++i) {
            keyNames.push_back(valueAttributeName(i));
            keyValues.push_back(key.values[i] ? key.values[i]->getValueStringW() : stringw());
        }
        writer->writeElement(L"KeyFrame", true, keyNames, keyValues);
        writer->writeLineBreak();
    }
    writer->writeClosingTag(elementName.c_str());
    writer->writeLineBreak();
}

Base* KeyFrame::clone() const {
    auto* copy = new KeyFrame();
    copy->m_nameId = m_nameId;
    copy->setUpdatePeriod(getUpdatePeriod());
    if (m_properties) copy->m_properties = m_properties->clone();
    copy->m_keys = m_keys;
    // Scene content is handed out as copies of the loaded tree: the start position goes along.
    copy->m_timeShift = m_timeShift;
    return copy;
}

}  // namespace oskel::animation
