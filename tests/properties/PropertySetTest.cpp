#include <gtest/gtest.h>

#include <string>
#include <tuple>

#include "engine/video/render2d/RenderPropertyTypes.h"
#include "engine/properties/CPropertyData.h"
#include "engine/properties/CPropertySet.h"
#include "engine/properties/CPropertyTypeRegistry.h"
#include "tests/properties/PropertyTestSupport.h"
#include "tests/support/TestSupport.h"

using namespace oskel;
using oskel::test::FakeContentManager;
using oskel::test::LogCapture;
using oskel::test::readerAtFirstElement;
using oskel::test::XmlBuffer;

namespace {

CRefPtr<CPropertySet> newSet(IContentManager* contentManager = nullptr) {
    return makeRef<CPropertySet>(contentManager);
}

std::string names(const CPropertySet& set) {
    std::string out;
    for (u32 i = 0; i < set.getPropertyCount(); ++i) {
        if (i) out += ",";
        out += set.getPropertyName(i).c_str();
    }
    return out;
}

CRefPtr<CPropertySet> readSet(const std::string& xml, IContentManager* contentManager = nullptr,
                              bool* answer = nullptr) {
    CRefPtr<CXmlReader> reader = readerAtFirstElement(xml);
    CRefPtr<CPropertySet> set = newSet(contentManager);
    const bool ok = set->readXml(reader.get(), true);
    if (answer) *answer = ok;
    return set;
}

std::string writeSet(const CPropertySet& set, bool enclose = true, const stringw& name = stringw()) {
    XmlBuffer buffer;
    {
        CRefPtr<CXmlWriter> writer = buffer.writer();
        EXPECT_TRUE(set.writeXml(writer.get(), false, name, enclose));
    }
    return buffer.text();
}

// Writes the set with the declaration and reads it back.
CRefPtr<CPropertySet> roundTrip(const CPropertySet& set, IContentManager* contentManager = nullptr) {
    XmlBuffer buffer;
    {
        CRefPtr<CXmlWriter> writer = buffer.writer();
        EXPECT_TRUE(set.writeXml(writer.get(), true));
    }
    CRefPtr<CXmlReader> reader = buffer.readerAtFirstElement();
    CRefPtr<CPropertySet> back = newSet(contentManager);
    EXPECT_TRUE(back->readXml(reader.get(), true));
    return back;
}

// Same names in the same order with equal values (nested sets compared by content).
void expectSameContent(const CPropertySet& a, const CPropertySet& b) {
    ASSERT_EQ(names(a), names(b));
    for (u32 i = 0; i < a.getPropertyCount(); ++i) {
        SCOPED_TRACE(a.getPropertyName(i).c_str());
        CRefPtr<IPropertyData> x = a.getPropertyAt(i);
        CRefPtr<IPropertyData> y = b.getPropertyAt(i);
        ASSERT_EQ(!x, !y);
        if (!x) continue;
        ASSERT_EQ(x->getTypeId(), y->getTypeId());
        if (x->getTypeId() == PropertyTypeProperties) {
            CPropertySet* nx = static_cast<CPropertyDataProperties*>(x.get())->getProperties();
            CPropertySet* ny = static_cast<CPropertyDataProperties*>(y.get())->getProperties();
            ASSERT_EQ(!nx, !ny);
            if (nx) expectSameContent(*nx, *ny);
        } else {
            EXPECT_TRUE(x->equals(y.get())) << x->getValueString().c_str() << " / " << y->getValueString().c_str();
        }
    }
}

// A chain of sets, each holding the next as "Inner" and its depth as "Depth".
CRefPtr<CPropertySet> chain(u32 depth) {
    CRefPtr<CPropertySet> inner;
    for (u32 d = depth; d >= 1; --d) {
        CRefPtr<CPropertySet> set = newSet();
        set->addInt("Depth", static_cast<s32>(d));
        if (inner) set->addProperties("Inner", inner.get());
        inner = set;
    }
    return inner;
}

u32 chainDepth(const CPropertySet* set) {
    u32 depth = 0;
    while (set && set->getPropertyCount() > 0) {
        ++depth;
        EXPECT_EQ(set->getInt("Depth"), static_cast<s32>(depth));
        CRefPtr<IPropertyData> inner = set->getProperty("Inner");
        set = inner ? static_cast<CPropertyDataProperties*>(inner.get())->getProperties() : nullptr;
    }
    return depth;
}

}  // namespace

