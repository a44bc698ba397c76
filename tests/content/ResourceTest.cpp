#include <gtest/gtest.h>

#include "engine/content/CResource.h"

using namespace oskel;

TEST(Resource, TypeCodesReadAsTheirLettersInMemory) {
    const struct {
        u32 code;
        u32 value;
    } cases[] = {
        {TypeCodeSceneNode, 1685024371u},         {TypeCodeImage, 1734438249u},
        {TypeCodeAtlasTexture, 2019914849u},      {TypeCodeTexture, 2019914857u},
        {TypeCodeParticleCollection, 1668575856u}, {TypeCodeEmitter, 1953326448u},
        {TypeCodeFont, 1953394534u},              {TypeCodeAtlasCollection, 1668838497u},
        {TypeCodeSoundPack, 1885630067u},         {TypeCodeSound, 1684960105u},
    };
    for (const auto& c : cases) EXPECT_EQ(c.code, c.value);
}

TEST(Resource, ContentNamesHaveATableOfTheirOwn) {
    const u32 globalBefore = CNameTable::instance().getCount();
    const CCreationContext a(nullptr, "ResourceTest/images/a.png");
    const CCreationContext b(nullptr, stringc("ResourceTest/images/b.png"));
    const CCreationContext again(nullptr, "ResourceTest/images/a.png");
    EXPECT_EQ(CNameTable::instance().getCount(), globalBefore);  // not interned globally
    EXPECT_EQ(b.getNameId(), a.getNameId() + 1);
    EXPECT_EQ(again.getNameId(), a.getNameId());
    EXPECT_STREQ(a.getName().c_str(), "ResourceTest/images/a.png");
    EXPECT_EQ(CCreationContext().getNameId(), -1);
    EXPECT_STREQ(CCreationContext().getName().c_str(), "");
}

namespace {

struct Thing : CResource {
    explicit Thing(const CCreationContext& c) : CResource(c) { setSharingFlags(ERF_SHARED); }
    u32 getTypeCode() const override { return TypeCodeImage; }
};

}  // namespace

TEST(Resource, KeepsItsContextAndFlags) {
    Thing* t = new Thing(CCreationContext(nullptr, "ResourceTest/thing"));
    EXPECT_EQ(t->getSharingFlags(), static_cast<u32>(ERF_SHARED));
    EXPECT_STREQ(t->getName().c_str(), "ResourceTest/thing");
    EXPECT_EQ(t->getContentManager(), nullptr);
    EXPECT_EQ(t->clone(), nullptr);
    EXPECT_EQ(t->getCategoryMask(), 0u);
    t->drop();
}
