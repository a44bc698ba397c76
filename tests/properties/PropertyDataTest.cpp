#include <gtest/gtest.h>

#include <cfloat>
#include <string>

#include "engine/audio/AudioPropertyTypes.h"
#include "engine/video/render2d/RenderPropertyTypes.h"
#include "engine/properties/CPropertyData.h"
#include "engine/properties/CPropertySet.h"
#include "engine/properties/CPropertyTypeRegistry.h"
#include "tests/support/TestSupport.h"
#include "tests/properties/PropertyTestSupport.h"

using namespace oskel;
using oskel::test::FakeContentManager;
using oskel::test::LogCapture;
using oskel::test::XmlBuffer;

namespace {

CRefPtr<IPropertyData> create(const wchar_t* typeName, IContentManager* contentManager = nullptr) {
    return CPropertyTypeRegistry::instance().create(typeName, contentManager);
}

CRefPtr<IPropertyData> fromText(const wchar_t* typeName, const char* text) {
    CRefPtr<IPropertyData> v = create(typeName);
    if (v) v->setValueString(text);
    return v;
}

std::string text(const IPropertyData* v) { return v ? v->getValueString().c_str() : "<null>"; }

// Writes the value as the property "P" and reads it back into a new value of its type.
CRefPtr<IPropertyData> throughXml(const IPropertyData* value, IContentManager* contentManager = nullptr) {
    XmlBuffer buffer;
    {
        CRefPtr<CXmlWriter> writer = buffer.writer();
        EXPECT_TRUE(value->writeXml(writer.get(), "P"));
    }
    CRefPtr<CXmlReader> reader = buffer.readerAtFirstElement();
    EXPECT_TRUE(reader->getNodeName() == value->getTypeName());
    EXPECT_TRUE(reader->getAttributeValue(L"Name") == L"P");
    CRefPtr<IPropertyData> back = create(reader->getNodeName().c_str(), contentManager);
    EXPECT_TRUE(back->readXml(reader.get()));
    return back;
}

}  // namespace

TEST(PropertyData, FifteenTypesNameThemselves) {
    const struct {
        const wchar_t* typeName;
        u32 id;
        const wchar_t* className;
    } cases[] = {
        {L"int", PropertyTypeInt, L"CPropertyDataInt"},
        {L"bool", PropertyTypeBool, L"CPropertyDataBool"},
        {L"float", PropertyTypeFloat, L"CPropertyDataFloat"},
        {L"color", PropertyTypeColor, L"CPropertyDataColor"},
        {L"colorf", PropertyTypeColorf, L"CPropertyDataColorf"},
        {L"vector2d", PropertyTypeVector2d, L"CPropertyDataVector2d"},
        {L"vector3d", PropertyTypeVector3d, L"CPropertyDataVector3d"},
        {L"rect", PropertyTypeRect, L"CPropertyDataRect"},
        {L"string", PropertyTypeString, L"CPropertyDataString"},
        {L"stringw", PropertyTypeStringW, L"CPropertyDataStringW"},
        {L"stringwArray", PropertyTypeStringWArray, L"CPropertyDataStringWArray"},
        {L"properties", PropertyTypeProperties, L"CPropertyDataProperties"},
        {L"atlasTexture", PropertyTypeAtlasTexture, L"CPropertyDataAtlasTexture"},
        {L"font", PropertyTypeFont, L"CPropertyDataFont"},
        {L"sound", PropertyTypeSound, L"CPropertyDataSound"},
    };
    for (const auto& c : cases) {
        CRefPtr<IPropertyData> v = create(c.typeName);
        ASSERT_TRUE(v) << c.id;
        EXPECT_TRUE(v->getTypeName() == c.typeName) << c.id;
        EXPECT_TRUE(v->getClassName() == c.className) << c.id;
        EXPECT_EQ(v->getTypeId(), c.id);
        EXPECT_TRUE(v->isKindOf(c.id));
        EXPECT_TRUE(v->isKindOf(PropertyTypeNone));
        EXPECT_FALSE(v->isKindOf(c.id % PropertyTypeSound + 1)) << c.id;
        EXPECT_EQ(v->getReferenceCount(), 1);
        // Names are built once.
        EXPECT_EQ(&v->getTypeName(), &create(c.typeName)->getTypeName());
    }
}

TEST(PropertyData, ValuesCreatedByNameStartEmpty) {
    const struct {
        const wchar_t* typeName;
        const char* text;
    } cases[] = {
        {L"int", "0"},
        {L"bool", "false"},
        {L"float", "0.000000"},
        {L"color", "00000000"},
        {L"colorf", "0.000000;0.000000;0.000000;0.000000"},
        {L"vector2d", "0.000000;0.000000"},
        {L"vector3d", "0.000000;0.000000;0.000000"},
        {L"rect", "0.000000;0.000000;0.000000;0.000000"},
        {L"string", ""},
        {L"stringw", ""},
        {L"stringwArray", ""},
        {L"properties", ""},
        {L"atlasTexture", ""},
        {L"font", ""},
        {L"sound", ""},
    };
    for (const auto& c : cases) EXPECT_EQ(text(create(c.typeName).get()), c.text);
}

