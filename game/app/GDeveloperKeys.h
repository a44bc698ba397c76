#pragma once

#include "engine/core/OskelTypes.h"

namespace oskel {
class CFileSystem;
}

namespace brasquel {

// Watches the typed characters for the developer access code. Letters count in either case;
// a key without a character counts as a character of its own, so it breaks the code.
class GAccessCodeWatcher {
public:
    static constexpr const char* AccessCode = "plumvast";
    static constexpr oskel::u32 CodeLength = 8;

    // Takes one key's character (0 for none); true when it completed the code, which also
    // empties the buffer.
    bool onCharacter(oskel::u16 character);
    const oskel::stringc& getBuffer() const { return m_typed; }

private:
    oskel::stringc m_typed;
};

// The process-wide switch of the developer keys: off at start, never switched off again.
bool areDeveloperKeysOn();
void switchDeveloperKeysOn();

// The first free screenshot name in the folder: folder + "/screenshot" + n + ".jpg" with n from
// 0 up, the first that is not on disk. Empty when the folder is empty (unknown): a screenshot is
// never written at the root.
oskel::stringc nextScreenshotName(oskel::CFileSystem* fileSystem, const oskel::stringc& folder);

}  // namespace brasquel
