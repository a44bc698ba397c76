#pragma once

// One step of a tutorial as its step file gives it: how its window looks (position, text, text
// background, arrows) and what ends it (its actions). The step file's readers live here too.

#include <vector3d.h>

#include "engine/core/CRefPtr.h"
#include "engine/core/OskelTypes.h"
#include "game/play/tutorial/GTutorialAction.h"

namespace oskel {
class CXmlReader;
}  // namespace oskel

namespace brasquel {

// An arrow of a step: its position in the arrow layer and its rotation (only z turns).
struct STutorialArrow {
    irr::core::vector3df Position;
    irr::core::vector3df Rotation;
};

class GTutorialHint : public virtual oskel::IReferenceCounted {
public:
    // A tip rather than a tutorial step: the two are switched off apart.
    bool Tip = false;
    // The step also ends when the window's "Button" is pressed.
    bool MessageBox = false;
    // The window shows even without a text.
    bool Linnet = false;
    oskel::stringw Text;
    // Kept with the step; nothing shows it.
    oskel::stringc ImageFilename;
    // The window's place (the window's depth is its own).
    irr::core::vector3df Position{570.0f, 516.0f, 0.0f};
    // 0: the text's first background look, anything else the second.
    oskel::s32 TextBgType = 0;
    // The text's place inside the window.
    irr::core::vector3df TextPosition{-35.0f, -11.0f, 1.0f};
    oskel::array<STutorialArrow> Arrows;
    oskel::array<oskel::CRefPtr<GTutorialAction>> Actions;

    // Reads the step from the reader standing on its "Hint" element, up to the end of that
    // element; false when the input ended first.
    bool read(oskel::CXmlReader* reader);
};

// Reads the arrows of an "Arrows" element into the list, the reader standing on that element;
// false when the input ended before its end.
bool readTutorialArrows(oskel::CXmlReader* reader, oskel::array<STutorialArrow>& arrows);

// Empties the list and reads the steps of a step file from its start: every "Hint" element,
// wherever it stands, up to the end of "Tutorial". False when the input ended first (the steps
// read so far stay in the list).
bool readTutorialSteps(oskel::CXmlReader* reader,
                       oskel::array<oskel::CRefPtr<GTutorialHint>>& steps);

// The first three numbers of the text (each a run that starts with a digit or '-', read with
// its fraction and exponent; everything else separates them); missing numbers are 0.
irr::core::vector3df parseTutorialVector(const oskel::stringw& text);

// A whole number attribute: read as a real number, truncated towards zero and held to the int
// range; the default when the attribute is missing.
oskel::s32 readTruncatedInt(const oskel::CXmlReader* reader, const wchar_t* name,
                            oskel::s32 defaultValue = 0);

}  // namespace brasquel
