#include <random>

#include <gtest/gtest.h>

#include "engine/core/CRandom.h"

using namespace oskel;

namespace {

// The shared generator is made first, so the generators the tests make stay their own.
struct RandomTest : ::testing::Test {
    RandomTest() { CRandom::instance(); }
};

}  // namespace

// Expected draws are computed by hand from the generator's definition (multiply-with-carry with
// multipliers 36969 and 18000; MT19937 with the standard constants).

TEST_F(RandomTest, FreshGeneratorDrawsFromItsFixedStartWords) {
    CRandom rng;
    EXPECT_EQ(rng.next(), 0x56c21396u);
    EXPECT_EQ(rng.next(), 0x27404bf2u);
    EXPECT_EQ(rng.next(), 0x8318ed01u);
}

TEST_F(RandomTest, SeedSetsTheLowGeneratorAndKeepsTheHighOne) {
    CRandom rng;
    rng.seed(7);
    EXPECT_EQ(rng.next(), 0x2db1ec30u);
    EXPECT_EQ(rng.next(), 0x62bdef01u);
}

TEST_F(RandomTest, IntAndFloatDrawsUseOneNextEach) {
    {
        CRandom rng;
        EXPECT_EQ(rng.nextInt(10, 20), 14);  // 10 + 0x56c21396 mod 10
        EXPECT_EQ(rng.next(), 0x27404bf2u);
    }
    {
        CRandom rng;
        EXPECT_EQ(rng.nextInt(-5, 5), -1);
    }
    {
        CRandom rng;
        EXPECT_FLOAT_EQ(rng.nextFloat(), 0.33889887f);
        EXPECT_EQ(rng.next(), 0x27404bf2u);
    }
}

TEST_F(RandomTest, EmptyRangesReturnTheirStartWithoutDrawing) {
    CRandom rng;
    EXPECT_EQ(rng.nextInt(5, 5), 5);
    EXPECT_EQ(rng.nextFloatRange(2.0f, 2.0f), 2.0f);
    EXPECT_EQ(rng.next(), 0x56c21396u);  // still the first draw
}

TEST_F(RandomTest, UnitRangeAndFloatBounds) {
    CRandom rng;
    rng.seed(12345);
    for (int i = 0; i < 1000; ++i) {
        EXPECT_EQ(rng.nextInt(0, 1), 0);
        const f32 f = rng.nextFloat();
        EXPECT_GE(f, 0.0f);
        EXPECT_LE(f, 1.0f);
        const f32 r = rng.nextFloatRange(-3.0f, 5.0f);
        EXPECT_GE(r, -3.0f);
        EXPECT_LE(r, 5.0f);
    }
}

TEST_F(RandomTest, TwisterTempersTheSeededWordsBeforeRegenerating) {
    CRandom rng;
    rng.seed(5489);
    EXPECT_EQ(rng.nextTwister(), 0x02c80541u);  // tempered mt[0] = 5489
    EXPECT_EQ(rng.nextTwister(), 0x49390b45u);  // tempered mt[1]
    for (int i = 2; i < 624; ++i) rng.nextTwister();
    // From draw 625 on, the block has been regenerated once, as the standard generator does
    // before its first draw.
    std::mt19937 reference(5489);
    for (int i = 0; i < 2000; ++i) ASSERT_EQ(rng.nextTwister(), reference()) << "draw " << i;
}

TEST_F(RandomTest, TwisterAndMultiplyWithCarryAreIndependent) {
    CRandom a, b;
    a.seed(99);
    b.seed(99);
    for (int i = 0; i < 700; ++i) a.nextTwister();
    EXPECT_EQ(a.next(), b.next());
}

TEST_F(RandomTest, SingletonIsOneObject) { EXPECT_EQ(&CRandom::instance(), &CRandom::instance()); }