TEST(PropertySet, EntriesKeepTheirOrderAndTheIndexFindsTheLastOfAName) {
    CRefPtr<CPropertySet> set = newSet();
    set->addInt("A", 1);
    set->addInt("B", 2);
    set->addInt("A", 3);
    set->addProperty("Empty", nullptr);
    EXPECT_EQ(names(*set), "A,B,A,Empty");
    EXPECT_EQ(set->getPropertyIndex("A"), 2);
    EXPECT_EQ(set->getPropertyIndex("a"), -1);
    EXPECT_EQ(set->getInt("A"), 3);
    EXPECT_EQ(set->getPropertyIndex("Empty"), 3);
    EXPECT_FALSE(set->getProperty("Empty"));

    // Setting replaces the value the name points at, and only that one.
    set->setInt("A", 30);
    EXPECT_EQ(unboxPropertyInt(set->getPropertyAt(0).get()), 1);
    EXPECT_EQ(unboxPropertyInt(set->getPropertyAt(2).get()), 30);
    set->setInt("C", 4);
    EXPECT_EQ(names(*set), "A,B,A,Empty,C");

    // Both entries of a name are written; the entry without a value is not.
    const std::string xml = writeSet(*set);
    EXPECT_NE(xml.find("Name=\"A\" Value=\"1\""), std::string::npos) << xml;
    EXPECT_NE(xml.find("Name=\"A\" Value=\"30\""), std::string::npos) << xml;
    EXPECT_EQ(xml.find("Empty"), std::string::npos) << xml;

    // Positions past the end.
    EXPECT_FALSE(set->getPropertyAt(5));
    set->setPropertyAt(5, makePropertyDataInt(9));
    EXPECT_EQ(set->getPropertyCount(), 5u);
    EXPECT_STREQ(set->getPropertyName(5).c_str(), "");
    set->setPropertyAt(1, makePropertyDataInt(20));
    EXPECT_EQ(set->getInt("B"), 20);

    set->clear();
    EXPECT_EQ(set->getPropertyCount(), 0u);
    EXPECT_EQ(set->getPropertyIndex("A"), -1);
}

TEST(PropertySet, ValuesAreHeldCounted) {
    CRefPtr<IPropertyData> value = makePropertyDataInt(1);
    {
        CRefPtr<CPropertySet> set = newSet();
        set->addProperty("X", value);
        EXPECT_EQ(value->getReferenceCount(), 2);
        CRefPtr<IPropertyData> got = set->getProperty("X");
        EXPECT_EQ(got.get(), value.get());
        EXPECT_EQ(value->getReferenceCount(), 3);
        got = nullptr;
        set->setProperty("X", makePropertyDataInt(2));
        EXPECT_EQ(value->getReferenceCount(), 1);
        set->setProperty("X", value);
        set->setProperty("X", value);  // the same value again
        EXPECT_EQ(value->getReferenceCount(), 2);
    }
    EXPECT_EQ(value->getReferenceCount(), 1);
}