TEST(PropertyData, TextForms) {
    const struct {
        const wchar_t* typeName;
        const char* in;
        const char* out;
    } cases[] = {
        {L"int", "42", "42"},
        {L"int", "-7", "-7"},
        {L"int", "  12px", "12"},
        {L"int", "-2147483648", "-2147483648"},
        {L"bool", "true", "true"},
        {L"bool", "True", "false"},
        {L"bool", "false", "false"},
        {L"float", "2.5", "2.500000"},
        {L"float", "-0.5", "-0.500000"},
        {L"float", "0.1234567", "0.1234567"},
        {L"color", "ff102030", "ff102030"},
        {L"color", "FFA0B0C0", "ffa0b0c0"},
        {L"colorf", "0.5;0.25;1;0", "0.500000;0.250000;1.000000;0.000000"},
        {L"vector2d", "100;50", "100.000000;50.000000"},
        {L"vector3d", "100;50;0", "100.000000;50.000000;0.000000"},
        {L"vector3d", "5", "5.000000;0.000000;0.000000"},
        {L"vector3d", "a-1b2", "-1.000000;2.000000;0.000000"},
        {L"vector3d", "(1 2 3)", "1.000000;2.000000;3.000000"},
        {L"rect", "1;2;3;4", "1.000000;2.000000;3.000000;4.000000"},
        {L"string", "hello world", "hello world"},
        {L"stringw", "caf\xe9", "caf\xe9"},
        {L"stringwArray", "a;b", ""},
        {L"properties", "x", ""},
    };
    for (const auto& c : cases) EXPECT_EQ(text(fromText(c.typeName, c.in).get()), c.out) << c.in;
}

TEST(PropertyData, WideTextsMatchNarrowOnes) {
    CRefPtr<IPropertyData> s = create(L"stringw");
    s->setValueStringW(L"\u20ac5");
    EXPECT_TRUE(s->getValueStringW() == L"\u20ac5");
    EXPECT_EQ(text(s.get()), "\xac" "5");  // narrowing keeps the low byte

    CRefPtr<IPropertyData> n = create(L"string");
    n->setValueStringW(L"caf\u00e9");
    EXPECT_EQ(text(n.get()), "caf\xe9");
    EXPECT_TRUE(n->getValueStringW() == L"caf\u00e9");

    // Characters beyond Latin-1 whose low bytes are digits are no digits.
    CRefPtr<IPropertyData> i = create(L"int");
    i->setValueStringW(L"\u0131\u0132");
    EXPECT_EQ(text(i.get()), "0");
    i->setValueStringW(L"-12");
    EXPECT_TRUE(i->getValueStringW() == L"-12");
}

TEST(PropertyData, UnreadableTextsGiveZeroAndALogLine) {
    const struct {
        const wchar_t* typeName;
        const char* before;
        const char* zero;
        const char* log;
    } cases[] = {
        {L"int", "17", "0", "Property value is not a number"},
        {L"float", "1.5", "0.000000", "Property value is not a number"},
        {L"bool", "true", "false", "Property value is not a boolean"},
        {L"color", "ffffffff", "00000000", "Property value is not a colour"},
        {L"vector2d", "1;2", "0.000000;0.000000", "Property value is not a number"},
        {L"vector3d", "1;2;3", "0.000000;0.000000;0.000000", "Property value is not a number"},
        {L"rect", "1;2;3;4", "0.000000;0.000000;0.000000;0.000000", "Property value is not a number"},
        {L"colorf", "1;1;1;1", "0.000000;0.000000;0.000000;0.000000", "Property value is not a number"},
    };
    for (const auto& c : cases) {
        CRefPtr<IPropertyData> v = fromText(c.typeName, c.before);
        LogCapture log;
        v->setValueString("garbage");
        EXPECT_EQ(text(v.get()), c.zero);
        EXPECT_TRUE(log.contains(c.log, LogWarning)) << c.zero;
        // An empty text (a missing attribute) quietly gives zero as well.
        log.clear();
        v->setValueString(c.before);
        v->setValueString("");
        EXPECT_EQ(text(v.get()), c.zero);
        v->setValueString(nullptr);
        EXPECT_EQ(text(v.get()), c.zero);
        EXPECT_TRUE(log.lines().empty());
    }
}

