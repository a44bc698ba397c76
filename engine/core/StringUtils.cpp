#include "engine/core/StringUtils.h"

#include <array>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <cwchar>

namespace oskel {

namespace {

constexpr f32 kMaxFloat = 3.4028235e38f;

bool isDigit(wchar_t c) { return c >= L'0' && c <= L'9'; }

// Accumulates at most maxDigits digits the way parseWideUnsignedFloat does; *consumed receives
// the number of digits read.
f32 accumulateDigits(const wchar_t*& p, u32 maxDigits, u32* consumed) {
    u32 count = 0;
    u32 whole = 0;
    while (count < maxDigits && isDigit(*p) && whole <= 429496718u) {
        whole = whole * 10u + static_cast<u32>(*p - L'0');
        ++p;
        ++count;
    }
    f32 value = static_cast<f32>(whole);
    bool saturated = false;
    while (count < maxDigits && isDigit(*p)) {
        if (!saturated) {
            const f32 next = value * 10.0f + static_cast<f32>(*p - L'0');
            if (!(next <= kMaxFloat)) {
                value = kMaxFloat;
                saturated = true;
            } else {
                value = next;
            }
        }
        ++p;
        ++count;
    }
    if (consumed) *consumed = count;
    return value;
}

const std::array<f32, 360>& sineTable() {
    static const std::array<f32, 360> table = [] {
        std::array<f32, 360> t{};
        for (int i = 0; i < 360; ++i)
            t[i] = static_cast<f32>(std::sin(static_cast<double>(i) * 3.14159265358979323846 / 180.0));
        t[0] = 0.0f;
        t[90] = 1.0f;
        t[180] = 0.0f;
        t[270] = -1.0f;
        return t;
    }();
    return table;
}

}  // namespace

stringw formatMinutesSeconds(u32 ms) {
    const u32 minutes = ms / 60000u % 60u;
    const u32 seconds = ms / 1000u % 60u;
    wchar_t buffer[8];
    buffer[0] = static_cast<wchar_t>(L'0' + minutes / 10u);
    buffer[1] = static_cast<wchar_t>(L'0' + minutes % 10u);
    buffer[2] = L':';
    buffer[3] = static_cast<wchar_t>(L'0' + seconds / 10u);
    buffer[4] = static_cast<wchar_t>(L'0' + seconds % 10u);
    buffer[5] = 0;
    return stringw(buffer);
}

stringw groupDigits(s32 value, wchar_t separator) {
    char digits[16];
    const u32 magnitude = value < 0 ? 0u - static_cast<u32>(value) : static_cast<u32>(value);
    std::snprintf(digits, sizeof digits, "%u", magnitude);
    const u32 n = static_cast<u32>(std::strlen(digits));
    wchar_t buffer[32];
    u32 out = 0;
    if (value < 0) buffer[out++] = L'-';
    for (u32 i = 0; i < n; ++i) {
        if (i > 0 && (n - i) % 3 == 0) buffer[out++] = separator;
        buffer[out++] = static_cast<wchar_t>(digits[i]);
    }
    buffer[out] = 0;
    return stringw(buffer);
}

f32 parseWideUnsignedFloat(const wchar_t* text, const wchar_t** end) {
    if (!text) {
        if (end) *end = nullptr;
        return 0.0f;
    }
    const wchar_t* p = text;
    const f32 value = accumulateDigits(p, ~0u, nullptr);
    if (end) *end = p;
    return value;
}

s32 parseWideInt(const wchar_t* text, const wchar_t** end) {
    if (!text) {
        if (end) *end = nullptr;
        return 0;
    }
    const wchar_t* p = text;
    bool negative = false;
    if (*p == L'-' || *p == L'+') {
        negative = *p == L'-';
        ++p;
    }
    u32 value = 0;
    while (isDigit(*p)) {
        if (value <= 2147483647u) {
            const unsigned long long next = 10ull * value + static_cast<u32>(*p - L'0');
            value = next > 2147483647ull ? 2147483648u : static_cast<u32>(next);
        }
        ++p;
    }
    if (value > 2147483647u) value = 2147483647u;
    if (end) *end = p;
    const s32 result = static_cast<s32>(value);
    return negative ? -result : result;
}

const wchar_t* parseWideFloat(const wchar_t* text, f32& value) {
    value = 0.0f;
    if (!text) return nullptr;
    static const f32 powers[16] = {0.0f,   1e-1f,  1e-2f,  1e-3f,  1e-4f,  1e-5f,  1e-6f,  1e-7f,
                                   1e-8f,  1e-9f,  1e-10f, 1e-11f, 1e-12f, 1e-13f, 1e-14f, 1e-15f};
    const wchar_t* p = text;
    const bool negative = *p == L'-';
    if (negative) ++p;
    f32 result = accumulateDigits(p, ~0u, nullptr);
    if (*p == L'.') {
        ++p;
        u32 n = 0;
        const f32 fraction = accumulateDigits(p, 15, &n);
        while (isDigit(*p)) ++p;  // digits beyond the table's precision
        result += fraction * powers[n];
    }
    if (*p == L'e' || *p == L'E') {
        ++p;
        const s32 exponent = parseWideInt(p, &p);
        result = static_cast<f32>(static_cast<f64>(result) * std::pow(10.0, exponent));
    }
    value = negative ? -result : result;
    return p;
}

stringc concatCharsString(const c8* chars, const stringc& text) {
    stringc result(chars ? chars : "");
    result += text;
    return result;
}

void erase(stringc& text, u32 position, u32 count) {
    const u32 size = text.size();
    if (position >= size || count == 0) return;
    if (count > size - position) count = size - position;
    stringc result = text.subString(0, position);
    result.append(text.c_str() + position + count);
    text = result;
}

stringw widenLatin1(const c8* text) {
    stringw result;
    if (!text) return result;
    const u32 n = static_cast<u32>(std::strlen(text));
    result.reserve(n + 1);
    for (u32 i = 0; i < n; ++i)
        result.append(static_cast<wchar_t>(static_cast<unsigned char>(text[i])));
    return result;
}

std::string toUtf8(const wchar_t* text) {
    std::string out;
    if (!text) return out;
    for (const wchar_t* p = text; *p; ++p) {
        u32 c = static_cast<u32>(*p);
        if (c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF)) c = 0xFFFD;
        if (c < 0x80) {
            out.push_back(static_cast<char>(c));
        } else if (c < 0x800) {
            out.push_back(static_cast<char>(0xC0 | (c >> 6)));
            out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
        } else if (c < 0x10000) {
            out.push_back(static_cast<char>(0xE0 | (c >> 12)));
            out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
            out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
        } else {
            out.push_back(static_cast<char>(0xF0 | (c >> 18)));
            out.push_back(static_cast<char>(0x80 | ((c >> 12) & 0x3F)));
            out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
            out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
        }
    }
    return out;
}

