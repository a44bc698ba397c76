#include "game/app/GDeveloperKeys.h"

#include <atomic>
#include <cstring>

#include "engine/io/CFileSystem.h"

namespace brasquel {

using namespace oskel;

namespace {
std::atomic<bool> g_developerKeysOn{false};
}  // namespace

bool areDeveloperKeysOn() { return g_developerKeysOn.load(); }
void switchDeveloperKeysOn() { g_developerKeysOn.store(true); }

bool GAccessCodeWatcher::onCharacter(u16 character) {
    c8 c = 0;
    if (character >= 'A' && character <= 'Z')
        c = static_cast<c8>(character - 'A' + 'a');
    else if (character != 0 && character < 0x80)
        c = static_cast<c8>(character);
    else if (character != 0)
        c = '?';  // beyond ASCII: cannot be part of the code, but is a character all the same
    // A zero character stands for a key without one: it is kept as a mark that matches nothing.
    m_typed.append(c != 0 ? c : '\x01');
    if (m_typed.size() > CodeLength)
        m_typed = m_typed.subString(m_typed.size() - CodeLength, CodeLength);
    if (m_typed.size() == CodeLength && std::strcmp(m_typed.c_str(), AccessCode) == 0) {
        m_typed = "";
        return true;
    }
    return false;
}

stringc nextScreenshotName(CFileSystem* fileSystem, const stringc& folder) {
    if (!fileSystem || folder.empty()) return stringc();
    for (u32 n = 0;; ++n) {
        stringc name = folder;
        name += "/screenshot";
        name += stringc(n);
        name += ".jpg";
        if (!fileSystem->existFile(name, false)) return name;
        if (n == 0xffffffffu) return stringc();
    }
}

}  // namespace brasquel
