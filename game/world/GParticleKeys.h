#pragma once

#include <vector>

#include "engine/core/OskelTypes.h"

namespace oskel {
class CXmlReader;
}

namespace brasquel {

// One key of a particle timeline: at moment T of a particle's life (0 at birth, 1 at death) the
// animated value is V.
struct GParticleKey {
    oskel::f32 T = 0.0f;
    oskel::f32 V = 0.0f;
};
using GParticleKeyList = std::vector<GParticleKey>;

// The value a particle starts with: the first key's value, or the fallback for an empty list.
oskel::f32 getParticleStartValue(const GParticleKeyList& keys, oskel::f32 fallback);

// Moves one animated value along its list for the particle's age. The cursor (1 at birth) is the
// key being approached: once the age reaches it the value takes the key's value and the cursor
// moves on (one key a step); before that the value is interpolated from the key before it. Two
// keys at the same moment take the later key's value, never a division by zero.
void followParticleKeys(const GParticleKeyList& keys, oskel::f32 age, oskel::u32& cursor,
                        oskel::f32& value);

// Reads a list's "k" elements (attributes T and V, missing ones 0) up to the list's own end
// element; the reader stands on the list's start element. The list is emptied first.
void readParticleKeys(oskel::CXmlReader& reader, GParticleKeyList& keys);

}  // namespace brasquel
