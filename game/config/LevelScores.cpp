#include "game/config/LevelScores.h"

#include "game/config/ConfigurationXml.h"

namespace brasquel {

using namespace oskel;
using config::isElement;
using config::isElementEnd;
using config::narrowAttribute;

bool LevelScores::load(CXmlReader* reader) {
    m_scores.clear();
    if (!reader) return false;
    while (reader->read()) {
        if (isElementEnd(reader, L"LevelScores")) return true;
        if (!isElement(reader, L"Level")) continue;
        SLevelScore& score = m_scores[narrowAttribute(reader, L"Name")];
        score.Score = reader->getAttributeValueAsInt(L"Score", 0);
        score.ExpertScore = reader->getAttributeValueAsInt(L"ExpertScore", 0);
        score.Time = reader->getAttributeValueAsInt(L"Time", 0);
    }
    return false;
}

SLevelScore& LevelScores::get(const stringc& name) { return m_scores[name]; }

const SLevelScore* LevelScores::find(const stringc& name) const {
    auto found = m_scores.find(name);
    return found == m_scores.end() ? nullptr : &found->second;
}

}  // namespace brasquel