TEST(PropertySet, TypedReadsNeverFailAndNeverConvert) {
    CRefPtr<CPropertySet> set = newSet();
    set->addInt("Int", 5);
    set->addFloat("Float", 2.5f);
    set->addBool("Bool", true);
    set->addString("String", "text");
    set->addStringW("Wide", L"w\u00e9");
    set->addProperty("Null", nullptr);

    EXPECT_EQ(set->getInt("Int"), 5);
    EXPECT_EQ(set->getFloat("Float"), 2.5f);
    EXPECT_TRUE(set->getBool("Bool"));
    EXPECT_STREQ(set->getString("String").c_str(), "text");
    EXPECT_TRUE(set->getStringW("Wide") == L"w\u00e9");

    const char* missing[] = {"Missing", "Null", "int"};
    for (const char* name : missing) {
        EXPECT_EQ(set->getInt(name), 0);
        EXPECT_EQ(set->getFloat(name), 0.0f);
        EXPECT_FALSE(set->getBool(name));
        EXPECT_STREQ(set->getString(name).c_str(), "");
        EXPECT_TRUE(set->getStringW(name) == L"");
    }
    // Other types give zero...
    EXPECT_EQ(set->getFloat("Int"), 0.0f);
    EXPECT_EQ(set->getInt("Float"), 0);
    EXPECT_FALSE(set->getBool("String"));
    // ...but any value has a text.
    EXPECT_STREQ(set->getString("Int").c_str(), "5");
    EXPECT_STREQ(set->getString("Bool").c_str(), "true");

    // Setting does not check the type: it replaces the value.
    set->setInt("Float", 7);
    EXPECT_EQ(set->getInt("Float"), 7);
    EXPECT_EQ(set->getProperty("Float")->getTypeId(), static_cast<u32>(PropertyTypeInt));
}

TEST(PropertySet, TypedAdditions) {
    FakeContentManager manager;
    CResource* texture = manager.add("tex.png", TypeCodeAtlasTexture);
    CRefPtr<CPropertySet> nested = newSet();
    array<stringw> strings;
    strings.push_back(L"s");

    CRefPtr<CPropertySet> set = newSet();
    set->addColor("Color", irr::video::SColor(0x80112233u));
    set->addVector2d("V2", vector2df(1, 2));
    set->addVector3d("V3", vector3df(1, 2, 3));
    set->addStringWArray("List", strings);
    set->addProperties("Nested", nested.get());
    set->addAtlasTexture("Texture", texture);
    set->setBool("Flag", true);
    set->setFloat("F", 0.5f);
    set->setString("S", "s");
    set->setStringW("W", L"w");

    const struct {
        const char* name;
        u32 type;
        const char* text;
    } cases[] = {
        {"Color", PropertyTypeColor, "80112233"},
        {"V2", PropertyTypeVector2d, "1.000000;2.000000"},
        {"V3", PropertyTypeVector3d, "1.000000;2.000000;3.000000"},
        {"List", PropertyTypeStringWArray, ""},
        {"Nested", PropertyTypeProperties, ""},
        {"Texture", PropertyTypeAtlasTexture, "tex.png"},
        {"Flag", PropertyTypeBool, "true"},
        {"F", PropertyTypeFloat, "0.500000"},
        {"S", PropertyTypeString, "s"},
        {"W", PropertyTypeStringW, "w"},
    };
    for (const auto& c : cases) {
        CRefPtr<IPropertyData> v = set->getProperty(c.name);
        ASSERT_TRUE(v) << c.name;
        EXPECT_EQ(v->getTypeId(), c.type) << c.name;
        EXPECT_STREQ(v->getValueString().c_str(), c.text) << c.name;
    }
    EXPECT_EQ(static_cast<CPropertyDataProperties*>(set->getProperty("Nested").get())->getProperties(), nested.get());
}