TEST(PropertyData, ClonesAreEqualAndIndependent) {
    const struct {
        const wchar_t* typeName;
        const char* text;
        const char* other;
    } cases[] = {
        {L"int", "42", "1"},           {L"bool", "true", "false"},    {L"float", "0.1234567", "1"},
        {L"color", "80ff0000", "0"},   {L"colorf", "1;0.5;0;1", "0"}, {L"vector2d", "1;2", "0"},
        {L"vector3d", "1;2;3", "0"},   {L"rect", "1;2;3;4", "0"},     {L"string", "abc", "x"},
        {L"stringw", "abc", "x"},
    };
    for (const auto& c : cases) {
        CRefPtr<IPropertyData> v = fromText(c.typeName, c.text);
        CRefPtr<IPropertyData> copy = v->clone();
        ASSERT_TRUE(copy);
        EXPECT_NE(copy.get(), v.get());
        EXPECT_EQ(copy->getReferenceCount(), 1);
        EXPECT_EQ(copy->getTypeId(), v->getTypeId());
        EXPECT_TRUE(copy->equals(v.get()));
        copy->setValueString(c.other);
        EXPECT_EQ(text(v.get()), text(fromText(c.typeName, c.text).get()));
        EXPECT_FALSE(copy->equals(v.get())) << c.text;
    }

    array<stringw> strings;
    strings.push_back(L"a");
    strings.push_back(L"b");
    CRefPtr<IPropertyData> list = CRefPtr<IPropertyData>::fromRaw(new CPropertyDataStringWArray(strings));
    CRefPtr<IPropertyData> listCopy = list->clone();
    EXPECT_TRUE(listCopy->equals(list.get()));
    static_cast<CPropertyDataStringWArray*>(listCopy.get())->setValue(array<stringw>());
    EXPECT_EQ(static_cast<CPropertyDataStringWArray*>(list.get())->getValue().size(), 2u);
}

TEST(PropertyData, Equality) {
    const struct {
        const wchar_t* typeName;
        const char* a;
        const char* b;
        bool equal;
    } cases[] = {
        {L"int", "5", "5", true},
        {L"int", "5", "6", false},
        {L"bool", "true", "true", true},
        {L"bool", "true", "false", false},
        {L"float", "0.5", "0.5", true},
        {L"float", "0.5", "0.5000001", false},
        {L"color", "ff000000", "ff000000", true},
        {L"color", "ff000000", "fe000000", false},
        {L"colorf", "1;2;3;4", "1;2;3;4", true},
        {L"colorf", "1;2;3;4", "1;2;3;5", false},
        {L"vector2d", "1;2", "1;2", true},
        {L"vector2d", "0.5;2", "0.5000001;2", false},
        {L"vector3d", "1;2;3", "1.0000005;2;3", true},
        {L"vector3d", "1;2;3", "1;2;3.00001", false},
        {L"rect", "1;2;3;4", "1;2;3;4", true},
        {L"rect", "1;2;3;4", "1;2;3;4.5", false},
        {L"string", "Abc", "Abc", true},
        {L"string", "Abc", "abc", false},
        {L"stringw", "x", "x", true},
        {L"stringw", "x", "y", false},
    };
    for (const auto& c : cases) {
        CRefPtr<IPropertyData> a = fromText(c.typeName, c.a);
        CRefPtr<IPropertyData> b = fromText(c.typeName, c.b);
        EXPECT_EQ(a->equals(b.get()), c.equal) << c.a << " / " << c.b;
        EXPECT_EQ(b->equals(a.get()), c.equal) << c.a << " / " << c.b;
    }
    // Other types and null are never equal.
    EXPECT_FALSE(fromText(L"int", "1")->equals(fromText(L"float", "1").get()));
    EXPECT_FALSE(fromText(L"string", "1")->equals(fromText(L"stringw", "1").get()));
    EXPECT_FALSE(fromText(L"int", "0")->equals(nullptr));

    array<stringw> ab, ac, abc;
    ab.push_back(L"a");
    ab.push_back(L"b");
    ac.push_back(L"a");
    ac.push_back(L"c");
    abc = ab;
    abc.push_back(L"c");
    CPropertyDataStringWArray x(ab), y(ab), z(ac), w(abc);
    EXPECT_TRUE(x.equals(&y));
    EXPECT_FALSE(x.equals(&z));
    EXPECT_FALSE(x.equals(&w));
    EXPECT_FALSE(w.equals(&x));

    // Nested sets compare by identity, not content.
    CRefPtr<CPropertySet> s1 = makeRef<CPropertySet>();
    CRefPtr<CPropertySet> s2 = makeRef<CPropertySet>();
    s1->addInt("A", 1);
    s2->addInt("A", 1);
    CPropertyDataProperties p1(s1.get()), p2(s2.get()), p3(s1.get());
    EXPECT_FALSE(p1.equals(&p2));
    EXPECT_TRUE(p1.equals(&p3));
}

