#include "game/config/GListTexts.h"

#include <climits>
#include <cmath>

namespace brasquel {

using namespace oskel;

namespace {

bool isDigit(c8 c) { return c >= '0' && c <= '9'; }

// Reads one number at p (a '-' or a digit) and moves p past it. Worked out in double
// precision, so every int is read exactly; the result is truncated and clamped to the int range.
s32 readNumber(const c8*& p) {
    bool negative = false;
    if (*p == '-') {
        negative = true;
        ++p;
    }
    // The digits as one integer mantissa with a decimal exponent.
    f64 mantissa = 0.0;
    s32 exponent = 0;
    for (; isDigit(*p); ++p) {
        if (mantissa < 1e300)
            mantissa = mantissa * 10.0 + (*p - '0');
        else
            ++exponent;  // beyond any int: only the magnitude matters
    }
    if (*p == '.') {
        ++p;
        for (; isDigit(*p); ++p) {
            if (mantissa < 1e300) {
                mantissa = mantissa * 10.0 + (*p - '0');
                --exponent;
            }
        }
    }
    if ((*p == 'e' || *p == 'E') && (isDigit(p[1]) || ((p[1] == '+' || p[1] == '-') && isDigit(p[2])))) {
        ++p;
        bool negativeExponent = false;
        if (*p == '+' || *p == '-') negativeExponent = *p++ == '-';
        s32 e = 0;
        for (; isDigit(*p); ++p)
            if (e < 100000) e = e * 10 + (*p - '0');
        exponent += negativeExponent ? -e : e;
    }
    f64 value = mantissa;
    if (mantissa != 0.0) {
        if (exponent > 400) exponent = 400;
        if (exponent < -400) exponent = -400;
        // Divided rather than multiplied by a fraction: 30 and -1 give exactly 3.
        value = exponent >= 0 ? mantissa * std::pow(10.0, exponent) : mantissa / std::pow(10.0, -exponent);
    }
    value = std::trunc(value);
    if (negative) value = -value;
    if (value >= static_cast<f64>(INT_MAX)) return INT_MAX;
    if (value <= static_cast<f64>(INT_MIN)) return INT_MIN;
    return static_cast<s32>(value);
}

// The decimal text of any int (the engine string's own conversion overflows on the smallest).
void appendDecimal(stringc& text, s32 value) {
    c8 digits[12];
    u32 n = 0;
    u32 magnitude = value < 0 ? 0u - static_cast<u32>(value) : static_cast<u32>(value);
    do {
        digits[n++] = static_cast<c8>('0' + magnitude % 10);
        magnitude /= 10;
    } while (magnitude != 0);
    if (value < 0) text += '-';
    while (n > 0) text += digits[--n];
}

}  // namespace

array<s32> parseIntListNarrow(const stringc& text) {
    array<s32> values;
    const c8* p = text.c_str();
    while (*p) {
        if (*p == '-' || isDigit(*p))
            values.push_back(readNumber(p));
        else
            ++p;
    }
    return values;
}

stringc joinIntList(const array<s32>& values) {
    stringc text;
    for (u32 i = 0; i < values.size(); ++i) {
        if (i > 0) text += ";";
        appendDecimal(text, values[i]);
    }
    return text;
}

stringc decimalText(s32 value) {
    stringc text;
    appendDecimal(text, value);
    return text;
}

stringc appendNameToList(const stringc& list, const stringc& name) {
    if (list.empty()) return name;
    stringc joined = list;
    joined += ";";
    joined += name;
    return joined;
}

}  // namespace brasquel