TEST(PropertySet, WrittenForm) {
    CRefPtr<CPropertySet> set = newSet();
    set->addInt("Level", 3);
    set->addBool("Active", true);
    EXPECT_EQ(writeSet(*set),
              "<Properties>\r\n"
              "\t<int Name=\"Level\" Value=\"3\" />\r\n"
              "\t<bool Name=\"Active\" Value=\"true\" />\r\n"
              "</Properties>\r\n");
    EXPECT_EQ(writeSet(*set, true, L"Parameters").substr(0, 14), "<Parameters>\r\n");
    EXPECT_EQ(writeSet(*set, false),
              "<int Name=\"Level\" Value=\"3\" />\r\n"
              "<bool Name=\"Active\" Value=\"true\" />\r\n");

    CRefPtr<CPropertySet> inner = newSet();
    inner->addFloat("Scale", 2.5f);
    CRefPtr<CPropertySet> outer = newSet();
    outer->addProperties("Inner", inner.get());
    EXPECT_EQ(writeSet(*outer),
              "<Properties>\r\n"
              "\t<properties Name=\"Inner\">\r\n"
              "\t\t<float Name=\"Scale\" Value=\"2.500000\" />\r\n"
              "\t</properties>\r\n"
              "</Properties>\r\n");

    XmlBuffer buffer;
    {
        CRefPtr<CXmlWriter> writer = buffer.writer();
        EXPECT_TRUE(set->writeXml(writer.get(), true));
    }
    EXPECT_EQ(buffer.text().substr(0, 23), "<?xml version=\"1.0\"?>\r\n");
    EXPECT_FALSE(set->writeXml(nullptr));
}

TEST(PropertySet, XmlRoundTripOfEveryType) {
    FakeContentManager manager;
    manager.add("fonts/main.ofnt", TypeCodeFont);
    manager.add("sounds/click.ogg", TypeCodeSound);
    manager.add("atlases/coin0001.png", TypeCodeAtlasTexture);

    CRefPtr<CPropertySet> set = newSet(&manager);
    set->addInt("Int", -12);
    set->addBool("Bool", true);
    set->addFloat("Float", 0.1f + 0.2f);
    set->addFloat("Tiny", 1.17549435e-38f);
    set->addColor("Color", irr::video::SColor(0x7f00ff80u));
    set->addProperty("Colorf", CRefPtr<IPropertyData>::fromRaw(
                                   new CPropertyDataColorf(irr::video::SColorf(0.1f, 0.2f, 0.3f, 0.4f))));
    set->addVector2d("V2", vector2df(1.0f / 3.0f, -2.0f / 3.0f));
    set->addVector3d("V3", vector3df(1e10f, -1e-10f, 0.5f));
    set->addProperty("Rect", CRefPtr<IPropertyData>::fromRaw(new CPropertyDataRect(rectf(0.1f, 0.2f, 300.7f, 400.9f))));
    set->addString("String", "a \"quoted\" <text> & more");
    set->addStringW("Wide", L"\u00e9\u4e2d\r\n\t");
    array<stringw> strings;
    strings.push_back(L"one");
    strings.push_back(L"two & three");
    set->addStringWArray("List", strings);
    CRefPtr<CPropertySet> nested = newSet();
    nested->addInt("Deep", 1);
    nested->addStringWArray("NestedList", strings);
    CRefPtr<CPropertySet> deeper = newSet();
    deeper->addString("Leaf", "leaf");
    nested->addProperties("Deeper", deeper.get());
    set->addProperties("Nested", nested.get());
    set->addInt("Int", 99);  // a second entry of a name
    for (const auto& [name, type, text] : {std::tuple{"Font", L"font", "fonts/main.ofnt"},
                                           std::tuple{"Sound", L"sound", "sounds/click.ogg"},
                                           std::tuple{"Texture", L"atlasTexture", "atlases/coin0001.png"}}) {
        CRefPtr<IPropertyData> v = CPropertyTypeRegistry::instance().create(type, &manager);
        v->setValueString(text);
        ASSERT_NE(dynamic_cast<CPropertyDataResource*>(v.get())->getResource(), nullptr);
        set->addProperty(name, v);
    }

    CRefPtr<CPropertySet> back = roundTrip(*set, &manager);
    expectSameContent(*set, *back);
    EXPECT_EQ(back->getInt("Int"), 99);
    EXPECT_EQ(back->getPropertyIndex("Int"), set->getPropertyIndex("Int"));
    EXPECT_EQ(back->getContentManager(), &manager);
}