TEST(PropertyData, Interpolation) {
    const struct {
        const wchar_t* typeName;
        const char* from;
        const char* to;
        f32 t;
        const char* result;  // the result value afterwards; it starts as "start"
        const char* start;
        bool changed;
    } cases[] = {
        {L"int", "0", "10", 0.99f, "9", "5", true},
        {L"int", "0", "-10", 0.99f, "-9", "5", true},
        {L"int", "3", "10", 0.0f, "3", "5", true},
        {L"int", "3", "10", 1.0f, "10", "5", true},
        {L"int", "-2147483648", "2147483647", 1.0f, "2147483647", "0", true},
        {L"int", "-2147483648", "2147483647", 0.5f, "-1", "0", true},
        {L"int", "0", "2147483647", 2.0f, "2147483647", "0", true},
        {L"float", "1", "3", 0.5f, "2.000000", "0", true},
        {L"float", "0.3", "0.7", 1.0f, "0.700000", "0", true},
        {L"float", "0.3", "0.7", 0.0f, "0.300000", "0", true},
        {L"vector2d", "0;10", "10;0", 0.25f, "2.500000;7.500000", "0", true},
        {L"vector3d", "0;0;0", "2;4;8", 0.5f, "1.000000;2.000000;4.000000", "0", true},
        {L"rect", "0;0;10;10", "10;10;20;20", 0.1f, "1.000000;1.000000;11.000000;11.000000", "0", true},
        {L"color", "00000000", "ffffffff", 0.5f, "7f7f7f7f", "0", true},
        {L"color", "ff0080ff", "00ff0000", 0.0f, "ff0080ff", "0", true},
        {L"color", "ff0080ff", "00ff0000", 1.0f, "00ff0000", "0", true},
        {L"color", "00000000", "ffffffff", 2.0f, "ffffffff", "0", true},
        {L"color", "ffffffff", "00000000", 2.0f, "00000000", "0", true},
        {L"colorf", "0;0;0;0", "1;0.5;0.25;1", 0.5f, "0.500000;0.250000;0.125000;0.500000", "0", true},
        {L"bool", "false", "true", 0.5f, "false", "false", false},
        {L"bool", "false", "true", 0.999f, "false", "false", false},
        {L"bool", "false", "true", 1.0f, "true", "false", true},
        {L"bool", "false", "true", 1.0f, "true", "true", false},
        {L"bool", "true", "false", 0.0f, "true", "false", true},
        {L"string", "a", "b", 0.5f, "keep", "keep", false},
        {L"string", "a", "b", 1.0f, "b", "keep", true},
        {L"string", "a", "b", 1.5f, "b", "keep", true},
        {L"stringw", "a", "b", 0.99f, "keep", "keep", false},
        {L"stringw", "a", "b", 1.0f, "b", "keep", true},
    };
    for (const auto& c : cases) {
        CRefPtr<IPropertyData> from = fromText(c.typeName, c.from);
        CRefPtr<IPropertyData> to = fromText(c.typeName, c.to);
        CRefPtr<IPropertyData> result = fromText(c.typeName, c.start);
        EXPECT_EQ(from->interpolate(to.get(), result.get(), c.t), c.changed) << c.from << " " << c.to << " " << c.t;
        EXPECT_EQ(text(result.get()), c.result) << c.from << " " << c.to << " " << c.t;
    }
}

TEST(PropertyData, FloatInterpolationLandsExactlyOnTheTarget) {
    CPropertyDataFloat from(0.3f), to(0.7f), result;
    EXPECT_TRUE(from.interpolate(&to, &result, 1.0f));
    EXPECT_EQ(result.getValue(), 0.7f);
    CPropertyDataVector3d a(vector3df(0.1f, 1e8f, -3.3f)), b(vector3df(1e-3f, 0.2f, 7.7f)), r;
    EXPECT_TRUE(a.interpolate(&b, &r, 1.0f));
    EXPECT_EQ(r.getValue().X, 1e-3f);
    EXPECT_EQ(r.getValue().Y, 0.2f);
    EXPECT_EQ(r.getValue().Z, 7.7f);
}

TEST(PropertyData, NonInterpolableAndMismatchedValues) {
    array<stringw> one, two;
    one.push_back(L"1");
    two.push_back(L"2");
    two.push_back(L"3");
    CPropertyDataStringWArray a(one), b(two), r(one);
    EXPECT_FALSE(a.interpolate(&b, &r, 0.5f));
    EXPECT_TRUE(r.equals(&a));
    EXPECT_TRUE(a.interpolate(&b, &r, 1.0f));
    EXPECT_TRUE(r.equals(&b));

    CRefPtr<CPropertySet> s1 = makeRef<CPropertySet>();
    CRefPtr<CPropertySet> s2 = makeRef<CPropertySet>();
    CPropertyDataProperties p1(s1.get()), p2(s2.get()), pr(nullptr);
    EXPECT_FALSE(p1.interpolate(&p2, &pr, 1.0f));
    EXPECT_EQ(pr.getProperties(), nullptr);

    // A target or result of another type is left alone.
    CPropertyDataInt i(1), j(2);
    CPropertyDataFloat f(5.0f);
    EXPECT_FALSE(i.interpolate(&f, &j, 1.0f));
    EXPECT_FALSE(i.interpolate(&j, &f, 1.0f));
    EXPECT_FALSE(i.interpolate(nullptr, &j, 1.0f));
    EXPECT_FALSE(i.interpolate(&j, nullptr, 1.0f));
    EXPECT_EQ(j.getValue(), 2);
    EXPECT_EQ(f.getValue(), 5.0f);
}

