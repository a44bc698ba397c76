#include <gtest/gtest.h>

#include <cfloat>
#include <climits>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

#include "engine/properties/PropertyText.h"

using namespace oskel;

namespace {

std::uint32_t bitsOf(f32 v) {
    std::uint32_t b;
    std::memcpy(&b, &v, sizeof b);
    return b;
}

f32 floatOf(std::uint32_t b) {
    f32 v;
    std::memcpy(&v, &b, sizeof v);
    return v;
}

}  // namespace

TEST(PropertyText, FloatsAreWrittenWithSixDecimalsWhenThatIsExact) {
    const struct {
        f32 value;
        const char* text;
    } cases[] = {
        {1.0f, "1.000000"},      {-0.5f, "-0.500000"},   {2.5f, "2.500000"},   {0.0f, "0.000000"},
        {100.0f, "100.000000"},  {0.1f, "0.100000"},     {-0.0f, "-0.000000"}, {1024.25f, "1024.250000"},
        {FLT_MAX, "340282346638528859811704183484516925440.000000"},
    };
    for (const auto& c : cases) EXPECT_STREQ(formatPropertyFloat(c.value).c_str(), c.text) << c.value;
}

TEST(PropertyText, FloatsThatSixDecimalsWouldChangeGetTheDigitsTheyNeed) {
    const struct {
        f32 value;
        const char* text;
    } cases[] = {
        {0.1234567f, "0.1234567"},
        {1e-7f, "0.0000001"},
        {-3.0517578125e-05f, "-0.000030517578"},
    };
    for (const auto& c : cases) EXPECT_STREQ(formatPropertyFloat(c.value).c_str(), c.text) << c.value;
}

TEST(PropertyText, EveryFiniteFloatReadsBackBitForBit) {
    // A spread of bit patterns over the whole range, denormals and the extremes included.
    std::uint32_t x = 12345u;
    for (int i = 0; i < 200000; ++i) {
        x = x * 1664525u + 1013904223u;
        const f32 v = floatOf(x);
        if (!std::isfinite(v)) continue;
        const stringc text = formatPropertyFloat(v);
        const f32 back = parsePropertyFloat(text.c_str());
        ASSERT_EQ(bitsOf(back), bitsOf(v)) << text.c_str();
    }
    for (f32 v : {FLT_MAX, -FLT_MAX, FLT_MIN, -FLT_MIN, std::numeric_limits<f32>::denorm_min(), 16777217.0f,
                  0.3f, 0.7f, 1.0f / 3.0f}) {
        const stringc text = formatPropertyFloat(v);
        EXPECT_EQ(bitsOf(parsePropertyFloat(text.c_str())), bitsOf(v)) << text.c_str();
    }
}

TEST(PropertyText, NonFiniteFloatsAreWrittenAsNumbers) {
    EXPECT_STREQ(formatPropertyFloat(NAN).c_str(), "0.000000");
    EXPECT_EQ(parsePropertyFloat(formatPropertyFloat(INFINITY).c_str()), FLT_MAX);
    EXPECT_EQ(parsePropertyFloat(formatPropertyFloat(-INFINITY).c_str()), -FLT_MAX);
}

TEST(PropertyText, FloatTexts) {
    const std::string manyZeros = "1." + std::string(500, '0') + "1";
    const struct {
        const char* text;
        f32 value;
        bool valid;
        size_t used;
    } cases[] = {
        {"1.5", 1.5f, true, 3},
        {"-2", -2.0f, true, 2},
        {"1e3", 1000.0f, true, 3},
        {"1E-2", 0.01f, true, 4},
        {"2.5e+1x", 25.0f, true, 6},
        {"1e", 1.0f, true, 2},
        {".5", 0.5f, true, 2},
        {"-.25", -0.25f, true, 4},
        {"7.", 7.0f, true, 2},
        {"12abc", 12.0f, true, 2},
        {" 1", 0.0f, false, 0},
        {"+1", 0.0f, false, 0},
        {"abc", 0.0f, false, 0},
        {"", 0.0f, false, 0},
        {"-", 0.0f, false, 1},
        {"1e39", FLT_MAX, true, 4},
        {"-1e39", -FLT_MAX, true, 5},
        {"123456789012345678901234567890123456789012345", FLT_MAX, true, 45},
        {"1e-50", 0.0f, true, 5},
        {"0.00000000000000000000000000000000000000000000140129846", std::numeric_limits<f32>::denorm_min(), true,
         55},
        {"1e99999999999999999999", FLT_MAX, true, 22},
        {"1e-99999999999999999999", 0.0f, true, 23},
        {manyZeros.c_str(), 1.0f, true, manyZeros.size()},
    };
    for (const auto& c : cases) {
        const c8* end = nullptr;
        bool valid = !c.valid;
        const f32 v = parsePropertyFloat(c.text, &end, &valid);
        EXPECT_EQ(v, c.value) << c.text;
        EXPECT_EQ(valid, c.valid) << c.text;
        EXPECT_EQ(static_cast<size_t>(end - c.text), c.used) << c.text;
    }
    EXPECT_EQ(parsePropertyFloat(nullptr), 0.0f);
}