TEST(PropertySet, ReadingEdgeCases) {
    bool ok = false;
    // An empty element gives an empty set.
    CRefPtr<CPropertySet> set = readSet("<Properties/>", nullptr, &ok);
    EXPECT_TRUE(ok);
    EXPECT_EQ(set->getPropertyCount(), 0u);

    // Another element name with the check: false and an empty set.
    {
        CRefPtr<CXmlReader> reader = readerAtFirstElement("<Other><int Name=\"A\" Value=\"1\"/></Other>");
        CRefPtr<CPropertySet> s = newSet();
        s->addInt("Old", 1);
        EXPECT_FALSE(s->readXml(reader.get(), true));
        EXPECT_EQ(s->getPropertyCount(), 0u);
        // Without the check the element is read, up to its own closing tag.
        CRefPtr<CXmlReader> again = readerAtFirstElement("<Other><int Name=\"A\" Value=\"1\"/></Other>");
        EXPECT_TRUE(s->readXml(again.get(), false, L"Other"));
        EXPECT_EQ(s->getInt("A"), 1);
        EXPECT_FALSE(s->readXml(nullptr));
    }

    // An unregistered type gives an entry without a value, which is not written; elements
    // inside it become entries of the same set, in document order.
    set = readSet(
        "<Properties><mystery Name=\"X\"><int Name=\"Y\" Value=\"2\"/></mystery><int Name=\"Z\" Value=\"3\"/>"
        "</Properties>");
    EXPECT_EQ(names(*set), "X,Y,Z");
    EXPECT_FALSE(set->getProperty("X"));
    EXPECT_EQ(set->getPropertyIndex("X"), 0);
    EXPECT_EQ(set->getInt("Y"), 2);
    EXPECT_EQ(set->getInt("Z"), 3);
    EXPECT_EQ(writeSet(*set).find("X"), std::string::npos);

    // A property written as an opening and a closing element reads the same.
    set = readSet("<Properties><int Name=\"A\" Value=\"4\"></int><bool Name=\"B\" Value=\"true\"></bool></Properties>");
    EXPECT_EQ(names(*set), "A,B");
    EXPECT_EQ(set->getInt("A"), 4);
    EXPECT_TRUE(set->getBool("B"));

    // Without a Name nothing is added, but a nested set still reads (and drops) its content.
    set = readSet(
        "<Properties><int Value=\"1\"/><int Name=\"\" Value=\"1\"/>"
        "<properties><int Name=\"Inside\" Value=\"1\"/></properties><int Name=\"After\" Value=\"5\"/></Properties>");
    EXPECT_EQ(names(*set), "After");

    // Text, comments and stray end tags are passed over; reading stops at the set's closing tag.
    set = readSet(
        "<Properties>text<!-- comment --></stray><int Name=\"A\" Value=\"1\"/></Properties>"
        "<int Name=\"Outside\" Value=\"1\"/>");
    EXPECT_EQ(names(*set), "A");

    // A document that ends early ends the set.
    set = readSet("<Properties><int Name=\"A\" Value=\"1\"/>");
    EXPECT_EQ(names(*set), "A");
    set = readSet("<Properties><int Name=\"A\" Value=\"1\"/><int Name=\"B\" Val");
    EXPECT_EQ(names(*set), "A");

    // Reading replaces the content.
    CRefPtr<CXmlReader> reader = readerAtFirstElement("<Properties><int Name=\"New\" Value=\"1\"/></Properties>");
    CRefPtr<CPropertySet> replaced = newSet();
    replaced->addInt("Old", 1);
    EXPECT_TRUE(replaced->readXml(reader.get()));
    EXPECT_EQ(names(*replaced), "New");
}

