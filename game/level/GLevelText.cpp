#include "game/level/GLevelText.h"

#include "engine/core/StringUtils.h"
#include "engine/properties/PropertyText.h"
#include "game/config/GListTexts.h"

namespace brasquel {

using namespace oskel;

array<s32> parseIntList(const stringw& text) {
    // Characters beyond Latin-1 become '?': none of them can pass for a digit.
    return parseIntListNarrow(narrowNumberText(text.c_str()));
}

std::pair<s32, s32> parseIntRange(const stringw& text) {
    const array<s32> numbers = parseIntList(text);
    return {numbers.size() > 0 ? numbers[0] : 0, numbers.size() > 1 ? numbers[1] : 0};
}

vector2df parseVector2dW(const stringw& text) {
    f32 components[2] = {0.0f, 0.0f};
    scanPropertyFloats(narrowNumberText(text.c_str()).c_str(), components, 2);
    return vector2df(components[0], components[1]);
}

s32 parseLevelNumber(const stringw& name) { return parseWideInt(name.c_str()); }

}  // namespace brasquel