TEST(PropertyText, FloatsAreTheNearestToTheirDecimalText) {
    // The C library's reading (in the unchanged "C" locale) is the reference.
    std::uint32_t x = 777u;
    for (int i = 0; i < 20000; ++i) {
        x = x * 1664525u + 1013904223u;
        char text[64];
        std::snprintf(text, sizeof text, "%u.%05u", (x >> 8) % 100000u, x % 100000u);
        ASSERT_EQ(parsePropertyFloat(text), std::strtof(text, nullptr)) << text;
    }
}

TEST(PropertyText, IntegersReadAsAtoiWithSaturation) {
    const struct {
        const char* text;
        s32 value;
        bool valid;
    } cases[] = {
        {"42", 42, true},
        {"  \t-17", -17, true},
        {"+5", 5, true},
        {"12abc", 12, true},
        {"-0", 0, true},
        {"abc", 0, false},
        {"", 0, false},
        {"-", 0, false},
        {"2147483647", INT_MAX, true},
        {"-2147483648", INT_MIN, true},
        {"99999999999999999999", INT_MAX, true},
        {"-99999999999999999999", INT_MIN, true},
    };
    for (const auto& c : cases) {
        bool valid = !c.valid;
        EXPECT_EQ(parsePropertyInt(c.text, &valid), c.value) << c.text;
        EXPECT_EQ(valid, c.valid) << c.text;
    }
    EXPECT_EQ(parsePropertyInt(nullptr), 0);
}

TEST(PropertyText, ColoursReadAsEightHexDigits) {
    const struct {
        const char* text;
        u32 value;
        bool valid;
    } cases[] = {
        {"ff00ff00", 0xff00ff00u, true},
        {"  80FF0000", 0x80ff0000u, true},
        {"123456789", 0x12345678u, true},
        {"ff", 0xffu, true},
        {"0xff", 0xffu, true},
        {"0x123456789", 0x123456u, true},
        {"-1", 0xffffffffu, true},
        {"12zz", 0x12u, true},
        {"zz", 0u, false},
        {"", 0u, false},
    };
    for (const auto& c : cases) {
        bool valid = !c.valid;
        EXPECT_EQ(parsePropertyColor(c.text, &valid), c.value) << c.text;
        EXPECT_EQ(valid, c.valid) << c.text;
    }
    EXPECT_STREQ(formatPropertyColor(0xff0a0b0cu).c_str(), "ff0a0b0c");
    EXPECT_STREQ(formatPropertyColor(0u).c_str(), "00000000");
}

TEST(PropertyText, NumberScanSkipsEverythingButSignsAndDigits) {
    const struct {
        const char* text;
        f32 expected[3];
        u32 read;
    } cases[] = {
        {"1;2;3", {1, 2, 3}, 3},
        {"1, 2, 3", {1, 2, 3}, 3},
        {"(1 2 3)", {1, 2, 3}, 3},
        {"5", {5, 0, 0}, 1},
        {"a-1b2", {-1, 2, 0}, 2},
        {".5", {5, 0, 0}, 1},
        {"+1", {1, 0, 0}, 1},
        {"1;2;3;4", {1, 2, 3}, 3},
        {"-;5", {0, 5, 0}, 2},
        {"1.5e1;-2.25", {15, -2.25f, 0}, 2},
        {"", {0, 0, 0}, 0},
        {"x;y;z", {0, 0, 0}, 0},
    };
    for (const auto& c : cases) {
        f32 v[3] = {9, 9, 9};
        EXPECT_EQ(scanPropertyFloats(c.text, v, 3), c.read) << c.text;
        for (int i = 0; i < 3; ++i) EXPECT_EQ(v[i], c.expected[i]) << c.text << " component " << i;
        EXPECT_FALSE(std::signbit(v[0]) && v[0] == 0.0f) << c.text;
    }
}

TEST(PropertyText, WideCharactersBeyondLatin1NeverPassForDigits) {
    // U+0131 and U+0130 have the low bytes of '1' and '0'.
    EXPECT_STREQ(narrowNumberText(L"\u0131\u0130").c_str(), "??");
    EXPECT_STREQ(narrowNumberText(L"12.5").c_str(), "12.5");
    EXPECT_STREQ(narrowNumberText(nullptr).c_str(), "");
}
