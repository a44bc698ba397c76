#include "engine/properties/CPropertyData.h"

#include <charconv>
#include <cmath>

#include "engine/core/CLogger.h"
#include "engine/core/StringUtils.h"
#include "engine/io/CXmlReader.h"
#include "engine/io/CXmlWriter.h"
#include "engine/properties/CPropertySet.h"
#include "engine/properties/PropertyText.h"

namespace oskel {

OSKEL_DEFINE_PROPERTY_DATA_NAMES(CPropertyDataInt, L"int", L"CPropertyDataInt")
OSKEL_DEFINE_PROPERTY_DATA_NAMES(CPropertyDataBool, L"bool", L"CPropertyDataBool")
OSKEL_DEFINE_PROPERTY_DATA_NAMES(CPropertyDataFloat, L"float", L"CPropertyDataFloat")
OSKEL_DEFINE_PROPERTY_DATA_NAMES(CPropertyDataColor, L"color", L"CPropertyDataColor")
OSKEL_DEFINE_PROPERTY_DATA_NAMES(CPropertyDataColorf, L"colorf", L"CPropertyDataColorf")
OSKEL_DEFINE_PROPERTY_DATA_NAMES(CPropertyDataVector2d, L"vector2d", L"CPropertyDataVector2d")
OSKEL_DEFINE_PROPERTY_DATA_NAMES(CPropertyDataVector3d, L"vector3d", L"CPropertyDataVector3d")
OSKEL_DEFINE_PROPERTY_DATA_NAMES(CPropertyDataRect, L"rect", L"CPropertyDataRect")
OSKEL_DEFINE_PROPERTY_DATA_NAMES(CPropertyDataString, L"string", L"CPropertyDataString")
OSKEL_DEFINE_PROPERTY_DATA_NAMES(CPropertyDataStringW, L"stringw", L"CPropertyDataStringW")
OSKEL_DEFINE_PROPERTY_DATA_NAMES(CPropertyDataStringWArray, L"stringwArray", L"CPropertyDataStringWArray")
OSKEL_DEFINE_PROPERTY_DATA_NAMES(CPropertyDataProperties, L"properties", L"CPropertyDataProperties")

namespace {

// The value as its own class when it is one, else null.
template <class T>
const T* asType(const IPropertyData* value) {
    const T* typed = dynamic_cast<const T*>(value);
    return typed && typed->getTypeId() == T::TypeId ? typed : nullptr;
}

template <class T>
T* asType(IPropertyData* value) {
    T* typed = dynamic_cast<T*>(value);
    return typed && typed->getTypeId() == T::TypeId ? typed : nullptr;
}

// Texts that hold no number are logged once per reading; they leave the value at zero.
void logUnreadable(const char* what, const c8* text) {
    if (!text || !*text) return;  // an empty (or absent) text quietly gives the default
    stringc hint(text);
    if (hint.size() > 64) hint = hint.subString(0, 64) + "...";
    CLogger::instance().logHint(what, hint.c_str(), LogWarning);
}

// from + (to - from) x t, landing exactly on the target at t = 1.
f32 lerp(f32 from, f32 to, f32 t) { return t == 1.0f ? to : from + (to - from) * t; }

// The colour channel form: from x (1 - t) + to x t.
f32 blend(f32 from, f32 to, f32 t) { return t == 1.0f ? to : from * (1.0f - t) + to * t; }

u32 blendChannel(u32 from, u32 to, f32 t) {
    const f32 v = blend(static_cast<f32>(from), static_cast<f32>(to), t);
    if (!(v > 0.0f)) return 0;  // NaN included
    if (v >= 255.0f) return 255;
    return static_cast<u32>(v);
}

stringc joinFloats(const f32* values, u32 count) {
    stringc text;
    for (u32 i = 0; i < count; ++i) {
        if (i) text += ";";
        text += formatPropertyFloat(values[i]);
    }
    return text;
}

// Reads count components; logs a text that holds none.
void readFloats(const c8* text, f32* values, u32 count) {
    if (scanPropertyFloats(text, values, count) == 0) logUnreadable("Property value is not a number", text);
}

}  // namespace

// ---- numbers ----

void CPropertyDataNumeric::setValueStringW(const wchar_t* text) { setValueString(narrowNumberText(text).c_str()); }

CRefPtr<IPropertyData> CPropertyDataInt::clone() const { return makePropertyDataInt(m_value); }

stringc CPropertyDataInt::getValueString() const {
    char buffer[16];
    const std::to_chars_result r = std::to_chars(buffer, buffer + sizeof buffer - 1, m_value);
    *r.ptr = 0;
    return stringc(buffer);
}

void CPropertyDataInt::setValueString(const c8* text) {
    bool valid = false;
    m_value = parsePropertyInt(text, &valid);
    if (!valid) logUnreadable("Property value is not a number", text);
}

bool CPropertyDataInt::equals(const IPropertyData* other) const {
    const CPropertyDataInt* o = asType<CPropertyDataInt>(other);
    return o && o->m_value == m_value;
}

bool CPropertyDataInt::interpolate(const IPropertyData* target, IPropertyData* result, f32 t) const {
    const CPropertyDataInt* to = asType<CPropertyDataInt>(target);
    CPropertyDataInt* out = asType<CPropertyDataInt>(result);
    if (!to || !out) return false;
    // In double precision: the difference of two 32-bit values and its product with t are exact
    // enough that t = 1 lands on the target, and nothing overflows.
    const double difference = static_cast<double>(to->m_value) - static_cast<double>(m_value);
    double step = std::trunc(difference * static_cast<double>(t));
    if (std::isnan(step)) step = 0.0;
    const double value = static_cast<double>(m_value) + step;
    if (value >= 2147483647.0)
        out->m_value = 2147483647;
    else if (value <= -2147483648.0)
        out->m_value = -2147483647 - 1;
    else
        out->m_value = static_cast<s32>(value);
    return true;
}

CRefPtr<IPropertyData> CPropertyDataBool::clone() const { return makePropertyDataBool(m_value); }

stringc CPropertyDataBool::getValueString() const { return stringc(m_value ? "true" : "false"); }

void CPropertyDataBool::setValueString(const c8* text) {
    const stringc value(text ? text : "");
    m_value = value == "true";
    if (!m_value && value != "false") logUnreadable("Property value is not a boolean", text);
}

bool CPropertyDataBool::equals(const IPropertyData* other) const {
    const CPropertyDataBool* o = asType<CPropertyDataBool>(other);
    return o && o->m_value == m_value;
}

bool CPropertyDataBool::interpolate(const IPropertyData* target, IPropertyData* result, f32 t) const {
    const CPropertyDataBool* to = asType<CPropertyDataBool>(target);
    CPropertyDataBool* out = asType<CPropertyDataBool>(result);
    if (!to || !out) return false;
    const bool value = t == 1.0f ? to->m_value : m_value;
    const bool changed = out->m_value != value;
    out->m_value = value;
    return changed;
}

CRefPtr<IPropertyData> CPropertyDataFloat::clone() const { return makePropertyDataFloat(m_value); }

stringc CPropertyDataFloat::getValueString() const { return formatPropertyFloat(m_value); }

void CPropertyDataFloat::setValueString(const c8* text) {
    bool valid = false;
    m_value = parsePropertyFloat(text, nullptr, &valid);
    if (!valid) logUnreadable("Property value is not a number", text);
}

bool CPropertyDataFloat::equals(const IPropertyData* other) const {
    const CPropertyDataFloat* o = asType<CPropertyDataFloat>(other);
    return o && o->m_value == m_value;
}

bool CPropertyDataFloat::interpolate(const IPropertyData* target, IPropertyData* result, f32 t) const {
    const CPropertyDataFloat* to = asType<CPropertyDataFloat>(target);
    CPropertyDataFloat* out = asType<CPropertyDataFloat>(result);
    if (!to || !out) return false;
    out->m_value = lerp(m_value, to->m_value, t);
    return true;
}

CRefPtr<IPropertyData> CPropertyDataColor::clone() const {
    return CRefPtr<IPropertyData>::fromRaw(new CPropertyDataColor(m_value));
}

stringc CPropertyDataColor::getValueString() const { return formatPropertyColor(m_value.color); }

void CPropertyDataColor::setValueString(const c8* text) {
    bool valid = false;
    m_value.color = parsePropertyColor(text, &valid);
    if (!valid) logUnreadable("Property value is not a colour", text);
}

bool CPropertyDataColor::equals(const IPropertyData* other) const {
    const CPropertyDataColor* o = asType<CPropertyDataColor>(other);
    return o && o->m_value.color == m_value.color;
}

bool CPropertyDataColor::interpolate(const IPropertyData* target, IPropertyData* result, f32 t) const {
    const CPropertyDataColor* to = asType<CPropertyDataColor>(target);
    CPropertyDataColor* out = asType<CPropertyDataColor>(result);
    if (!to || !out) return false;
    const u32 a = m_value.color;
    const u32 b = to->m_value.color;
    u32 value = 0;
    for (u32 shift = 0; shift < 32; shift += 8)
        value |= blendChannel((a >> shift) & 0xffu, (b >> shift) & 0xffu, t) << shift;
    out->m_value.color = value;
    return true;
}

CRefPtr<IPropertyData> CPropertyDataColorf::clone() const {
    return CRefPtr<IPropertyData>::fromRaw(new CPropertyDataColorf(m_value));
}

stringc CPropertyDataColorf::getValueString() const {
    const f32 values[4] = {m_value.r, m_value.g, m_value.b, m_value.a};
    return joinFloats(values, 4);
}

void CPropertyDataColorf::setValueString(const c8* text) {
    f32 values[4];
    readFloats(text, values, 4);
    m_value = irr::video::SColorf(values[0], values[1], values[2], values[3]);
}

bool CPropertyDataColorf::equals(const IPropertyData* other) const {
    const CPropertyDataColorf* o = asType<CPropertyDataColorf>(other);
    return o && o->m_value.r == m_value.r && o->m_value.g == m_value.g && o->m_value.b == m_value.b &&
           o->m_value.a == m_value.a;
}

bool CPropertyDataColorf::interpolate(const IPropertyData* target, IPropertyData* result, f32 t) const {
    const CPropertyDataColorf* to = asType<CPropertyDataColorf>(target);
    CPropertyDataColorf* out = asType<CPropertyDataColorf>(result);
    if (!to || !out) return false;
    const irr::video::SColorf& b = to->m_value;
    out->m_value = irr::video::SColorf(blend(m_value.r, b.r, t), blend(m_value.g, b.g, t), blend(m_value.b, b.b, t),
                                       blend(m_value.a, b.a, t));
    return true;
}

CRefPtr<IPropertyData> CPropertyDataVector2d::clone() const { return makePropertyDataVector2d(m_value); }

stringc CPropertyDataVector2d::getValueString() const {
    const f32 values[2] = {m_value.X, m_value.Y};
    return joinFloats(values, 2);
}

void CPropertyDataVector2d::setValueString(const c8* text) {
    f32 values[2];
    readFloats(text, values, 2);
    m_value.set(values[0], values[1]);
}

bool CPropertyDataVector2d::equals(const IPropertyData* other) const {
    const CPropertyDataVector2d* o = asType<CPropertyDataVector2d>(other);
    return o && o->m_value.X == m_value.X && o->m_value.Y == m_value.Y;
}

bool CPropertyDataVector2d::interpolate(const IPropertyData* target, IPropertyData* result, f32 t) const {
    const CPropertyDataVector2d* to = asType<CPropertyDataVector2d>(target);
    CPropertyDataVector2d* out = asType<CPropertyDataVector2d>(result);
    if (!to || !out) return false;
    out->m_value.set(lerp(m_value.X, to->m_value.X, t), lerp(m_value.Y, to->m_value.Y, t));
    return true;
}

CRefPtr<IPropertyData> CPropertyDataVector3d::clone() const { return makePropertyDataVector3d(m_value); }

stringc CPropertyDataVector3d::getValueString() const {
    const f32 values[3] = {m_value.X, m_value.Y, m_value.Z};
    return joinFloats(values, 3);
}

void CPropertyDataVector3d::setValueString(const c8* text) {
    f32 values[3];
    readFloats(text, values, 3);
    m_value.set(values[0], values[1], values[2]);
}

bool CPropertyDataVector3d::equals(const IPropertyData* other) const {
    const CPropertyDataVector3d* o = asType<CPropertyDataVector3d>(other);
    if (!o) return false;
    const f32 tolerance = 1e-6f;
    return std::fabs(o->m_value.X - m_value.X) <= tolerance && std::fabs(o->m_value.Y - m_value.Y) <= tolerance &&
           std::fabs(o->m_value.Z - m_value.Z) <= tolerance;
}

bool CPropertyDataVector3d::interpolate(const IPropertyData* target, IPropertyData* result, f32 t) const {
    const CPropertyDataVector3d* to = asType<CPropertyDataVector3d>(target);
    CPropertyDataVector3d* out = asType<CPropertyDataVector3d>(result);
    if (!to || !out) return false;
    out->m_value.set(lerp(m_value.X, to->m_value.X, t), lerp(m_value.Y, to->m_value.Y, t),
                     lerp(m_value.Z, to->m_value.Z, t));
    return true;
}

CRefPtr<IPropertyData> CPropertyDataRect::clone() const {
    return CRefPtr<IPropertyData>::fromRaw(new CPropertyDataRect(m_value));
}

stringc CPropertyDataRect::getValueString() const {
    const f32 values[4] = {m_value.UpperLeftCorner.X, m_value.UpperLeftCorner.Y, m_value.LowerRightCorner.X,
                           m_value.LowerRightCorner.Y};
    return joinFloats(values, 4);
}

void CPropertyDataRect::setValueString(const c8* text) {
    f32 values[4];
    readFloats(text, values, 4);
    m_value = rectf(values[0], values[1], values[2], values[3]);
}

bool CPropertyDataRect::equals(const IPropertyData* other) const {
    const CPropertyDataRect* o = asType<CPropertyDataRect>(other);
    return o && o->m_value.UpperLeftCorner.X == m_value.UpperLeftCorner.X &&
           o->m_value.UpperLeftCorner.Y == m_value.UpperLeftCorner.Y &&
           o->m_value.LowerRightCorner.X == m_value.LowerRightCorner.X &&
           o->m_value.LowerRightCorner.Y == m_value.LowerRightCorner.Y;
}

bool CPropertyDataRect::interpolate(const IPropertyData* target, IPropertyData* result, f32 t) const {
    const CPropertyDataRect* to = asType<CPropertyDataRect>(target);
    CPropertyDataRect* out = asType<CPropertyDataRect>(result);
    if (!to || !out) return false;
    const rectf& b = to->m_value;
    out->m_value = rectf(lerp(m_value.UpperLeftCorner.X, b.UpperLeftCorner.X, t),
                         lerp(m_value.UpperLeftCorner.Y, b.UpperLeftCorner.Y, t),
                         lerp(m_value.LowerRightCorner.X, b.LowerRightCorner.X, t),
                         lerp(m_value.LowerRightCorner.Y, b.LowerRightCorner.Y, t));
    return true;
}

// ---- texts ----

CRefPtr<IPropertyData> CPropertyDataString::clone() const { return makeStringProperty(m_value); }

void CPropertyDataString::setValueString(const c8* text) { m_value = text ? text : ""; }

bool CPropertyDataString::equals(const IPropertyData* other) const {
    const CPropertyDataString* o = asType<CPropertyDataString>(other);
    return o && o->m_value == m_value;
}

bool CPropertyDataString::interpolate(const IPropertyData* target, IPropertyData* result, f32 t) const {
    const CPropertyDataString* to = asType<CPropertyDataString>(target);
    CPropertyDataString* out = asType<CPropertyDataString>(result);
    if (!to || !out || !(t >= 1.0f)) return false;
    out->m_value = to->m_value;
    return true;
}

CRefPtr<IPropertyData> CPropertyDataStringW::clone() const { return makePropertyDataStringW(m_value); }

stringc CPropertyDataStringW::getValueString() const { return narrowLowBytes(m_value.c_str()); }

void CPropertyDataStringW::setValueString(const c8* text) { m_value = widenLatin1(text); }

void CPropertyDataStringW::setValueStringW(const wchar_t* text) { m_value = text ? text : L""; }

bool CPropertyDataStringW::equals(const IPropertyData* other) const {
    const CPropertyDataStringW* o = asType<CPropertyDataStringW>(other);
    return o && o->m_value == m_value;
}

bool CPropertyDataStringW::interpolate(const IPropertyData* target, IPropertyData* result, f32 t) const {
    const CPropertyDataStringW* to = asType<CPropertyDataStringW>(target);
    CPropertyDataStringW* out = asType<CPropertyDataStringW>(result);
    if (!to || !out || !(t >= 1.0f)) return false;
    out->m_value = to->m_value;
    return true;
}

CRefPtr<IPropertyData> CPropertyDataStringWArray::clone() const {
    return CRefPtr<IPropertyData>::fromRaw(new CPropertyDataStringWArray(m_value));
}

bool CPropertyDataStringWArray::equals(const IPropertyData* other) const {
    const CPropertyDataStringWArray* o = asType<CPropertyDataStringWArray>(other);
    if (!o || o->m_value.size() != m_value.size()) return false;
    for (u32 i = 0; i < m_value.size(); ++i)
        if (!(o->m_value[i] == m_value[i])) return false;
    return true;
}

bool CPropertyDataStringWArray::interpolate(const IPropertyData* target, IPropertyData* result, f32 t) const {
    const CPropertyDataStringWArray* to = asType<CPropertyDataStringWArray>(target);
    CPropertyDataStringWArray* out = asType<CPropertyDataStringWArray>(result);
    if (!to || !out || !(t >= 1.0f)) return false;
    if (out != to) out->m_value = to->m_value;
    return true;
}

bool CPropertyDataStringWArray::readXml(CXmlReader* reader) {
    m_value.clear();
    if (!reader) return false;
    if (reader->getNodeType() != XmlNodeElement || reader->isEmptyElement()) return true;
    while (reader->read()) {
        const EXmlNodeType type = reader->getNodeType();
        if (type == XmlNodeElement && reader->getNodeName() == L"stringw") {
            m_value.push_back(reader->getAttributeValue(0));
        } else if (type == XmlNodeElementEnd && reader->getNodeName() == L"stringwArray") {
            break;
        }
    }
    return true;
}

bool CPropertyDataStringWArray::writeXml(CXmlWriter* writer, const stringc& name) const {
    if (!writer) return false;
    const stringw wideName = widenLatin1(name);
    writer->writeElement(L"stringwArray", false, L"Name", wideName.c_str());
    writer->writeLineBreak();
    for (u32 i = 0; i < m_value.size(); ++i) {
        writer->writeElement(L"stringw", true, L"Value", m_value[i].c_str());
        writer->writeLineBreak();
    }
    writer->writeClosingTag(L"stringwArray");
    return true;
}

// ---- nested sets ----

CPropertyDataProperties::CPropertyDataProperties(CPropertySet* set) : m_set(set) {}

CPropertyDataProperties::~CPropertyDataProperties() = default;

void CPropertyDataProperties::setProperties(CPropertySet* set) { m_set.assign(set); }

CRefPtr<IPropertyData> CPropertyDataProperties::clone() const {
    CPropertyDataProperties* copy = new CPropertyDataProperties(nullptr);
    copy->m_contentManager = m_contentManager;
    if (m_set) copy->m_set = m_set->clone();
    return CRefPtr<IPropertyData>::fromRaw(copy);
}

bool CPropertyDataProperties::equals(const IPropertyData* other) const {
    const CPropertyDataProperties* o = asType<CPropertyDataProperties>(other);
    return o && o->m_set.get() == m_set.get();
}

bool CPropertyDataProperties::readXml(CXmlReader* reader) {
    if (!reader) return false;
    if (!m_set) m_set = CRefPtr<CPropertySet>::fromRaw(new CPropertySet(m_contentManager));
    return m_set->readXml(reader, true, L"properties");
}

bool CPropertyDataProperties::writeXml(CXmlWriter* writer, const stringc& name) const {
    if (!writer) return false;
    if (!m_set) return true;
    const stringw wideName = widenLatin1(name);
    writer->writeElement(L"properties", false, L"Name", wideName.c_str());
    writer->writeLineBreak();
    m_set->writeXml(writer, false, L"properties", false);
    writer->writeClosingTag(L"properties");
    return true;
}

// ---- unboxing ----

bool unboxPropertyBool(const IPropertyData* value) {
    const CPropertyDataBool* v = asType<CPropertyDataBool>(value);
    return v ? v->getValue() : false;
}

s32 unboxPropertyInt(const IPropertyData* value) {
    const CPropertyDataInt* v = asType<CPropertyDataInt>(value);
    return v ? v->getValue() : 0;
}

f32 unboxPropertyFloat(const IPropertyData* value) {
    const CPropertyDataFloat* v = asType<CPropertyDataFloat>(value);
    return v ? v->getValue() : 0.0f;
}

irr::video::SColor unboxPropertyColor(const IPropertyData* value) {
    const CPropertyDataColor* v = asType<CPropertyDataColor>(value);
    return v ? v->getValue() : irr::video::SColor(0);
}

vector2df unboxPropertyVector2d(const IPropertyData* value) {
    const CPropertyDataVector2d* v = asType<CPropertyDataVector2d>(value);
    return v ? v->getValue() : vector2df(0.0f, 0.0f);
}

vector3df unboxPropertyVector3d(const IPropertyData* value) {
    const CPropertyDataVector3d* v = asType<CPropertyDataVector3d>(value);
    return v ? v->getValue() : vector3df(0.0f, 0.0f, 0.0f);
}

}  // namespace oskel
