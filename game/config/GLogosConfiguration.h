#pragma once

#include <vector>

#include "engine/core/CRefPtr.h"
#include "engine/core/OskelTypes.h"

namespace oskel {
class CXmlReader;
}

namespace brasquel {

// A picture shown full screen at start-up for a while.
struct GLogoEntry {
    oskel::stringc Image;  // path of the picture
    oskel::s32 Time = 0;   // milliseconds
    bool Skippable = false;
};

// A picture at a position that opens a web address.
struct GMMLogoEntry {
    oskel::stringc Image;
    irr::core::vector2df Pos;
    oskel::stringc URL;
};

// The contents of "logos/Logos.xml": the logos of the start-up, in the order of the file.
class GLogosConfiguration : public virtual irr::IReferenceCounted {
public:
    // Appends the entries of the root element "Logos" the reader stands before: "Logo" and
    // "MMLogo" elements; others are skipped. False without a reader.
    [[nodiscard]] bool load(oskel::CXmlReader* reader);
    void clear();
    // Takes the first logo out of the list (the logos scene shows each once); false when none
    // is left.
    bool takeFirstLogo(GLogoEntry& logo);

    const std::vector<GLogoEntry>& getLogos() const { return m_logos; }
    const std::vector<GMMLogoEntry>& getMMLogos() const { return m_mmLogos; }

private:
    std::vector<GLogoEntry> m_logos;
    std::vector<GMMLogoEntry> m_mmLogos;
};

}  // namespace brasquel
