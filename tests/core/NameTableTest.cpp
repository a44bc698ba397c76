#include <gtest/gtest.h>

#include "engine/core/CNameTable.h"

using namespace oskel;

TEST(NameTable, NewNamesTakeTheNextIdsAndKnownNamesKeepTheirs) {
    CNameTable& table = CNameTable::instance();
    const u32 countBefore = table.getCount();
    const s32 a = table.getId("NameTableTest.first");
    const s32 b = table.getId(stringc("NameTableTest.second"));
    EXPECT_EQ(a, static_cast<s32>(countBefore));  // ids run 1, 2, 3, ... (count includes "")
    EXPECT_EQ(b, a + 1);
    EXPECT_EQ(table.getId("NameTableTest.first"), a);
    EXPECT_EQ(table.getCount(), countBefore + 2);
    EXPECT_STREQ(table.getName(a).c_str(), "NameTableTest.first");
    EXPECT_STREQ(table.getName(b).c_str(), "NameTableTest.second");
}

TEST(NameTable, EmptyNameAndUnknownIds) {
    CNameTable& table = CNameTable::instance();
    EXPECT_EQ(table.getId(""), -1);
    EXPECT_EQ(table.getId(static_cast<const char*>(nullptr)), -1);
    EXPECT_STREQ(table.getName(-1).c_str(), "");
    EXPECT_STREQ(table.getName(0).c_str(), "");
    EXPECT_STREQ(table.getName(1 << 30).c_str(), "");
    EXPECT_TRUE(CNameId().isEmpty());
    EXPECT_EQ(CNameId("").getId(), -1);
}

TEST(NameTable, NamesAreCaseSensitiveAndIdsRoundTrip) {
    const CNameId lower("nametabletest.press"), upper("NameTableTest.Press");
    EXPECT_NE(lower, upper);
    EXPECT_EQ(CNameId("NameTableTest.Press"), upper);
    EXPECT_STREQ(upper.getName().c_str(), "NameTableTest.Press");
    EXPECT_EQ(CNameId::fromId(upper.getId()), upper);
}

TEST(NameTable, ManyNamesStayStable) {
    // Growing the table must not move names that were handed out by reference.
    const stringc& first = CNameTable::instance().getName(CNameId("NameTableTest.stable").getId());
    const char* firstText = first.c_str();
    for (int i = 0; i < 5000; ++i) CNameId(stringc("NameTableTest.bulk.") + stringc(i));
    EXPECT_EQ(first.c_str(), firstText);
    EXPECT_STREQ(first.c_str(), "NameTableTest.stable");
    EXPECT_STREQ(CNameId("NameTableTest.bulk.4321").getName().c_str(), "NameTableTest.bulk.4321");
}

TEST(NameTable, ParseNameIdList) {
    struct Case {
        const char* text;
        std::vector<const char*> names;
    };
    const Case cases[] = {
        {"", {}},
        {";;  ;\t\r\n;", {}},
        {"Idle", {"Idle"}},
        {"Idle;Press", {"Idle", "Press"}},
        {" Idle ;\tPress\r\n; ;Hover;", {"Idle", "Press", "Hover"}},
        {";Hover", {"Hover"}},
        {"a b;c", {"a b", "c"}},
        {"Idle;Idle", {"Idle", "Idle"}},
    };
    for (const Case& c : cases) {
        const array<CNameId> ids = parseNameIdList(c.text);
        ASSERT_EQ(ids.size(), c.names.size()) << c.text;
        for (u32 i = 0; i < ids.size(); ++i)
            EXPECT_STREQ(ids[i].getName().c_str(), c.names[i]) << c.text;
    }
}
