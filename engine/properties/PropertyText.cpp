#include "engine/properties/PropertyText.h"

#include <cfloat>
#include <charconv>
#include <climits>
#include <cmath>
#include <cstdint>
#include <system_error>

namespace oskel {

namespace {

bool isDigit(c8 c) { return c >= '0' && c <= '9'; }
bool isBlank(c8 c) { return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r'; }

s32 hexDigit(c8 c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

// Writes the float in fixed notation; precision < 0 asks for the shortest text that reads back.
stringc toFixed(f32 value, int precision) {
    char buffer[128];
    const std::to_chars_result r =
        precision < 0 ? std::to_chars(buffer, buffer + sizeof buffer - 1, value, std::chars_format::fixed)
                      : std::to_chars(buffer, buffer + sizeof buffer - 1, value, std::chars_format::fixed,
                                      precision);
    if (r.ec != std::errc()) return stringc("0.000000");
    *r.ptr = 0;
    return stringc(buffer);
}

}  // namespace

stringc formatPropertyFloat(f32 value) {
    if (std::isnan(value)) value = 0.0f;
    if (std::isinf(value)) value = value > 0 ? FLT_MAX : -FLT_MAX;
    stringc text = toFixed(value, 6);
    if (parsePropertyFloat(text.c_str()) == value) return text;
    // Six digits lose this value: write as many as it needs.
    text = toFixed(value, -1);
    if (text.findFirst('.') < 0) text += ".0";
    return text;
}

f32 parsePropertyFloat(const c8* text, const c8** end, bool* valid) {
    if (valid) *valid = false;
    if (!text) {
        if (end) *end = nullptr;
        return 0.0f;
    }
    const c8* p = text;
    const bool negative = *p == '-';
    if (negative) ++p;
    const c8* mantissaBegin = p;
    // Counts used to tell an overflow from an underflow when the number is out of range.
    std::int64_t significantIntegerDigits = 0;
    std::int64_t leadingFractionZeros = 0;
    bool nonZero = false;
    bool anyDigit = false;
    while (isDigit(*p)) {
        anyDigit = true;
        if (*p != '0' || nonZero) {
            nonZero = true;
            ++significantIntegerDigits;
        }
        ++p;
    }
    if (*p == '.') {
        ++p;
        while (isDigit(*p)) {
            anyDigit = true;
            if (!nonZero) {
                if (*p == '0')
                    ++leadingFractionZeros;
                else
                    nonZero = true;
            }
            ++p;
        }
    }
    const c8* mantissaEnd = p;
    std::int64_t exponent = 0;
    if (*p == 'e' || *p == 'E') {
        ++p;
        bool negativeExponent = false;
        if (*p == '-' || *p == '+') {
            negativeExponent = *p == '-';
            ++p;
        }
        while (isDigit(*p)) {
            if (exponent < 100000000) exponent = exponent * 10 + (*p - '0');
            ++p;
        }
        if (negativeExponent) exponent = -exponent;
    }
    if (end) *end = p;
    if (!anyDigit) return 0.0f;
    if (valid) *valid = true;
    if (!nonZero) return negative ? -0.0f : 0.0f;

    // The digits (and an exponent that has digits) are converted by the standard library, which
    // rounds to the nearest float and does not depend on the locale.
    const c8* convertEnd = p;
    if (convertEnd > mantissaEnd && !isDigit(convertEnd[-1])) convertEnd = mantissaEnd;  // "1e", "1e-"
    f32 magnitude = 0.0f;
    const std::from_chars_result r =
        std::from_chars(mantissaBegin, convertEnd, magnitude, std::chars_format::general);
    if (r.ec == std::errc::result_out_of_range) {
        const std::int64_t scale = (significantIntegerDigits > 0 ? significantIntegerDigits : -leadingFractionZeros) + exponent;
        magnitude = scale > 0 ? FLT_MAX : 0.0f;
    } else if (r.ec != std::errc()) {
        magnitude = 0.0f;
    } else if (std::isinf(magnitude)) {
        magnitude = FLT_MAX;
    }
    return negative ? -magnitude : magnitude;
}

s32 parsePropertyInt(const c8* text, bool* valid) {
    if (valid) *valid = false;
    if (!text) return 0;
    const c8* p = text;
    while (isBlank(*p)) ++p;
    bool negative = false;
    if (*p == '-' || *p == '+') {
        negative = *p == '-';
        ++p;
    }
    std::int64_t value = 0;
    bool any = false;
    while (isDigit(*p)) {
        any = true;
        if (value <= static_cast<std::int64_t>(INT_MAX) + 1) value = value * 10 + (*p - '0');
        ++p;
    }
    if (valid) *valid = any;
    if (negative) value = -value;
    if (value > INT_MAX) return INT_MAX;
    if (value < INT_MIN) return INT_MIN;
    return static_cast<s32>(value);
}

stringc formatPropertyColor(u32 color) {
    static const char digits[] = "0123456789abcdef";
    char buffer[9];
    for (int i = 7; i >= 0; --i) {
        buffer[i] = digits[color & 0xfu];
        color >>= 4;
    }
    buffer[8] = 0;
    return stringc(buffer);
}

u32 parsePropertyColor(const c8* text, bool* valid) {
    if (valid) *valid = false;
    if (!text) return 0;
    const c8* p = text;
    while (isBlank(*p)) ++p;
    int width = 8;
    bool negative = false;
    if (*p == '-' || *p == '+') {
        negative = *p == '-';
        ++p;
        --width;
    }
    bool any = false;
    if (width >= 3 && p[0] == '0' && (p[1] == 'x' || p[1] == 'X') && hexDigit(p[2]) >= 0) {
        p += 2;
        width -= 2;
        any = true;  // the prefix's zero counts as a digit
    }
    u32 value = 0;
    while (width > 0 && hexDigit(*p) >= 0) {
        value = (value << 4) | static_cast<u32>(hexDigit(*p));
        any = true;
        ++p;
        --width;
    }
    if (valid) *valid = any;
    return negative ? 0u - value : value;
}

u32 scanPropertyFloats(const c8* text, f32* components, u32 count) {
    for (u32 i = 0; i < count; ++i) components[i] = 0.0f;
    if (!text) return 0;
    u32 filled = 0;
    const c8* p = text;
    while (*p && filled < count) {
        if (*p != '-' && !isDigit(*p)) {
            ++p;
            continue;
        }
        const c8* next = p;
        const f32 value = parsePropertyFloat(p, &next);
        // A lone "-" reads as 0 and still takes its component.
        components[filled++] = value == 0.0f ? 0.0f : value;
        p = next > p ? next : p + 1;
    }
    return filled;
}

stringc narrowNumberText(const wchar_t* text) {
    stringc result;
    if (!text) return result;
    for (const wchar_t* p = text; *p; ++p) {
        const u32 c = static_cast<u32>(*p);
        result.append(c > 0xffu ? '?' : static_cast<c8>(c));
    }
    return result;
}

}  // namespace oskel