TEST(PropertyData, PlainXmlForm) {
    XmlBuffer buffer;
    {
        CRefPtr<CXmlWriter> writer = buffer.writer();
        CPropertyDataFloat(2.5f).writeXml(writer.get(), "Scale");
        CPropertyDataVector3d(vector3df(100, 50, 0)).writeXml(writer.get(), "Position");
    }
    const std::string xml = buffer.text();
    EXPECT_NE(xml.find("<float Name=\"Scale\" Value=\"2.500000\""), std::string::npos) << xml;
    EXPECT_NE(xml.find("<vector3d Name=\"Position\" Value=\"100.000000;50.000000;0.000000\""), std::string::npos)
        << xml;
    EXPECT_FALSE(CPropertyDataFloat(1.0f).writeXml(nullptr, "X"));

    // A missing Value attribute reads as empty text; the reader is not moved.
    CRefPtr<CXmlReader> reader = test::readerAtFirstElement("<int Name=\"A\"/><int Name=\"B\" Value=\"4\"/>");
    CPropertyDataInt v(9);
    EXPECT_TRUE(v.readXml(reader.get()));
    EXPECT_EQ(v.getValue(), 0);
    EXPECT_TRUE(reader->getAttributeValue(L"Name") == L"A");
    EXPECT_FALSE(v.readXml(nullptr));
}

