#include "game/level/GLevelPaths.h"

#include "engine/core/CRandom.h"
#include "engine/core/StringUtils.h"
#include "engine/io/CXmlReader.h"
#include "game/config/ConfigurationXml.h"

namespace brasquel {

using namespace oskel;
using config::isElement;
using config::isElementEnd;

namespace {

// The first count numbers of the text: each begins at a digit or a '-', everything else
// separates them; numbers that are missing stay 0.
void readNumbers(const stringw& text, f32* values, u32 count) {
    for (u32 i = 0; i < count; ++i) values[i] = 0.0f;
    const wchar_t* p = text.c_str();
    u32 found = 0;
    while (*p && found < count) {
        if ((*p >= L'0' && *p <= L'9') || *p == L'-') {
            f32 value = 0.0f;
            const wchar_t* end = parseWideFloat(p, value);
            values[found++] = value;
            p = (end && end > p) ? end : p + 1;
        } else {
            ++p;
        }
    }
}

s32 truncatedInt(f32 value) {
    if (value >= 2147483647.0f) return 2147483647;
    if (value <= -2147483648.0f) return -2147483647 - 1;
    return static_cast<s32>(value);
}

}  // namespace

void GLevelPath::read(CXmlReader* reader) {
    if (!reader) return;
    const stringc id = config::narrowAttribute(reader, L"ID");
    ID = id.empty() ? -1 : CNameTable::instance().getId(id);

    f32 time[2];
    readNumbers(reader->getAttributeValue(L"Time"), time, 2);
    Time[0] = truncatedInt(time[0]);
    Time[1] = truncatedInt(time[1]);

    Cars.clear();
    const array<CNameId> cars = parseNameIdList(config::narrowAttribute(reader, L"Cars"));
    for (u32 i = 0; i < cars.size(); ++i) Cars.push_back(cars[i]);

    BothWays = !reader->getAttributeValue(L"b").empty();

    Points.clear();
    if (reader->isEmptyElement()) return;
    while (reader->read()) {
        if (isElementEnd(reader, L"Path")) return;
        if (!isElement(reader, L"p")) continue;
        f32 xy[2];
        readNumbers(reader->getAttributeValue(L"p"), xy, 2);
        SLevelPathPoint point;
        point.x = xy[0];
        point.y = xy[1];
        point.d1 = reader->getAttributeValueAsFloat(L"d1", 0.0f);
        point.d2 = reader->getAttributeValueAsFloat(L"d2", 0.0f);
        Points.push_back(point);
    }
}

bool GLevelPaths::read(CXmlReader* reader) {
    m_carPaths.clear();
    m_pedestrianPaths.clear();
    m_lastPedestrian = -1;  // the last choice was one of the paths dropped
    if (!reader) return false;
    while (reader->read()) {
        if (isElementEnd(reader, L"LevelPaths")) return true;
        if (isElement(reader, L"CarPaths"))
            readCarPaths(reader);
        else if (isElement(reader, L"PedestrianPaths"))
            readPedestrianPaths(reader);
    }
    return false;
}

void GLevelPaths::readCarPaths(CXmlReader* reader) {
    if (reader->isEmptyElement()) return;
    while (reader->read()) {
        if (isElementEnd(reader, L"CarPaths")) return;
        if (!isElement(reader, L"Path")) continue;
        CRefPtr<GLevelPath> path = makeRef<GLevelPath>();
        path->read(reader);
        if (path->ID == -1) continue;  // a vehicle path belongs to a group or to nothing
        m_carPaths[path->ID].paths.push_back(path);
    }
}

void GLevelPaths::readPedestrianPaths(CXmlReader* reader) {
    if (reader->isEmptyElement()) return;
    while (reader->read()) {
        if (isElementEnd(reader, L"PedestrianPaths")) return;
        if (!isElement(reader, L"Path")) continue;
        CRefPtr<GLevelPath> path = makeRef<GLevelPath>();
        path->read(reader);
        m_pedestrianPaths.push_back(path);
    }
}

s32 GLevelPaths::chooseIndex(u32 count, s32& last) {
    if (count == 0) return -1;
    CRandom& random = CRandom::instance();
    s32 index;
    if (last == -1 || count < 2) {
        index = static_cast<s32>(random.next() % count);
    } else {
        index = static_cast<s32>(random.next() % (count - 1));
        if (index == last) index = static_cast<s32>(count - 1);
    }
    last = index;
    return index;
}

GLevelPath* GLevelPaths::getRandomCarPath(s32 nameId) {
    auto found = m_carPaths.find(nameId);
    if (found == m_carPaths.end() || found->second.paths.empty()) return nullptr;
    SGroup& group = found->second;
    const s32 index = chooseIndex(static_cast<u32>(group.paths.size()), group.last);
    return group.paths[static_cast<size_t>(index)].get();
}

GLevelPath* GLevelPaths::getRandomPedestrianPath() {
    if (m_pedestrianPaths.empty()) return nullptr;
    const s32 index = chooseIndex(static_cast<u32>(m_pedestrianPaths.size()), m_lastPedestrian);
    return m_pedestrianPaths[static_cast<size_t>(index)].get();
}

GLevelPaths::PathList GLevelPaths::getCarPaths(s32 nameId) const {
    auto found = m_carPaths.find(nameId);
    return found == m_carPaths.end() ? PathList() : found->second.paths;
}

}  // namespace brasquel
