#include "engine/core/CRandom.h"

namespace oskel {

CRandom::CRandom() {
    seed(5489);
    m_z = 0x29169588u;
    m_w = 0x38d4b27cu;
}

void CRandom::seed(u32 s) {
    m_mt[0] = s;
    for (u32 i = 1; i < N; ++i) m_mt[i] = 1812433253u * (m_mt[i - 1] ^ (m_mt[i - 1] >> 30)) + i;
    m_index = 0;
    m_z = s;
}

void CRandom::twist() {
    constexpr u32 M = 397;
    constexpr u32 upper = 0x80000000u, lower = 0x7fffffffu, matrix = 0x9908b0dfu;
    for (u32 i = 0; i < N; ++i) {
        const u32 y = (m_mt[i] & upper) | (m_mt[(i + 1) % N] & lower);
        m_mt[i] = m_mt[(i + M) % N] ^ (y >> 1) ^ ((y & 1u) ? matrix : 0u);
    }
    m_index = 0;
}

u32 CRandom::nextTwister() {
    if (m_index >= N) twist();
    u32 y = m_mt[m_index++];
    y ^= y >> 11;
    y ^= (y << 7) & 0x9d2c5680u;
    y ^= (y << 15) & 0xefc60000u;
    y ^= y >> 18;
    return y;
}

u32 CRandom::next() {
    m_w = 36969u * (m_w & 0xffffu) + (m_w >> 16);
    m_z = 18000u * (m_z & 0xffffu) + (m_z >> 16);
    return (m_w << 16) + m_z;
}

s32 CRandom::nextInt(s32 min, s32 max) {
    if (min == max) return min;
    const u32 range = static_cast<u32>(max) - static_cast<u32>(min);
    return static_cast<s32>(static_cast<u32>(min) + next() % range);
}

f32 CRandom::nextFloat() {
    return static_cast<f32>(static_cast<f64>(next()) * (1.0 / 4294967296.0));
}

f32 CRandom::nextFloatRange(f32 min, f32 max) {
    const f32 d = max - min;
    if (d == 0.0f) return min;
    return min + nextFloat() * d;
}

}  // namespace oskel
