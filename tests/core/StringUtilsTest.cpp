#include <cmath>
#include <cwchar>

#include <gtest/gtest.h>

#include "engine/core/StringUtils.h"

using namespace oskel;

namespace {

std::string narrow(const stringw& w) {
    std::string s;
    for (u32 i = 0; i < w.size(); ++i) s.push_back(static_cast<char>(w[i]));
    return s;
}

}  // namespace

TEST(Formatters, MinutesSeconds) {
    const struct {
        u32 ms;
        const char* text;
    } cases[] = {
        {0, "00:00"},
        {999, "00:00"},
        {1000, "00:01"},
        {5 * 60000 + 7000, "05:07"},
        {61 * 60000 + 7000, "01:07"},
        {3600000 - 1, "59:59"},
        {3600000, "00:00"},
        {0xffffffffu, "02:47"},
    };
    for (const auto& c : cases) EXPECT_EQ(narrow(formatMinutesSeconds(c.ms)), c.text) << c.ms;
}

TEST(Formatters, GroupDigits) {
    const struct {
        s32 value;
        const char* text;
    } cases[] = {
        {0, "0"},
        {999, "999"},
        {1000, "1,000"},
        {1234567, "1,234,567"},
        {100000, "100,000"},
        {-1, "-1"},
        {-123, "-123"},  // the sign is not grouped as a digit
        {-1234, "-1,234"},
        {-123456, "-123,456"},
        {2147483647, "2,147,483,647"},
        {-2147483647 - 1, "-2,147,483,648"},
    };
    for (const auto& c : cases) EXPECT_EQ(narrow(groupDigits(c.value, L',')), c.text) << c.value;
    EXPECT_EQ(narrow(groupDigits(1234567, L'.')), "1.234.567");
}

TEST(Parsers, WideInt) {
    const struct {
        const wchar_t* text;
        s32 value;
        size_t consumed;
    } cases[] = {
        {L"+12x", 12, 3},
        {L"-12", -12, 3},
        {L"0", 0, 1},
        {L"abc", 0, 0},
        {L"-", 0, 1},
        {L"2147483647", 2147483647, 10},
        {L"2147483648", 2147483647, 10},
        {L"-2147483648", -2147483647, 11},
        // an overlong number is consumed whole, so a list parser does not read its tail as the
        // next value
        {L"99999999999;5", 2147483647, 11},
        {L"000000000000000000012", 12, 21},
    };
    for (const auto& c : cases) {
        const wchar_t* end = nullptr;
        EXPECT_EQ(parseWideInt(c.text, &end), c.value) << c.text;
        EXPECT_EQ(static_cast<size_t>(end - c.text), c.consumed) << c.text;
    }
    const wchar_t* end = reinterpret_cast<const wchar_t*>(1);
    EXPECT_EQ(parseWideInt(nullptr, &end), 0);
    EXPECT_EQ(end, nullptr);
    EXPECT_EQ(parseWideInt(L"42"), 42);
}

TEST(Parsers, WideUnsignedFloat) {
    const wchar_t* end = nullptr;
    EXPECT_EQ(parseWideUnsignedFloat(L"123.5", &end), 123.0f);
    EXPECT_EQ(*end, L'.');
    EXPECT_EQ(parseWideUnsignedFloat(L"4294967189", &end), 4294967189.0f);
    EXPECT_FLOAT_EQ(parseWideUnsignedFloat(L"12345678901234567890", &end), 1.2345679e19f);
    // Beyond the largest float: saturates and consumes every digit.
    const std::wstring huge = std::wstring(60, L'9') + L";7";
    EXPECT_EQ(parseWideUnsignedFloat(huge.c_str(), &end), 3.4028235e38f);
    EXPECT_EQ(end - huge.c_str(), 60);
    EXPECT_EQ(parseWideUnsignedFloat(nullptr, &end), 0.0f);
    EXPECT_EQ(end, nullptr);
}

TEST(Parsers, WideFloat) {
    const struct {
        const wchar_t* text;
        f32 value;
        size_t consumed;
    } cases[] = {
        {L"-1.5e2", -150.0f, 6},
        {L".5", 0.5f, 2},
        {L"abc", 0.0f, 0},
        {L"3", 3.0f, 1},
        {L"3.", 3.0f, 2},
        {L"0.25 x", 0.25f, 4},
        {L"1E3", 1000.0f, 3},
        {L"2.5e-1", 0.25f, 6},
        {L"+1", 0.0f, 0},  // no '+' before the number
        {L"-0.125;", -0.125f, 6},
        // A fraction longer than the power table: the extra digits are consumed and ignored.
        {L"0.12345678901234567890123;", 0.12345679f, 25},
        {L"1.0000000000000000000009", 1.0f, 24},
    };
    for (const auto& c : cases) {
        f32 value = -99.0f;
        const wchar_t* end = parseWideFloat(c.text, value);
        EXPECT_FLOAT_EQ(value, c.value) << c.text;
        EXPECT_EQ(static_cast<size_t>(end - c.text), c.consumed) << c.text;
    }
    f32 value = 5.0f;
    EXPECT_EQ(parseWideFloat(nullptr, value), nullptr);
    EXPECT_EQ(value, 0.0f);
}

