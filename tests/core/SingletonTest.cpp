#include <stdexcept>

#include <gtest/gtest.h>

#include "engine/core/Singleton.h"

using namespace oskel;

namespace {

struct Plain : TSingleton<Plain> {
    int value = 7;
};

struct Direct : TSingleton<Direct> {
    explicit Direct(int v = 1) : value(v) {}
    int value;
};

struct Reborn : TSingleton<Reborn, true> {
    static inline int constructed = 0;
    Reborn() { ++constructed; }
};

}  // namespace

TEST(Singleton, CreatedOnFirstUseAndShared) {
    Plain& a = Plain::instance();
    EXPECT_EQ(&a, &Plain::instance());
    EXPECT_EQ(Plain::recordedInstance(), &a);
    EXPECT_EQ(a.value, 7);
}

TEST(Singleton, DirectlyMadeObjectBecomesTheInstanceAndDeadReferenceThrows) {
    {
        Direct made(42);
        EXPECT_EQ(&Direct::instance(), &made);
        Direct other(5);  // a second object is independent of the record
        EXPECT_EQ(&Direct::instance(), &made);
    }
    EXPECT_TRUE(Direct::isDestroyed());
    EXPECT_THROW(Direct::instance(), std::logic_error);
    try {
        Direct::instance();
    } catch (const std::logic_error& e) {
        EXPECT_STREQ(e.what(), "Dead Reference Detected");
    }
    Direct again(3);  // a new object clears the mark
    EXPECT_FALSE(Direct::isDestroyed());
    EXPECT_EQ(Direct::instance().value, 3);
}

TEST(Singleton, ReCreatableClassComesBackAfterDestruction) {
    const int before = Reborn::constructed;
    { Reborn first; }
    EXPECT_TRUE(Reborn::isDestroyed());
    Reborn& second = Reborn::instance();
    EXPECT_EQ(Reborn::constructed, before + 2);
    EXPECT_EQ(&second, &Reborn::instance());
}