TEST(PropertyData, XmlRoundTripOfEveryValueType) {
    const struct {
        const wchar_t* typeName;
        const char* text;
    } cases[] = {
        {L"int", "-2147483648"},
        {L"int", "123"},
        {L"bool", "true"},
        {L"bool", "false"},
        {L"float", "0.1234567"},
        {L"float", "1e-30"},
        {L"float", "-3.4028235e38"},
        {L"float", "16777216"},
        {L"color", "80ff0a0b"},
        {L"colorf", "0.1;0.2;0.3;0.4"},
        {L"vector2d", "0.333333343;-1e-9"},
        {L"vector3d", "1e20;-0.0000123;42"},
        {L"rect", "0.1;0.2;1000.5;2000.25"},
        {L"string", "quotes \" and <tags> & 'apostrophes'\r\nline\tbreak \xe9"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        CRefPtr<IPropertyData> v = fromText(c.typeName, c.text);
        CRefPtr<IPropertyData> back = throughXml(v.get());
        EXPECT_TRUE(back->equals(v.get())) << c.text << " came back as " << text(back.get());
        EXPECT_EQ(text(back.get()), text(v.get()));
    }

    CPropertyDataStringW wide(L"\u4e2d\u6587 & \U0001F600");
    EXPECT_TRUE(throughXml(&wide)->equals(&wide));

    array<stringw> strings;
    strings.push_back(L"first");
    strings.push_back(L"");
    strings.push_back(L"<third> & \u20ac");
    CPropertyDataStringWArray list(strings);
    EXPECT_TRUE(throughXml(&list)->equals(&list));
    CPropertyDataStringWArray emptyList;
    EXPECT_TRUE(throughXml(&emptyList)->equals(&emptyList));
}

TEST(PropertyData, StringArrayXml) {
    XmlBuffer buffer;
    {
        CRefPtr<CXmlWriter> writer = buffer.writer();
        CPropertyDataStringWArray().writeXml(writer.get(), "Empty");
    }
    EXPECT_EQ(buffer.text(), "<stringwArray Name=\"Empty\">\r\n</stringwArray>");

    // The first attribute of every "stringw" counts, whatever its name; other elements are
    // ignored; the array ends at its closing tag.
    CRefPtr<CXmlReader> reader = test::readerAtFirstElement(
        "<stringwArray Name=\"L\"><stringw Text=\"a\"/><other Value=\"x\"/><stringw/><stringw Value=\"c\"></stringw>"
        "</stringwArray><stringw Value=\"after\"/>");
    array<stringw> start;
    start.push_back(L"old");
    CPropertyDataStringWArray list(start);
    EXPECT_TRUE(list.readXml(reader.get()));
    ASSERT_EQ(list.getValue().size(), 3u);
    EXPECT_TRUE(list.getValue()[0] == L"a");
    EXPECT_TRUE(list.getValue()[1] == L"");
    EXPECT_TRUE(list.getValue()[2] == L"c");
    EXPECT_EQ(reader->getNodeType(), XmlNodeElementEnd);

    // An empty element empties the array; a document that ends early ends the array.
    CRefPtr<CXmlReader> empty = test::readerAtFirstElement("<stringwArray Name=\"L\"/><stringw Value=\"x\"/>");
    EXPECT_TRUE(list.readXml(empty.get()));
    EXPECT_EQ(list.getValue().size(), 0u);
    CRefPtr<CXmlReader> cut = test::readerAtFirstElement("<stringwArray Name=\"L\"><stringw Value=\"x\"/>");
    EXPECT_TRUE(list.readXml(cut.get()));
    EXPECT_EQ(list.getValue().size(), 1u);
}

TEST(PropertyData, NestedSetValues) {
    CRefPtr<CPropertySet> inner = makeRef<CPropertySet>();
    inner->addInt("A", 1);
    {
        CPropertyDataProperties value(inner.get());
        EXPECT_EQ(inner->getReferenceCount(), 2);
        CRefPtr<IPropertyData> copy = value.clone();
        CPropertySet* copied = static_cast<CPropertyDataProperties*>(copy.get())->getProperties();
        ASSERT_NE(copied, nullptr);
        EXPECT_NE(copied, inner.get());
        EXPECT_EQ(copied->getInt("A"), 1);
        copied->setInt("A", 2);
        EXPECT_EQ(inner->getInt("A"), 1);
        value.setProperties(nullptr);
        EXPECT_EQ(inner->getReferenceCount(), 1);
        EXPECT_EQ(value.clone().get() != nullptr, true);
    }
    // Without a set nothing is written.
    XmlBuffer buffer;
    {
        CRefPtr<CXmlWriter> writer = buffer.writer();
        EXPECT_TRUE(CPropertyDataProperties().writeXml(writer.get(), "None"));
    }
    EXPECT_EQ(buffer.text(), "");
}

// ---- resource values ----

namespace {

struct ResourceCase {
    const wchar_t* typeName;
    u32 typeCode;
};

const ResourceCase kResourceCases[] = {
    {L"atlasTexture", TypeCodeAtlasTexture},
    {L"font", TypeCodeFont},
    {L"sound", TypeCodeSound},
};

CPropertyDataResource* asResource(const CRefPtr<IPropertyData>& v) {
    return dynamic_cast<CPropertyDataResource*>(v.get());
}

}  // namespace

TEST(PropertyDataResource, NamesAreLookedUpThroughTheContentManager) {
    for (const auto& c : kResourceCases) {
        FakeContentManager manager;
        CResource* a = manager.add("ui/a.res", c.typeCode);
        CRefPtr<IPropertyData> v = create(c.typeName, &manager);
        ASSERT_TRUE(asResource(v));
        EXPECT_EQ(asResource(v)->getContentManager(), &manager);
        EXPECT_EQ(asResource(v)->getResourceTypeCode(), c.typeCode);

        const int before = a->getReferenceCount();
        v->setValueString("ui/a.res");
        EXPECT_EQ(asResource(v)->getResource(), a);
        EXPECT_TRUE(manager.lastRelative);
        EXPECT_EQ(a->getReferenceCount(), before + 1);
        EXPECT_EQ(text(v.get()), "ui/a.res");

        // Names resolve against the base path and are written relative to it.
        manager.pushPath("ui");
        EXPECT_EQ(text(v.get()), "a.res");
        CRefPtr<IPropertyData> w = create(c.typeName, &manager);
        w->setValueStringW(L"a.res");
        EXPECT_EQ(asResource(w)->getResource(), a);
        EXPECT_TRUE(w->equals(v.get()));
        manager.popPath();

        // Dropping the value drops the resource.
        v = nullptr;
        w = nullptr;
        EXPECT_EQ(a->getReferenceCount(), before);
    }
}

TEST(PropertyDataResource, UnknownAndEmptyNames) {
    for (const auto& c : kResourceCases) {
        FakeContentManager manager;
        CResource* a = manager.add("a", c.typeCode);
        CRefPtr<IPropertyData> v = create(c.typeName, &manager);
        v->setValueString("a");
        {
            LogCapture log;
            v->setValueString("missing");
            EXPECT_EQ(asResource(v)->getResource(), nullptr);  // a name no resource answers empties it
            EXPECT_TRUE(log.contains("Property value names no resource", LogWarning));
        }
        v->setValueString("a");
        v->setValueString("");
        // An empty text empties a font or a sound; an atlas texture keeps its texture.
        EXPECT_EQ(asResource(v)->getResource(), c.typeCode == TypeCodeAtlasTexture ? a : nullptr);
    }
}

TEST(PropertyDataResource, WithoutAContentManagerTextIsIgnored) {
    for (const auto& c : kResourceCases) {
        FakeContentManager manager;
        CResource* a = manager.add("a", c.typeCode);
        CRefPtr<IPropertyData> v = create(c.typeName, nullptr);
        v->setValueString("a");
        EXPECT_EQ(asResource(v)->getResource(), nullptr);
        EXPECT_EQ(manager.lookups, 0u);
        // Assigning a resource adopts its content manager; its bare name is then written relative.
        ASSERT_TRUE(asResource(v)->setResource(a));
        EXPECT_EQ(asResource(v)->getContentManager(), &manager);
        // Assigning nothing keeps the content manager.
        ASSERT_TRUE(asResource(v)->setResource(nullptr));
        EXPECT_EQ(asResource(v)->getContentManager(), &manager);
        EXPECT_EQ(text(v.get()), "");
    }
}

TEST(PropertyDataResource, ResourcesOfAnotherTypeAreRefused) {
    for (const auto& c : kResourceCases) {
        FakeContentManager manager;
        const u32 otherType = c.typeCode == TypeCodeFont ? TypeCodeSound : TypeCodeFont;
        CResource* good = manager.add("good", c.typeCode);
        CResource* wrong = manager.add("wrong", otherType);
        manager.addMistyped("confused", c.typeCode, otherType);
        CRefPtr<IPropertyData> v = create(c.typeName, &manager);
        ASSERT_TRUE(asResource(v)->setResource(good));
        LogCapture log;
        EXPECT_FALSE(asResource(v)->setResource(wrong));
        EXPECT_EQ(asResource(v)->getResource(), good);
        EXPECT_TRUE(log.contains("Property value refuses a resource of another type", LogWarning));
        const int wrongCount = wrong->getReferenceCount();
        v->setValueString("confused");
        EXPECT_EQ(asResource(v)->getResource(), nullptr);
        EXPECT_TRUE(log.contains("Property value names a resource of another type", LogWarning));
        EXPECT_EQ(wrong->getReferenceCount(), wrongCount);
    }
}

TEST(PropertyDataResource, ClonesShareTheResourceAndCompareByIdentity) {
    for (const auto& c : kResourceCases) {
        FakeContentManager manager, other;
        CResource* a = manager.add("a", c.typeCode);
        CResource* b = manager.add("b", c.typeCode);
        CRefPtr<IPropertyData> v = create(c.typeName, &other);
        v->setValueString("x");  // nothing in the other manager
        CRefPtr<IPropertyData> emptyCopy = v->clone();
        EXPECT_EQ(asResource(emptyCopy)->getContentManager(), &other);
        EXPECT_TRUE(emptyCopy->equals(v.get()));

        ASSERT_TRUE(asResource(v)->setResource(a));
        const int count = a->getReferenceCount();
        CRefPtr<IPropertyData> copy = v->clone();
        EXPECT_EQ(asResource(copy)->getResource(), a);
        EXPECT_EQ(asResource(copy)->getContentManager(), &manager);
        EXPECT_EQ(a->getReferenceCount(), count + 1);
        EXPECT_TRUE(copy->equals(v.get()));
        asResource(copy)->setResource(b);
        EXPECT_FALSE(copy->equals(v.get()));
        EXPECT_FALSE(v->equals(create(c.typeName == std::wstring(L"font") ? L"sound" : L"font").get()));
    }
}

TEST(PropertyDataResource, InterpolationSwitchesAtTheEnd) {
    for (const auto& c : kResourceCases) {
        FakeContentManager manager;
        CResource* a = manager.add("a", c.typeCode);
        CResource* b = manager.add("b", c.typeCode);
        CRefPtr<IPropertyData> from = create(c.typeName, &manager);
        CRefPtr<IPropertyData> to = create(c.typeName, &manager);
        CRefPtr<IPropertyData> result = create(c.typeName, &manager);
        from->setValueString("a");
        to->setValueString("b");
        from->prepareInterpolation(to.get());

        EXPECT_TRUE(from->interpolate(to.get(), result.get(), 0.0f));
        EXPECT_EQ(asResource(result)->getResource(), a);
        EXPECT_FALSE(from->interpolate(to.get(), result.get(), 0.5f));  // already holds it
        EXPECT_EQ(asResource(result)->getResource(), a);
        EXPECT_TRUE(from->interpolate(to.get(), result.get(), 1.0f));
        EXPECT_EQ(asResource(result)->getResource(), b);
        EXPECT_FALSE(from->interpolate(to.get(), result.get(), 1.0f));
        // A result of another type is left alone.
        CPropertyDataInt notResource(3);
        EXPECT_FALSE(from->interpolate(to.get(), &notResource, 1.0f));
    }
}

TEST(PropertyDataResource, XmlFormIsTheName) {
    for (const auto& c : kResourceCases) {
        FakeContentManager manager;
        CResource* a = manager.add("pics/a b&c.png", c.typeCode);
        CRefPtr<IPropertyData> v = create(c.typeName, &manager);
        v->setValueString("pics/a b&c.png");
        CRefPtr<IPropertyData> back = throughXml(v.get(), &manager);
        EXPECT_EQ(asResource(back)->getResource(), a);
        // Without a content manager the name is not looked up.
        EXPECT_EQ(asResource(throughXml(v.get(), nullptr))->getResource(), nullptr);
    }
}

TEST(PropertyDataResource, AtlasTextureBoxing) {
    FakeContentManager manager;
    CResource* texture = manager.add("coin0003.png", TypeCodeAtlasTexture);
    CRefPtr<IPropertyData> v = makeAtlasTextureProperty(texture);
    auto* atlas = dynamic_cast<CPropertyDataAtlasTexture*>(v.get());
    ASSERT_NE(atlas, nullptr);
    EXPECT_EQ(atlas->getResource(), texture);
    EXPECT_EQ(atlas->getContentManager(), &manager);
    EXPECT_EQ(text(v.get()), "coin0003.png");
    EXPECT_EQ(makeAtlasTextureProperty(nullptr)->getValueString().size(), 0u);
}

TEST(PropertyData, BoxingAndReaders) {
    EXPECT_EQ(text(makePropertyDataInt(-4).get()), "-4");
    EXPECT_EQ(text(makePropertyDataBool(true).get()), "true");
    EXPECT_EQ(text(makePropertyDataFloat(0.25f).get()), "0.250000");
    EXPECT_EQ(text(makePropertyDataColor(0x11223344u).get()), "11223344");
    EXPECT_EQ(text(makePropertyDataVector2d(vector2df(1, 2)).get()), "1.000000;2.000000");
    EXPECT_EQ(text(makePropertyDataVector3d(vector3df(1, 2, 3)).get()), "1.000000;2.000000;3.000000");
    EXPECT_EQ(text(makeStringProperty("s").get()), "s");
    EXPECT_EQ(text(makePropertyDataStringW(L"w").get()), "w");
    EXPECT_EQ(makePropertyDataStringW(L"w")->getTypeId(), static_cast<u32>(PropertyTypeStringW));

    const CNameId name("PropertyDataTest.NodeName");
    CRefPtr<IPropertyData> boxed = makePropertyDataFromNameId(name);
    EXPECT_EQ(boxed->getTypeId(), static_cast<u32>(PropertyTypeString));
    EXPECT_EQ(text(boxed.get()), "PropertyDataTest.NodeName");
    EXPECT_EQ(getPropertyNameId(boxed.get()), name);
    EXPECT_EQ(getPropertyNameId(makePropertyDataInt(7).get()), CNameId("7"));
    EXPECT_TRUE(getPropertyNameId(nullptr).isEmpty());
    EXPECT_STREQ(getPropertyString(nullptr).c_str(), "");
    EXPECT_TRUE(getPropertyTextW(nullptr) == L"");
    EXPECT_TRUE(getPropertyTextW(makePropertyDataInt(12).get()) == L"12");

    // Unboxing gives zero for null and for other types.
    EXPECT_EQ(unboxPropertyInt(makePropertyDataInt(5).get()), 5);
    EXPECT_EQ(unboxPropertyInt(makePropertyDataFloat(5).get()), 0);
    EXPECT_TRUE(unboxPropertyBool(makePropertyDataBool(true).get()));
    EXPECT_FALSE(unboxPropertyBool(makeStringProperty("true").get()));
    EXPECT_EQ(unboxPropertyFloat(nullptr), 0.0f);
    EXPECT_EQ(unboxPropertyColor(makePropertyDataColor(0xff00ff00u).get()).color, 0xff00ff00u);
    EXPECT_EQ(unboxPropertyColor(makePropertyDataInt(1).get()).color, 0u);
    EXPECT_EQ(unboxPropertyVector2d(makePropertyDataVector3d(vector3df(1, 2, 3)).get()), vector2df(0, 0));
    EXPECT_EQ(unboxPropertyVector3d(makePropertyDataVector3d(vector3df(1, 2, 3)).get()), vector3df(1, 2, 3));
}

namespace {

// The least of a sound: the property value only holds it.
class QuietSound : public ISound {
public:
    QuietSound() : ISound(CCreationContext()) {}
    ISound* clone() const override { return new QuietSound(); }
    s32 getState() override { return SoundStopped; }
    bool play() override { return false; }
    void stop() override {}
    void setPaused(bool) override {}
    f32 getVolume() const override { return 1.0f; }
    void setVolume(f32) override {}
    bool isLooping() const override { return false; }
    void setLooping(bool) override {}
    void setPosition(const vector3df&) override {}
    const vector3df& getPosition() const override { return m_position; }
    u32 getPlayPosition() override { return 0; }

private:
    vector3df m_position;
};

}  // namespace

TEST(PropertyDataSound, GivesItsSoundTyped) {
    CRefPtr<QuietSound> sound = makeRef<QuietSound>();
    CPropertyDataSound value(sound.get());
    EXPECT_EQ(value.getSound(), sound.get());
    EXPECT_EQ(sound->getReferenceCount(), 2);
    // Something else under the sound type code is held, but it is no sound.
    CRefPtr<test::FakeResource> other =
        makeRef<test::FakeResource>(nullptr, "x", TypeCodeSound);
    ASSERT_TRUE(value.setResource(other.get()));
    EXPECT_EQ(value.getSound(), nullptr);
    ASSERT_TRUE(value.setResource(nullptr));
    EXPECT_EQ(value.getSound(), nullptr);
    EXPECT_EQ(sound->getReferenceCount(), 1);
}
