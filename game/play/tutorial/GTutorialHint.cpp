#include "game/play/tutorial/GTutorialHint.h"

#include <cmath>
#include <limits>

#include "engine/core/StringUtils.h"
#include "engine/io/CXmlReader.h"
#include "game/config/ConfigurationXml.h"

namespace brasquel {

using namespace oskel;
using irr::core::vector3df;

namespace {

// A flag attribute: set only by the exact text "true".
bool readFlag(const CXmlReader* reader, const wchar_t* name) {
    return reader->getAttributeValue(name) == stringw(L"true");
}

bool isDigit(wchar_t c) { return c >= L'0' && c <= L'9'; }

// A number starts at a digit, or at a '-' before a digit.
bool startsNumber(const wchar_t* p) { return isDigit(p[0]) || (p[0] == L'-' && isDigit(p[1])); }

}  // namespace

vector3df parseTutorialVector(const stringw& text) {
    f32 values[3] = {0.0f, 0.0f, 0.0f};
    const wchar_t* p = text.c_str();
    u32 found = 0;
    while (p && *p && found < 3) {
        if (!startsNumber(p)) {
            ++p;
            continue;
        }
        f32 value = 0.0f;
        const wchar_t* after = parseWideFloat(p, value);
        if (!after || after == p) break;
        values[found++] = value;
        p = after;
    }
    return vector3df(values[0], values[1], values[2]);
}

s32 readTruncatedInt(const CXmlReader* reader, const wchar_t* name, s32 defaultValue) {
    const f64 value = std::trunc(
        static_cast<f64>(reader->getAttributeValueAsFloat(name, static_cast<f32>(defaultValue))));
    if (std::isnan(value)) return 0;
    if (value >= static_cast<f64>(std::numeric_limits<s32>::max()))
        return std::numeric_limits<s32>::max();
    if (value <= static_cast<f64>(std::numeric_limits<s32>::min()))
        return std::numeric_limits<s32>::min();
    return static_cast<s32>(value);
}

bool readTutorialArrows(CXmlReader* reader, array<STutorialArrow>& arrows) {
    if (reader->isEmptyElement()) return true;
    while (reader->read()) {
        if (config::isElement(reader, L"Arrow")) {
            STutorialArrow arrow;
            arrow.Position = parseTutorialVector(reader->getAttributeValue(L"Position"));
            arrow.Rotation =
                vector3df(0.0f, 0.0f, reader->getAttributeValueAsFloat(L"Rotation", 0.0f));
            arrows.push_back(arrow);
        } else if (config::isElementEnd(reader, L"Arrows")) {
            return true;
        }
    }
    return false;
}

bool GTutorialHint::read(CXmlReader* reader) {
    Tip = readFlag(reader, L"Tip");
    MessageBox = readFlag(reader, L"MessageBox");
    Linnet = readFlag(reader, L"Linnet");
    if (reader->isEmptyElement()) return true;
    while (reader->read()) {
        if (reader->getNodeType() == XmlNodeElement) {
            const stringw& name = reader->getNodeName();
            if (name == stringw(L"Position")) {
                Position = parseTutorialVector(reader->getAttributeValue(L"Value"));
            } else if (name == stringw(L"TextBgType")) {
                TextBgType = readTruncatedInt(reader, L"Value");
            } else if (name == stringw(L"TextPosition")) {
                TextPosition = parseTutorialVector(reader->getAttributeValue(L"Value"));
            } else if (name == stringw(L"Text")) {
                Text = reader->getAttributeValue(L"Value");
            } else if (name == stringw(L"ImageFilename")) {
                ImageFilename = config::narrowAttribute(reader, L"Value");
            } else if (name == stringw(L"Actions")) {
                if (!readTutorialActions(reader, Actions)) return false;
            } else if (name == stringw(L"Arrows")) {
                if (!readTutorialArrows(reader, Arrows)) return false;
            }
        } else if (config::isElementEnd(reader, L"Hint")) {
            return true;
        }
    }
    return false;
}

bool readTutorialSteps(CXmlReader* reader, array<CRefPtr<GTutorialHint>>& steps) {
    steps.clear();
    if (!reader) return false;
    while (reader->read()) {
        if (config::isElement(reader, L"Hint")) {
            auto step = makeRef<GTutorialHint>();
            const bool complete = step->read(reader);
            steps.push_back(step);
            if (!complete) return false;
        } else if (config::isElementEnd(reader, L"Tutorial")) {
            return true;
        }
    }
    return false;
}

}  // namespace brasquel
