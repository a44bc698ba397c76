#include <gtest/gtest.h>

#include <string>

#include "engine/properties/CPropertyData.h"
#include "engine/properties/CPropertySet.h"
#include "engine/properties/CPropertyTypeRegistry.h"
#include "engine/properties/EngineSettings.h"
#include "engine/properties/IPropertyTableSource.h"
#include "tests/properties/PropertyTestSupport.h"

using namespace oskel;
using oskel::test::FakeContentManager;
using oskel::test::readerAtFirstElement;

TEST(PropertyTypeRegistry, CreatesValuesByExactTypeName) {
    CPropertyTypeRegistry& registry = CPropertyTypeRegistry::instance();
    EXPECT_EQ(&registry, &CPropertyTypeRegistry::instance());
    FakeContentManager manager;

    CRefPtr<IPropertyData> v = registry.create(L"vector3d", &manager);
    ASSERT_TRUE(v);
    EXPECT_EQ(unboxPropertyVector3d(v.get()), vector3df(0, 0, 0));
    EXPECT_EQ(v->getReferenceCount(), 1);
    EXPECT_NE(registry.create(L"vector3d", nullptr).get(), v.get());  // a new value each time

    for (const wchar_t* name : {L"Vector3d", L"VECTOR3D", L"", L"none", L"int ", L"double"})
        EXPECT_FALSE(registry.create(name, &manager)) << std::wstring(name).size();

    // The resource types keep the content manager.
    for (const wchar_t* name : {L"font", L"sound", L"atlasTexture"}) {
        CRefPtr<IPropertyData> r = registry.create(name, &manager);
        EXPECT_EQ(dynamic_cast<CPropertyDataResource*>(r.get())->getContentManager(), &manager);
    }
}

namespace {

// A value type of the game's own.
class CTestPropertyData : public CPropertyDataInt {
public:
    explicit CTestPropertyData(s32 v) : CPropertyDataInt(v) {}
    const stringw& getTypeName() const override {
        static const stringw name(L"registryTestType");
        return name;
    }
};

}  // namespace

TEST(PropertyTypeRegistry, TheFirstFactoryOfANameStays) {
    CPropertyTypeRegistry& registry = CPropertyTypeRegistry::instance();
    EXPECT_FALSE(registry.registerType(L"int", [](IContentManager*) { return makePropertyDataFloat(1.0f); }));
    EXPECT_EQ(registry.create(L"int", nullptr)->getTypeId(), static_cast<u32>(PropertyTypeInt));
    EXPECT_FALSE(registry.registerType(L"registryNoFactory", PropertyDataFactory()));
    EXPECT_FALSE(registry.isRegistered(L"registryNoFactory"));

    // A registered type is read from XML like the engine's own.
    ASSERT_TRUE(registry.registerType(L"registryTestType", [](IContentManager*) {
        return CRefPtr<IPropertyData>::fromRaw(new CTestPropertyData(0));
    }));
    EXPECT_TRUE(registry.isRegistered(L"registryTestType"));
    CRefPtr<CXmlReader> reader =
        readerAtFirstElement("<Properties><registryTestType Name=\"Custom\" Value=\"41\"/></Properties>");
    CRefPtr<CPropertySet> set = makeRef<CPropertySet>();
    ASSERT_TRUE(set->readXml(reader.get()));
    CRefPtr<IPropertyData> custom = set->getProperty("Custom");
    ASSERT_TRUE(custom);
    EXPECT_TRUE(custom->getTypeName() == L"registryTestType");
    EXPECT_EQ(set->getInt("Custom"), 41);
}

// ---- class property tables ----

namespace {

// A small class hierarchy in the manner of the node classes: the parent's rows come first.
class TestNode : public IPropertyTableSource {
public:
    CNameId name;
    bool visible = true;
    vector3df position{0, 0, 0};
    u32 positionChanges = 0;

    void setPosition(const vector3df& p) {
        position = p;
        ++positionChanges;
    }

