#include "engine/properties/CPropertyData.h"

#include <array>
#include <charconv>
#include <tuple>
#include <utility>
#include <cmath>

#include "engine/core/CLogger.h"
#include "engine/core/StringUtils.h"
#include "engine/io/CXmlReader.h"
#include "engine/io/CXmlWriter.h"
#include "engine/properties/CPropertySet.h"
#include "engine/properties/PropertyText.h"

namespace oskel {

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

// ---- the plain types ----

namespace {

// The type and class names of the plain types, by type number.
struct SPropertyTypeNames {
    u32 typeNumber;
    const wchar_t* typeName;
    const wchar_t* className;
};
constexpr SPropertyTypeNames kPlainTypeNames[] = {
    {PropertyTypeInt, L"int", L"CPropertyDataInt"},
    {PropertyTypeBool, L"bool", L"CPropertyDataBool"},
    {PropertyTypeFloat, L"float", L"CPropertyDataFloat"},
    {PropertyTypeColor, L"color", L"CPropertyDataColor"},
    {PropertyTypeColorf, L"colorf", L"CPropertyDataColorf"},
    {PropertyTypeVector2d, L"vector2d", L"CPropertyDataVector2d"},
    {PropertyTypeVector3d, L"vector3d", L"CPropertyDataVector3d"},
    {PropertyTypeRect, L"rect", L"CPropertyDataRect"},
    {PropertyTypeString, L"string", L"CPropertyDataString"},
};

constexpr const SPropertyTypeNames& namesOf(u32 typeNumber) {
    for (const SPropertyTypeNames& names : kPlainTypeNames)
        if (names.typeNumber == typeNumber) return names;
    return kPlainTypeNames[0];
}

// What a plain value type does with its value: its text form, equality and
// interpolation (true when the result was written, or for bool when it changed).
template <u32 TypeNumber>
struct TPropertyTraits;

template <>
struct TPropertyTraits<PropertyTypeInt> {
    static stringc format(s32 value) {
        char buffer[16];
        const std::to_chars_result r = std::to_chars(buffer, buffer + sizeof buffer - 1, value);
        *r.ptr = 0;
        return stringc(buffer);
    }
    static void parse(const c8* text, s32& value) {
        bool valid = false;
        value = parsePropertyInt(text, &valid);
        if (!valid) logUnreadable("Property value is not a number", text);
    }
    static bool equal(s32 a, s32 b) { return a == b; }
    static bool interpolate(s32 from, s32 to, f32 t, s32& out) {
        // In double precision: the difference of two 32-bit values and its product with t are
        // exact enough that t = 1 lands on the target, and nothing overflows.
        const double difference = static_cast<double>(to) - static_cast<double>(from);
        double step = std::trunc(difference * static_cast<double>(t));
        if (std::isnan(step)) step = 0.0;
        const double value = static_cast<double>(from) + step;
        if (value >= 2147483647.0)
            out = 2147483647;
        else if (value <= -2147483648.0)
            out = -2147483647 - 1;
        else
            out = static_cast<s32>(value);
        return true;
    }
};

template <>
struct TPropertyTraits<PropertyTypeBool> {
    static stringc format(bool value) { return stringc(value ? "true" : "false"); }
    static void parse(const c8* text, bool& value) {
        const stringc read(text ? text : "");
        value = read == "true";
        if (!value && read != "false") logUnreadable("Property value is not a boolean", text);
    }
    static bool equal(bool a, bool b) { return a == b; }
    static bool interpolate(bool from, bool to, f32 t, bool& out) {
        const bool value = t == 1.0f ? to : from;
        const bool changed = out != value;
        out = value;
        return changed;
    }
};

template <>
struct TPropertyTraits<PropertyTypeFloat> {
    static stringc format(f32 value) { return formatPropertyFloat(value); }
    static void parse(const c8* text, f32& value) {
        bool valid = false;
        value = parsePropertyFloat(text, nullptr, &valid);
        if (!valid) logUnreadable("Property value is not a number", text);
    }
    static bool equal(f32 a, f32 b) { return a == b; }
    static bool interpolate(f32 from, f32 to, f32 t, f32& out) {
        out = lerp(from, to, t);
        return true;
    }
};

template <>
struct TPropertyTraits<PropertyTypeColor> {
    static stringc format(const irr::video::SColor& value) { return formatPropertyColor(value.color); }
    static void parse(const c8* text, irr::video::SColor& value) {
        bool valid = false;
        value.color = parsePropertyColor(text, &valid);
        if (!valid) logUnreadable("Property value is not a colour", text);
    }
    static bool equal(const irr::video::SColor& a, const irr::video::SColor& b) { return a.color == b.color; }
    static bool interpolate(const irr::video::SColor& from, const irr::video::SColor& to, f32 t,
                            irr::video::SColor& out) {
        u32 value = 0;
        for (u32 shift = 0; shift < 32; shift += 8)
            value |= blendChannel((from.color >> shift) & 0xffu, (to.color >> shift) & 0xffu, t) << shift;
        out.color = value;
        return true;
    }
};

// The value types written as lists of floats.
std::array<f32, 4> toFloats(const irr::video::SColorf& v) { return {v.r, v.g, v.b, v.a}; }
std::array<f32, 2> toFloats(const vector2df& v) { return {v.X, v.Y}; }
std::array<f32, 3> toFloats(const vector3df& v) { return {v.X, v.Y, v.Z}; }
std::array<f32, 4> toFloats(const rectf& v) {
    return {v.UpperLeftCorner.X, v.UpperLeftCorner.Y, v.LowerRightCorner.X, v.LowerRightCorner.Y};
}
void fromFloats(const std::array<f32, 4>& f, irr::video::SColorf& v) { v = irr::video::SColorf(f[0], f[1], f[2], f[3]); }
void fromFloats(const std::array<f32, 2>& f, vector2df& v) { v.set(f[0], f[1]); }
void fromFloats(const std::array<f32, 3>& f, vector3df& v) { v.set(f[0], f[1], f[2]); }
void fromFloats(const std::array<f32, 4>& f, rectf& v) { v = rectf(f[0], f[1], f[2], f[3]); }

// A float list: written "a;b;...", read component by component, equal component by component
// (exactly, or within 1e-6 when Tolerance says so), interpolated component by component by Mix.
template <class T, f32 (*Mix)(f32, f32, f32), bool Tolerance = false>
struct TFloatListTraits {
    static constexpr size_t Count = std::tuple_size<decltype(toFloats(std::declval<T>()))>::value;
    static stringc format(const T& value) { return joinFloats(toFloats(value).data(), Count); }
    static void parse(const c8* text, T& value) {
        std::array<f32, Count> values{};
        readFloats(text, values.data(), Count);
        fromFloats(values, value);
    }
    static bool equal(const T& a, const T& b) {
        const auto x = toFloats(a), y = toFloats(b);
        for (size_t i = 0; i < Count; ++i)
            if (Tolerance ? std::fabs(x[i] - y[i]) > 1e-6f : x[i] != y[i]) return false;
        return true;
    }
    static bool interpolate(const T& from, const T& to, f32 t, T& out) {
        auto x = toFloats(from);
        const auto y = toFloats(to);
        for (size_t i = 0; i < Count; ++i) x[i] = Mix(x[i], y[i], t);
        fromFloats(x, out);
        return true;
    }
};

template <>
struct TPropertyTraits<PropertyTypeColorf> : TFloatListTraits<irr::video::SColorf, blend> {};

template <>
struct TPropertyTraits<PropertyTypeVector2d> : TFloatListTraits<vector2df, lerp> {};

template <>
struct TPropertyTraits<PropertyTypeVector3d> : TFloatListTraits<vector3df, lerp, true> {};

template <>
struct TPropertyTraits<PropertyTypeRect> : TFloatListTraits<rectf, lerp> {};

template <>
struct TPropertyTraits<PropertyTypeString> {
    static stringc format(const stringc& value) { return value; }
    static void parse(const c8* text, stringc& value) { value = text ? text : ""; }
    static bool equal(const stringc& a, const stringc& b) { return a == b; }
    static bool interpolate(const stringc&, const stringc& to, f32 t, stringc& out) {
        if (!(t >= 1.0f)) return false;
        out = to;
        return true;
    }
};

}  // namespace

template <class T, u32 TypeNumber, class Base>
const stringw& TPropertyData<T, TypeNumber, Base>::staticTypeName() {
    static const stringw name(namesOf(TypeNumber).typeName);
    return name;
}

template <class T, u32 TypeNumber, class Base>
const stringw& TPropertyData<T, TypeNumber, Base>::staticClassName() {
    static const stringw name(namesOf(TypeNumber).className);
    return name;
}

template <class T, u32 TypeNumber, class Base>
CRefPtr<IPropertyData> TPropertyData<T, TypeNumber, Base>::clone() const {
    return makeRef<TPropertyData>(m_value);
}

template <class T, u32 TypeNumber, class Base>
stringc TPropertyData<T, TypeNumber, Base>::getValueString() const {
    return TPropertyTraits<TypeNumber>::format(m_value);
}

template <class T, u32 TypeNumber, class Base>
void TPropertyData<T, TypeNumber, Base>::setValueString(const c8* text) {
    TPropertyTraits<TypeNumber>::parse(text, m_value);
}

template <class T, u32 TypeNumber, class Base>
bool TPropertyData<T, TypeNumber, Base>::equals(const IPropertyData* other) const {
    const TPropertyData* o = asType<TPropertyData>(other);
    return o && TPropertyTraits<TypeNumber>::equal(o->m_value, m_value);
}

template <class T, u32 TypeNumber, class Base>
bool TPropertyData<T, TypeNumber, Base>::interpolate(const IPropertyData* target, IPropertyData* result,
                                                    f32 t) const {
    const TPropertyData* to = asType<TPropertyData>(target);
    TPropertyData* out = asType<TPropertyData>(result);
    if (!to || !out) return false;
    // The result may be this value or the target: each form reads both before it writes.
    return TPropertyTraits<TypeNumber>::interpolate(m_value, to->m_value, t, out->m_value);
}

template class TPropertyData<s32, PropertyTypeInt, CPropertyDataNumeric>;
template class TPropertyData<bool, PropertyTypeBool, CPropertyDataNumeric>;
template class TPropertyData<f32, PropertyTypeFloat, CPropertyDataNumeric>;
template class TPropertyData<irr::video::SColor, PropertyTypeColor, CPropertyDataNumeric>;
template class TPropertyData<irr::video::SColorf, PropertyTypeColorf, CPropertyDataNumeric>;
template class TPropertyData<vector2df, PropertyTypeVector2d, CPropertyDataNumeric>;
template class TPropertyData<vector3df, PropertyTypeVector3d, CPropertyDataNumeric>;
template class TPropertyData<rectf, PropertyTypeRect, CPropertyDataNumeric>;
template class TPropertyData<stringc, PropertyTypeString, IPropertyData>;

// ---- texts ----

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
    if (!m_set) m_set = makeRef<CPropertySet>(m_contentManager);
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