stringc narrowLowBytes(const wchar_t* text) {
    stringc result;
    if (!text) return result;
    result.reserve(static_cast<u32>(std::wcslen(text)) + 1);
    for (const wchar_t* p = text; *p; ++p) {
        char c = static_cast<char>(static_cast<u32>(*p) & 0xffu);
        if (c == 0) c = '?';
        result.append(c);
    }
    return result;
}

f32 sineOfDegrees(u32 degrees) { return sineTable()[degrees % 360u]; }

void rotateVectorByDegrees(vector2df& v, s32 degrees) {
    s32 a = degrees % 360;
    if (a < 0) a += 360;
    const f32 s = sineTable()[static_cast<u32>(a)];
    const f32 c = sineTable()[static_cast<u32>((a + 90) % 360)];
    const f32 x = v.X * c - v.Y * s;
    const f32 y = v.X * s + v.Y * c;
    v.X = x;
    v.Y = y;
}

f32 getVectorAngleDegrees(const vector2df& v) {
    const f32 x = v.X, y = v.Y;
    if (y == 0.0f) return x < 0.0f ? 180.0f : 0.0f;
    if (x == 0.0f) return y < 0.0f ? 90.0f : 270.0f;
    const f32 length = static_cast<f32>(std::sqrt(static_cast<f64>(x) * x + static_cast<f64>(y) * y));
    const f32 a = y / length;
    f64 ratio = 1.0 - static_cast<f64>(a) * a;
    if (ratio < 0.0) ratio = 0.0;
    const f32 r = static_cast<f32>(std::atan(std::sqrt(ratio) / a) * 57.29577951308232);
    if (x > 0.0f && y > 0.0f) return r + 270.0f;
    if (x > 0.0f && y < 0.0f) return r + 90.0f;
    if (x < 0.0f && y < 0.0f) return 90.0f - r;
    return 270.0f - r;  // x < 0, y > 0
}

}  // namespace oskel
