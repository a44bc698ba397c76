#pragma once

#include "engine/core/OskelTypes.h"
#include "engine/core/Singleton.h"

namespace oskel {

// The engine's random generator: a pair of multiply-with-carry generators for every draw but
// nextTwister(), which uses its own Mersenne twister (MT19937) state.
class CRandom : public virtual IReferenceCounted, public TSingleton<CRandom> {
public:
    CRandom();
    ~CRandom() override = default;

    // Seeds the twister with s (without regenerating its block) and sets the low generator to s.
    void seed(u32 s);
    u32 next();
    // In [min, max); min when min == max (nothing is drawn).
    s32 nextInt(s32 min, s32 max);
    // In [0, 1]: a draw within 128 of 2^32 rounds to exactly 1.0, so a caller that indexes
    // with the result must clamp it.
    f32 nextFloat();
    // Between min and max, both included; min when they are equal (nothing is drawn).
    f32 nextFloatRange(f32 min, f32 max);
    u32 nextTwister();
    // The two words of the multiply-with-carry generators behind next(): a point of its sequence
    // to come back to (seed leaves the high word as it is).
    void getLowGeneratorState(u32& z, u32& w) const {
        z = m_z;
        w = m_w;
    }
    void setLowGeneratorState(u32 z, u32 w) {
        m_z = z;
        m_w = w;
    }
    void twist();

private:
    static constexpr u32 N = 624;
    u32 m_mt[N];
    u32 m_index = 0;
    u32 m_z = 0;
    u32 m_w = 0;
};

}  // namespace oskel
