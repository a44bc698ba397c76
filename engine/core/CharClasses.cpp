#include "engine/core/CharClasses.h"

#include <algorithm>
#include <iterator>

namespace oskel {

namespace {

struct SCodeRange {
    u32 first;
    u32 last;
};

const SCodeRange kLetterRanges[] = {
#include "engine/core/LetterRanges.inc"
};

}  // namespace

bool isLetterChar(u32 code) {
    // The first range that ends at or after the code.
    const SCodeRange* end = std::end(kLetterRanges);
    const SCodeRange* found =
        std::lower_bound(std::begin(kLetterRanges), end, code,
                         [](const SCodeRange& r, u32 c) { return r.last < c; });
    return found != end && found->first <= code;
}

}  // namespace oskel