TEST(PropertySet, DamagedValueTextsGiveDefaults) {
    LogCapture log;
    CRefPtr<CPropertySet> set = readSet(
        "<Properties><int Name=\"I\" Value=\"lots\"/><float Name=\"F\"/><bool Name=\"B\" Value=\"yes\"/>"
        "<vector3d Name=\"V\" Value=\";;\"/><color Name=\"C\" Value=\"xyz\"/></Properties>");
    EXPECT_EQ(names(*set), "I,F,B,V,C");
    EXPECT_EQ(set->getInt("I"), 0);
    EXPECT_EQ(set->getFloat("F"), 0.0f);
    EXPECT_FALSE(set->getBool("B"));
    EXPECT_EQ(unboxPropertyVector3d(set->getProperty("V").get()), vector3df(0, 0, 0));
    EXPECT_STREQ(set->getString("C").c_str(), "00000000");
    EXPECT_TRUE(log.contains("Property value is not a number", LogWarning));
    EXPECT_TRUE(log.contains("Property value is not a boolean", LogWarning));
    EXPECT_TRUE(log.contains("Property value is not a colour", LogWarning));
}

TEST(PropertySet, ClonesAreDeepButShareResources) {
    FakeContentManager manager;
    CResource* font = manager.add("font.ofnt", TypeCodeFont);
    CRefPtr<CPropertySet> nested = newSet(&manager);
    nested->addInt("N", 1);
    CRefPtr<IPropertyData> fontValue = CRefPtr<IPropertyData>::fromRaw(new CPropertyDataFont(font));
    nested->addProperty("Font", fontValue);
    CRefPtr<CPropertySet> set = newSet(&manager);
    set->addInt("A", 1);
    set->addInt("A", 2);
    set->addProperty("Null", nullptr);
    set->addProperties("Nested", nested.get());

    CRefPtr<CPropertySet> copy = set->clone();
    EXPECT_EQ(copy->getReferenceCount(), 1);
    EXPECT_EQ(copy->getContentManager(), &manager);
    expectSameContent(*set, *copy);
    EXPECT_EQ(copy->getPropertyIndex("A"), 1);
    EXPECT_FALSE(copy->getProperty("Null"));

    CRefPtr<IPropertyData> copiedNested = copy->getProperty("Nested");
    CPropertySet* nestedCopy = static_cast<CPropertyDataProperties*>(copiedNested.get())->getProperties();
    ASSERT_NE(nestedCopy, nullptr);
    EXPECT_NE(nestedCopy, nested.get());
    CRefPtr<IPropertyData> copiedFont = nestedCopy->getProperty("Font");
    EXPECT_NE(copiedFont.get(), fontValue.get());
    EXPECT_EQ(static_cast<CPropertyDataFont*>(copiedFont.get())->getResource(), font);

    // Changing the copy leaves the source alone.
    copy->setInt("A", 5);
    nestedCopy->setInt("N", 5);
    EXPECT_EQ(set->getInt("A"), 2);
    EXPECT_EQ(nested->getInt("N"), 1);
}

TEST(PropertySet, NestedResourcesReadFromXmlLoadTheirResources) {
    FakeContentManager manager;
    CResource* font = manager.add("fonts/f.ofnt", TypeCodeFont);
    CRefPtr<CPropertySet> set = readSet(
        "<Properties><properties Name=\"Style\"><font Name=\"Font\" Value=\"fonts/f.ofnt\"/>"
        "<properties Name=\"Inner\"><font Name=\"Font\" Value=\"fonts/f.ofnt\"/></properties></properties>"
        "</Properties>",
        &manager);
    CRefPtr<IPropertyData> style = set->getProperty("Style");
    ASSERT_TRUE(style);
    CPropertySet* styleSet = static_cast<CPropertyDataProperties*>(style.get())->getProperties();
    ASSERT_NE(styleSet, nullptr);
    EXPECT_EQ(styleSet->getContentManager(), &manager);
    EXPECT_EQ(static_cast<CPropertyDataFont*>(styleSet->getProperty("Font").get())->getResource(), font);
    CRefPtr<IPropertyData> inner = styleSet->getProperty("Inner");
    CPropertySet* innerSet = static_cast<CPropertyDataProperties*>(inner.get())->getProperties();
    EXPECT_EQ(static_cast<CPropertyDataFont*>(innerSet->getProperty("Font").get())->getResource(), font);
}