TEST(StringOps, ConcatEraseAndWiden) {
    EXPECT_STREQ(concatCharsString("level", stringc("07")).c_str(), "level07");
    EXPECT_STREQ(concatCharsString(nullptr, stringc("x")).c_str(), "x");

    const struct {
        const char* text;
        u32 position, count;
        const char* result;
    } cases[] = {
        {"abcdef", 1, 2, "adef"},
        {"abcdef", 4, 100, "abcd"},
        {"abcdef", 0, 6, ""},
        {"abcdef", 6, 1, "abcdef"},
        {"abcdef", 99, 1, "abcdef"},
        {"abcdef", 2, 0, "abcdef"},
    };
    for (const auto& c : cases) {
        stringc s(c.text);
        erase(s, c.position, c.count);
        EXPECT_STREQ(s.c_str(), c.result) << c.text << " " << c.position << " " << c.count;
    }

    const stringw wide = widenLatin1("caf\xe9 \xff");
    ASSERT_EQ(wide.size(), 6u);
    EXPECT_EQ(wide[3], static_cast<wchar_t>(0xe9));  // not sign-extended
    EXPECT_EQ(wide[5], static_cast<wchar_t>(0xff));
    EXPECT_STREQ(narrowLowBytes(L"caf\u00e9\u0100!").c_str(), "caf\xe9?!");
}

TEST(Vectors, Rotation) {
    const struct {
        f32 x, y;
        s32 degrees;
        f32 rx, ry;
    } cases[] = {
        {1, 0, 90, 0, 1},      {1, 0, 180, -1, 0},  {1, 0, 270, 0, -1}, {1, 0, 360, 1, 0},
        {1, 0, -90, 0, -1},    {0, 2, 90, -2, 0},   {1, 0, 450, 0, 1},  {1, 0, -450, 0, -1},
        {3, 4, 0, 3, 4},       {1, 0, 30, 0.8660254f, 0.5f},
    };
    for (const auto& c : cases) {
        vector2df v(c.x, c.y);
        rotateVectorByDegrees(v, c.degrees);
        EXPECT_NEAR(v.X, c.rx, 1e-6) << c.degrees;
        EXPECT_NEAR(v.Y, c.ry, 1e-6) << c.degrees;
    }
    vector2df a(2.5f, -1.5f), b(2.5f, -1.5f);
    rotateVectorByDegrees(a, -90);
    rotateVectorByDegrees(b, 270);
    EXPECT_EQ(a.X, b.X);
    EXPECT_EQ(a.Y, b.Y);
    // The quarter-turn table entries are exact.
    EXPECT_EQ(sineOfDegrees(180), 0.0f);
    EXPECT_EQ(sineOfDegrees(90), 1.0f);
    EXPECT_EQ(sineOfDegrees(270), -1.0f);
}

TEST(Vectors, Angle) {
    const struct {
        f32 x, y, angle;
    } cases[] = {
        {0, 0, 0},      {1, 0, 0},      {0, -1, 90},   {-1, 0, 180},  {0, 1, 270},
        {1, -1, 45},    {-1, -1, 135},  {-1, 1, 225},  {1, 1, 315},   {5, 0, 0},
        {-3, 0, 180},   {0, -7, 90},    {0.8660254f, -0.5f, 30},
    };
    for (const auto& c : cases)
        EXPECT_NEAR(getVectorAngleDegrees(vector2df(c.x, c.y)), c.angle, 1e-3)
            << c.x << "," << c.y;
    // Rotating by a decreases the angle by a.
    for (s32 a = -720; a <= 720; a += 15) {
        vector2df v(1, -1);
        rotateVectorByDegrees(v, a);
        f32 expected = std::fmod(45.0f - static_cast<f32>(a), 360.0f);
        if (expected < 0) expected += 360.0f;
        const f32 got = getVectorAngleDegrees(v);
        const f32 diff = std::fabs(got - expected);
        EXPECT_TRUE(diff < 1e-3f || std::fabs(diff - 360.0f) < 1e-3f) << a << " got " << got;
        EXPECT_GE(got, 0.0f);
        EXPECT_LT(got, 360.0f);
    }
}