    const CPropertyTable& getPropertyTable() const override {
        static const CPropertyTable table = [this] {
            CPropertyTable t;
            appendPropertyDescriptors(t, IPropertyTableSource::getPropertyTable());
            t.push_back({"Name",
                         [](IPropertyTableSource* o, const CRefPtr<IPropertyData>& v) {
                             static_cast<TestNode*>(o)->name = getPropertyNameId(v.get());
                         },
                         [](const IPropertyTableSource* o) {
                             return makePropertyDataFromNameId(static_cast<const TestNode*>(o)->name);
                         }});
            t.push_back({"Visible",
                         [](IPropertyTableSource* o, const CRefPtr<IPropertyData>& v) {
                             static_cast<TestNode*>(o)->visible = unboxPropertyBool(v.get());
                         },
                         [](const IPropertyTableSource* o) {
                             return makePropertyDataBool(static_cast<const TestNode*>(o)->visible);
                         }});
            t.push_back({"Position",
                         [](IPropertyTableSource* o, const CRefPtr<IPropertyData>& v) {
                             static_cast<TestNode*>(o)->setPosition(unboxPropertyVector3d(v.get()));
                         },
                         [](const IPropertyTableSource* o) {
                             return makePropertyDataVector3d(static_cast<const TestNode*>(o)->position);
                         }});
            return t;
        }();
        return table;
    }
};

class TestControl : public TestNode {
public:
    bool enabled = true;

    const CPropertyTable& getPropertyTable() const override {
        static const CPropertyTable table = [this] {
            CPropertyTable t;
            appendPropertyDescriptors(t, TestNode::getPropertyTable());
            t.push_back({"Enabled",
                         [](IPropertyTableSource* o, const CRefPtr<IPropertyData>& v) {
                             static_cast<TestControl*>(o)->enabled = unboxPropertyBool(v.get());
                         },
                         [](const IPropertyTableSource* o) {
                             return makePropertyDataBool(static_cast<const TestControl*>(o)->enabled);
                         }});
            // A second row of a name: lookups by name find the first.
            t.push_back({"Visible", nullptr, nullptr});
            return t;
        }();
        return table;
    }
};

// Adds no property of its own: its table is its parent's, copied.
class TestScene : public TestControl {
public:
    const CPropertyTable& getPropertyTable() const override {
        static const CPropertyTable table = [this] {
            CPropertyTable t;
            appendPropertyDescriptors(t, TestControl::getPropertyTable());
            return t;
        }();
        return table;
    }
};

std::string rowNames(const CPropertyTable& table) {
    std::string out;
    for (const CPropertyDescriptor& row : table) {
        if (!out.empty()) out += ",";
        out += row.name.c_str();
    }
    return out;
}

}  // namespace

TEST(PropertyTables, ParentRowsComeFirst) {
    TestNode node;
    TestControl control;
    TestScene scene;
    EXPECT_TRUE(IPropertyTableSource().getPropertyTable().empty());
    EXPECT_EQ(rowNames(node.getPropertyTable()), "Name,Visible,Position");
    EXPECT_EQ(rowNames(control.getPropertyTable()), "Name,Visible,Position,Enabled,Visible");
    EXPECT_EQ(rowNames(scene.getPropertyTable()), rowNames(control.getPropertyTable()));
    EXPECT_NE(&scene.getPropertyTable(), &control.getPropertyTable());
    // Built once: the same table on every call and for every object.
    EXPECT_EQ(&TestControl().getPropertyTable(), &control.getPropertyTable());
    EXPECT_EQ(scene.findPropertyIndex("Enabled"), 3);
    EXPECT_EQ(scene.findPropertyIndex("Name"), 0);
    EXPECT_EQ(scene.findPropertyIndex("Visible"), 1);
    EXPECT_EQ(scene.findPropertyIndex("position"), -1);
    EXPECT_EQ(scene.findPropertyIndex(""), -1);
}

TEST(PropertyTables, SettingByPositionAndByName) {
    TestScene scene;
    scene.setPropertyByIndex(2, makePropertyDataVector3d(vector3df(5, 6, 7)));
    EXPECT_EQ(scene.position, vector3df(5, 6, 7));
    EXPECT_EQ(scene.positionChanges, 1u);

    // Positions outside the table and rows without a setter do nothing.
    for (s32 position : {-1, 5, 6, 1000}) scene.setPropertyByIndex(position, makePropertyDataBool(false));
    EXPECT_TRUE(scene.visible);
    EXPECT_TRUE(scene.enabled);

    scene.setPropertyByName("Enabled", makePropertyDataBool(false));
    EXPECT_FALSE(scene.enabled);
    scene.setPropertyByName("Visible", makePropertyDataBool(false));  // the first "Visible" row
    EXPECT_FALSE(scene.visible);

    // Exact names only.
    scene.setPropertyByName("position", makePropertyDataVector3d(vector3df(1, 1, 1)));
    scene.setPropertyByName("Unknown", makePropertyDataVector3d(vector3df(1, 1, 1)));
    EXPECT_EQ(scene.position, vector3df(5, 6, 7));
    EXPECT_EQ(scene.positionChanges, 1u);

    // Name-valued members take the text of a value of any type.
    scene.setPropertyByName("Name", makePropertyDataStringW(L"Hero"));
    EXPECT_EQ(scene.name, CNameId("Hero"));
    scene.setPropertyByName("Name", makePropertyDataInt(12));
    EXPECT_EQ(scene.name, CNameId("12"));
    scene.setPropertyByName("Name", nullptr);
    EXPECT_TRUE(scene.name.isEmpty());
}

