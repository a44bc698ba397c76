// Particle collections and single emitter files through the content manager: named emitters
// registered and cloned, skipped entries, repeated loads, and saving refused.

#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "engine/io/CXmlWriter.h"
#include "engine/properties/CPropertySet.h"
#include "engine/video/render2d/BaseEmitter.h"
#include "engine/video/render2d/ParticleCollection.h"
#include "tests/support/TestSupport.h"
#include "tests/video/render2d/RenderContentFixture.h"

using namespace oskel;
using namespace oskel::test;

namespace {

struct Entry {
    const wchar_t* type;
    std::vector<CRefPtr<CPropertySet>> properties;  // one "Properties" child each
    bool empty = false;                              // written as an empty element
};

CRefPtr<CPropertySet> settings(const char* name, vector2df pps = vector2df(10.0f, 10.0f)) {
    CRefPtr<CPropertySet> set = makeRef<CPropertySet>();
    if (name) set->addString("Name", name);
    set->addVector2d("PPSRange", pps);
    return set;
}

class ParticleCollectionTest : public RenderContentFixture {
protected:
    std::string writeCollection(const std::string& name, const std::vector<Entry>& entries) {
        return writeXml(name, [&](CXmlWriter& w) {
            w.writeElement(L"ParticleCollection");
            w.writeLineBreak();
            for (const Entry& e : entries) {
                w.writeElement(L"ParticleEmitter", e.empty, L"Type", e.type);
                w.writeLineBreak();
                if (e.empty) continue;
                for (const auto& set : e.properties) set->writeXml(&w, false, L"Properties");
                w.writeClosingTag(L"ParticleEmitter");
                w.writeLineBreak();
            }
            w.writeClosingTag(L"ParticleCollection");
        });
    }
    CRefPtr<ParticleCollection> load(const std::string& file) {
        return CRefPtr<ParticleCollection>::fromRaw(as<ParticleCollection>(
            manager->getContentByPath(TypeCodeParticleCollection, file.c_str(), false), TypeCodeParticleCollection));
    }
    BaseEmitter* registered(const char* name) const {
        return dynamic_cast<BaseEmitter*>(manager->findContent(TypeCodeEmitter, CCreationContext(manager, name)));
    }
};

TEST_F(ParticleCollectionTest, NamedEmittersAreRegisteredAndHandedOutAsClones) {
    CRefPtr<CPropertySet> later = makeRef<CPropertySet>();
    later->addVector2d("LifeTimeRange", vector2df(500.0f, 600.0f));
    later->addVector2d("XRange", vector2df(1.0f, 9.0f));
    const std::string file = writeCollection(
        "fx/ParticleCollection.xml",
        {{L"PointEmitter", {settings("Sparks", vector2df(50.0f, 60.0f))}},
         {L"RectangleEmitter", {settings("Rain"), later}},
         {L"BaseEmitter", {settings("Base")}},
         {L"NoSuchEmitter", {settings("Unknown")}},
         {L"PointEmitter", {settings(nullptr)}},
         {L"RectangleEmitter", {settings("Sparks")}}});
    LogCapture log;
    auto collection = load(file);
    ASSERT_TRUE(collection);
    EXPECT_TRUE(log.contains("Loaded particle collection", LogInformation));
    EXPECT_EQ(collection->getEmitterCount(), 2u);

    BaseEmitter* sparks = registered("Sparks");
    ASSERT_NE(sparks, nullptr);
    EXPECT_EQ(sparks, collection->getEmitter("Sparks"));
    EXPECT_EQ(sparks->getTypeId(), PointEmitter::TypeId);  // the first of the name
    EXPECT_EQ(sparks->getPPSRange(), vector2df(50.0f, 60.0f));
    EXPECT_EQ(sparks->getParticleTarget(), nullptr);

    // Later "Properties" children replace earlier values.
    auto* rain = dynamic_cast<RectangleEmitter*>(registered("Rain"));
    ASSERT_NE(rain, nullptr);
    EXPECT_EQ(rain->getLifeTimeRange(), vector2df(500.0f, 600.0f));
    EXPECT_EQ(rain->getXRange(), vector2df(1.0f, 9.0f));

    for (const char* skipped : {"Base", "Unknown"}) EXPECT_EQ(registered(skipped), nullptr) << skipped;
    EXPECT_EQ(manager->getCachedCount(TypeCodeEmitter), 2u);

    // Users get their own copies.
    CResource* copy = manager->getContentByPath(TypeCodeEmitter, "Sparks", false);
    ASSERT_NE(copy, nullptr);
    EXPECT_NE(copy, sparks);
    auto* point = dynamic_cast<PointEmitter*>(copy);
    ASSERT_NE(point, nullptr);
    EXPECT_EQ(point->getPPSRange(), vector2df(50.0f, 60.0f));
    EXPECT_STREQ(point->getName().c_str(), "Sparks");
    copy->drop();

    // The registered emitters outlive the collection.
    collection = nullptr;
    ASSERT_EQ(registered("Sparks"), sparks);
    EXPECT_EQ(sparks->getReferenceCount(), 1);
}

TEST_F(ParticleCollectionTest, AnEmptyEmitterElementDoesNotTakeTheNextEmitter) {
    const std::string file = writeCollection("empty.xml", {{L"RectangleEmitter", {}, true},
                                                           {L"PointEmitter", {settings("Second")}},
                                                           {L"RectangleEmitter", {settings("Third")}}});
    auto collection = load(file);
    ASSERT_TRUE(collection);
    EXPECT_EQ(collection->getEmitterCount(), 2u);
    // Read on, the empty element's rectangle emitter would take the point emitter's settings.
    ASSERT_NE(registered("Second"), nullptr);
    EXPECT_EQ(registered("Second")->getTypeId(), PointEmitter::TypeId);
    ASSERT_NE(registered("Third"), nullptr);
    EXPECT_EQ(registered("Third")->getTypeId(), RectangleEmitter::TypeId);
}

TEST_F(ParticleCollectionTest, LoadingTwiceGivesTwoCollectionsAndTheCacheKeepsTheFirst) {
    const std::string file = writeCollection("twice.xml", {{L"PointEmitter", {settings("Smoke")}}});
    auto first = load(file);
    auto second = load(file);
    ASSERT_TRUE(first && second);
    EXPECT_NE(first.get(), second.get());
    ASSERT_NE(second->getEmitter("Smoke"), nullptr);
    EXPECT_NE(second->getEmitter("Smoke"), first->getEmitter("Smoke"));
    EXPECT_EQ(registered("Smoke"), first->getEmitter("Smoke"));
    // The second's emitter lives only in its collection.
    EXPECT_EQ(second->getEmitter("Smoke")->getReferenceCount(), 1);
    second->clear();
    EXPECT_EQ(second->getEmitterCount(), 0u);
}

TEST_F(ParticleCollectionTest, AddEmitterKeepsTheFirstOfAName) {
    ParticleCollection* collection = new ParticleCollection(CCreationContext());
    auto a = makeRef<PointEmitter>(CCreationContext());
    auto b = makeRef<PointEmitter>(CCreationContext());
    a->setName("X");
    b->setName("X");
    collection->addEmitter(a.get());
    collection->addEmitter(b.get());
    collection->addEmitter(nullptr);
    EXPECT_EQ(collection->getEmitter("X"), a.get());
    EXPECT_EQ(a->getReferenceCount(), 2);
    EXPECT_EQ(b->getReferenceCount(), 1);
    collection->drop();
    EXPECT_EQ(a->getReferenceCount(), 1);
}

TEST_F(ParticleCollectionTest, AnEmitterFileIsABaseEmitter) {
    const std::string file = writeXml("one.pemt", [](CXmlWriter& w) {
        w.writeElement(L"ParticleEmitter", false, L"Type", L"PointEmitter");
        settings("Alone", vector2df(3.0f, 4.0f))->writeXml(&w, false, L"Properties");
        w.writeClosingTag(L"ParticleEmitter");
    });
    LogCapture log;
    CResource* content = manager->getContentByPath(TypeCodeEmitter, file.c_str(), false);
    ASSERT_NE(content, nullptr);
    EXPECT_TRUE(log.contains("Loaded particle emitter", LogInformation));
    auto* emitter = dynamic_cast<BaseEmitter*>(content);
    ASSERT_NE(emitter, nullptr);
    EXPECT_EQ(emitter->getTypeId(), BaseEmitter::TypeId);
    EXPECT_STREQ(emitter->getName().c_str(), "Alone");
    EXPECT_EQ(emitter->getPPSRange(), vector2df(3.0f, 4.0f));
    content->drop();
}

TEST_F(ParticleCollectionTest, SavingIsRefusedWithALogLine) {
    const std::string file = writeCollection("save.xml", {{L"PointEmitter", {settings("S")}}});
    auto collection = load(file);
    ASSERT_TRUE(collection);
    for (u32 type : {TypeCodeParticleCollection, TypeCodeEmitter}) {
        LogCapture log;
        const std::string out = path("out.xml");
        EXPECT_FALSE(manager->saveContent(type, collection.get(), out.c_str(), nullptr));
        EXPECT_TRUE(log.contains("Particle collection can't be saved", LogWarning));
        EXPECT_FALSE(std::filesystem::exists(out));  // a save that cannot be done leaves no file
    }
}

}  // namespace
