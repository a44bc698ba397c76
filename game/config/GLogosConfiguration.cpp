#include "game/config/GLogosConfiguration.h"

#include "engine/core/StringUtils.h"
#include "engine/io/CXmlReader.h"
#include "engine/properties/PropertyText.h"

namespace brasquel {

using namespace oskel;

namespace {

stringc narrowAttribute(CXmlReader* reader, const wchar_t* name) {
    return stringc(toUtf8(reader->getAttributeValue(name).c_str()).c_str());
}

}  // namespace

void GLogosConfiguration::clear() {
    m_logos.clear();
    m_mmLogos.clear();
}

bool GLogosConfiguration::takeFirstLogo(GLogoEntry& logo) {
    if (m_logos.empty()) return false;
    logo = m_logos.front();
    m_logos.erase(m_logos.begin());
    return true;
}

bool GLogosConfiguration::load(CXmlReader* reader) {
    if (!reader) return false;
    while (reader->read()) {
        const EXmlNodeType type = reader->getNodeType();
        if (type == XmlNodeElementEnd && reader->getNodeName() == stringw(L"Logos")) break;
        if (type != XmlNodeElement) continue;
        const stringw& element = reader->getNodeName();
        if (element == stringw(L"Logo")) {
            GLogoEntry entry;
            entry.Image = narrowAttribute(reader, L"Image");
            entry.Time = reader->getAttributeValueAsInt(L"Time", 0);
            // Exactly "true": "True" or "1" leave the logo on screen for its whole time.
            entry.Skippable = reader->getAttributeValue(L"Skippable") == stringw(L"true");
            m_logos.push_back(entry);
        } else if (element == stringw(L"MMLogo")) {
            GMMLogoEntry entry;
            entry.Image = narrowAttribute(reader, L"Image");
            f32 position[2] = {0.0f, 0.0f};
            scanPropertyFloats(narrowNumberText(reader->getAttributeValue(L"Pos").c_str()).c_str(), position, 2);
            entry.Pos = vector2df(position[0], position[1]);
            entry.URL = narrowAttribute(reader, L"URL");
            m_mmLogos.push_back(entry);
        }
    }
    return true;
}

}  // namespace brasquel