TEST(PropertyTables, AMissingOrWronglyTypedValueClearsTheMember) {
    TestControl control;
    control.position = vector3df(1, 2, 3);
    control.setPropertyByName("Visible", makeStringProperty("true"));
    EXPECT_FALSE(control.visible);
    control.visible = true;
    control.setPropertyByName("Visible", nullptr);
    EXPECT_FALSE(control.visible);
    control.setPropertyByName("Position", makePropertyDataVector2d(vector2df(4, 5)));
    EXPECT_EQ(control.position, vector3df(0, 0, 0));
}

TEST(PropertyTables, GettersBoxTheCurrentMember) {
    TestControl control;
    control.name = CNameId("Button");
    control.position = vector3df(1, 2, 3);
    control.enabled = false;
    EXPECT_STREQ(control.getPropertyByName("Name")->getValueString().c_str(), "Button");
    EXPECT_EQ(control.getPropertyByName("Name")->getTypeId(), static_cast<u32>(PropertyTypeString));
    EXPECT_EQ(unboxPropertyVector3d(control.getPropertyByIndex(2).get()), vector3df(1, 2, 3));
    EXPECT_FALSE(unboxPropertyBool(control.getPropertyByName("Enabled").get()));
    EXPECT_FALSE(control.getPropertyByIndex(4));  // no getter
    EXPECT_FALSE(control.getPropertyByIndex(-1));
    EXPECT_FALSE(control.getPropertyByName("Unknown"));

    // A getter's value set back through the setter changes nothing.
    TestControl other;
    for (s32 i = 0; i < 4; ++i) other.setPropertyByIndex(i, control.getPropertyByIndex(i));
    EXPECT_EQ(other.name, control.name);
    EXPECT_EQ(other.position, control.position);
    EXPECT_EQ(other.enabled, control.enabled);
}

TEST(PropertyTables, AppendingCopiesRowsInOrder) {
    CPropertyTable a;
    a.push_back({"A", nullptr, nullptr});
    a.push_back({"B", nullptr, nullptr});
    CPropertyTable b;
    b.push_back({"C", nullptr, nullptr});
    appendPropertyDescriptors(b, a);
    EXPECT_EQ(rowNames(b), "C,A,B");
    appendPropertyDescriptors(a, a);
    EXPECT_EQ(rowNames(a), "A,B,A,B");
}

TEST(PropertyHolder, DefaultsDoNothing) {
    IPropertyHolder holder;
    CRefPtr<CPropertySet> set = makeRef<CPropertySet>();
    holder.saveProperties(set.get());
    holder.loadProperties(set.get());
    EXPECT_EQ(set->getPropertyCount(), 0u);
}

TEST(EngineSettings, EngineDefaults) {
    CRefPtr<CPropertySet> settings = createEngineSettings();
    ASSERT_TRUE(settings);
    EXPECT_EQ(settings->getReferenceCount(), 1);
    const struct {
        const char* key;
        const wchar_t* value;
    } expected[] = {
        {"PublisherName", L"Wendmark"},   {"TitleName", L"Oskel Sample"}, {"TitleCaption", L"Oskel Sample"},
        {"ProfilesCryptKey", L""},        {"AssetsCryptKey", L""},        {"AssetsFolder", L"assets"},
    };
    ASSERT_EQ(settings->getPropertyCount(), 6u);
    for (u32 i = 0; i < 6; ++i) {
        EXPECT_STREQ(settings->getPropertyName(i).c_str(), expected[i].key);
        CRefPtr<IPropertyData> v = settings->getPropertyAt(i);
        ASSERT_TRUE(v);
        EXPECT_EQ(v->getTypeId(), static_cast<u32>(PropertyTypeStringW)) << expected[i].key;
        EXPECT_TRUE(v->getValueStringW() == expected[i].value) << expected[i].key;
    }
    EXPECT_TRUE(settings->getStringW(EngineSettingAssetsFolder) == L"assets");
    // Each call makes an independent set.
    CRefPtr<CPropertySet> other = createEngineSettings();
    other->setStringW(EngineSettingTitleName, L"Brasquel");
    EXPECT_TRUE(settings->getStringW(EngineSettingTitleName) == L"Oskel Sample");
}