TEST(PropertySet, DeeplyNestedXmlIsCutWithoutExhaustingTheStack) {
    const int depth = 100000;
    std::string xml = "<Properties><int Name=\"Before\" Value=\"1\"/>";
    for (int i = 0; i < depth; ++i) xml += "<properties Name=\"Inner\"><int Name=\"Depth\" Value=\"" + std::to_string(i + 2) + "\"/>";
    for (int i = 0; i < depth; ++i) xml += "</properties>";
    xml += "<int Name=\"After\" Value=\"2\"/></Properties>";

    LogCapture log;
    bool ok = false;
    CRefPtr<CPropertySet> set = readSet(xml, nullptr, &ok);
    EXPECT_TRUE(ok);
    EXPECT_TRUE(log.contains("Property sets nested too deeply: a nested set is read empty", LogError));
    // Everything after the deep block still belongs to the outer set.
    EXPECT_EQ(names(*set), "Before,Inner,After");
    EXPECT_EQ(set->getInt("After"), 2);

    // The nesting is kept down to the limit.
    u32 levels = 0;
    const CPropertySet* s = set.get();
    while (s) {
        ++levels;
        CRefPtr<IPropertyData> inner = s->getProperty("Inner");
        s = inner ? static_cast<CPropertyDataProperties*>(inner.get())->getProperties() : nullptr;
        if (s && s->getPropertyCount() == 0) break;
    }
    EXPECT_EQ(levels, MaxPropertySetDepth);
}

TEST(PropertySet, NestingWithinTheLimitRoundTrips) {
    CRefPtr<CPropertySet> set = chain(MaxPropertySetDepth);
    LogCapture log;
    CRefPtr<CPropertySet> back = roundTrip(*set);
    EXPECT_EQ(chainDepth(back.get()), MaxPropertySetDepth);
    EXPECT_EQ(chainDepth(set->clone().get()), MaxPropertySetDepth);
    EXPECT_TRUE(log.lines().empty());
}

TEST(PropertySet, WritingAndCloningStopAtTheNestingLimit) {
    CRefPtr<CPropertySet> set = chain(MaxPropertySetDepth + 8);
    LogCapture log;
    CRefPtr<CPropertySet> back = roundTrip(*set);
    EXPECT_TRUE(log.contains("Property sets nested too deeply: a nested set is written empty", LogError));
    EXPECT_EQ(chainDepth(back.get()), MaxPropertySetDepth);
    CRefPtr<CPropertySet> copy = set->clone();
    EXPECT_TRUE(log.contains("Property sets nested too deeply: a nested set is copied empty", LogError));
    EXPECT_EQ(chainDepth(copy.get()), MaxPropertySetDepth);
}

TEST(PropertySet, ASetHoldingItselfCanBeWrittenAndCloned) {
    CRefPtr<CPropertySet> set = newSet();
    set->addInt("Depth", 1);
    set->addProperties("Self", set.get());
    LogCapture log;
    XmlBuffer buffer;
    {
        CRefPtr<CXmlWriter> writer = buffer.writer();
        EXPECT_TRUE(set->writeXml(writer.get(), true));
    }
    CRefPtr<CPropertySet> back = newSet();
    EXPECT_TRUE(back->readXml(buffer.readerAtFirstElement().get()));
    CRefPtr<CPropertySet> copy = set->clone();
    EXPECT_EQ(copy->getPropertyCount(), 2u);
    // Break the cycles so that the sets can go.
    set->setPropertyAt(1, nullptr);
    std::vector<CRefPtr<CPropertySet>> pending{copy, back};
    while (!pending.empty()) {
        CRefPtr<CPropertySet> s = pending.back();
        pending.pop_back();
        CRefPtr<IPropertyData> self = s->getProperty("Self");
        if (!self) continue;
        auto* nested = static_cast<CPropertyDataProperties*>(self.get());
        if (nested->getProperties()) pending.push_back(CRefPtr<CPropertySet>(nested->getProperties()));
        s->setPropertyAt(1, nullptr);
    }
}
