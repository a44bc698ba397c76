#pragma once

#include <map>
#include <string>

#include "engine/core/OskelTypes.h"
#include "engine/io/CXmlReader.h"
#include "engine/io/IReadableFile.h"

namespace oskel {

class CFileSystem;

// The localised texts of the game: a map from a narrow key to a wide text. Texts refer to keys
// between percent signs ("%Title%") or are looked up by plain key.
//
// Dictionary files come in two forms, and one file may hold several roots:
//   <Dictionary><s n="key">text</s>...</Dictionary>
//   <texts><phrase tag="key" text="text"/>...</texts>
// Loading a key again replaces its text.
class CTextDictionary : public virtual IReferenceCounted {
public:
    // Files are opened by name through the file system (none: only opened files load).
    explicit CTextDictionary(CFileSystem* fileSystem = nullptr);
    ~CTextDictionary() override;

    // Every "%key%" replaced by getText(key); "%%" gives "%"; a '%' without a closing one is
    // kept with the rest of the text as it stands.
    virtual stringw translate(const stringw& text) const;
    // The key's text; for a missing key "%" + key + "%", so untranslated texts show.
    virtual stringw getText(const stringc& key) const;
    // getText(key) with its first four "#p" markers replaced by the parameters in order.
    virtual stringw getTextWithParams(const stringc& key, const stringw& p1, const stringw& p2,
                                      const stringw& p3, const stringw& p4) const;
    // Reads a dictionary file and adds its entries. False when there is no file, or when a
    // root's end tag is missing (the entries read before the damage are kept); both logged.
    [[nodiscard]] virtual bool load(IReadableFile* file);
    // The same from a reader positioned before the roots.
    [[nodiscard]] virtual bool load(CXmlReader* reader);
    // The named file, opened through the file system.
    [[nodiscard]] virtual bool load(const stringc& fileName);
    // Removes every entry.
    virtual void clear();

    u32 getEntryCount() const { return static_cast<u32>(m_texts.size()); }
    bool hasKey(const stringc& key) const { return m_texts.count(key.c_str()) != 0; }
    // Every text by its key.
    const std::map<std::string, stringw>& getTexts() const { return m_texts; }

private:
    [[nodiscard]] bool loadDictionaryForm(CXmlReader& reader);
    [[nodiscard]] bool loadTextsForm(CXmlReader& reader);
    void store(const std::string& key, const stringw& text);

    // Keys compare byte by byte.
    std::map<std::string, stringw> m_texts;
    CFileSystem* m_fileSystem = nullptr;
};

}  // namespace oskel
