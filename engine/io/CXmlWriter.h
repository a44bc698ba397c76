#pragma once

#include <vector>

#include "engine/core/OskelTypes.h"
#include "engine/io/IReadableFile.h"

namespace oskel {

// Writes XML as UTF-16 little-endian text with a byte-order mark, one tab of indentation per open
// element. Code points above U+FFFF are written as surrogate pairs. The writer does not track
// element names: the caller writes the closing tags and asks for line breaks itself.
class CXmlWriter : public virtual IReferenceCounted {
public:
    // Grabs the file; with a null file every operation writes nothing.
    explicit CXmlWriter(IWritableFile* file);
    ~CXmlWriter() override;

    CXmlWriter(const CXmlWriter&) = delete;
    CXmlWriter& operator=(const CXmlWriter&) = delete;

    // The byte-order mark, <?xml version="1.0"?> and a line break.
    virtual void writeXMLHeader();
    // A start tag (or an empty-element tag when empty), indented by the depth. Attributes are
    // paired by index up to the shorter array; a pair with an empty name is skipped.
    virtual void writeElement(const wchar_t* name, bool empty, const array<stringw>& names,
                              const array<stringw>& values);
    // The same with up to five pairs; a pair whose name or value is null is skipped.
    virtual void writeElement(const wchar_t* name, bool empty = false,
                              const wchar_t* attr1Name = nullptr, const wchar_t* attr1Value = nullptr,
                              const wchar_t* attr2Name = nullptr, const wchar_t* attr2Value = nullptr,
                              const wchar_t* attr3Name = nullptr, const wchar_t* attr3Value = nullptr,
                              const wchar_t* attr4Name = nullptr, const wchar_t* attr4Value = nullptr,
                              const wchar_t* attr5Name = nullptr, const wchar_t* attr5Value = nullptr);
    // "<!--", the text escaped, "-->"; nothing for a null text.
    virtual void writeComment(const wchar_t* comment);
    // Closes the innermost open element; an element whose content is text closes on its line.
    // A closing tag without an open element is written at column 0 and logged.
    virtual void writeClosingTag(const wchar_t* name);
    // The text with & < > " ' and the line-break characters written as entities.
    virtual void writeText(const wchar_t* text);
    virtual void writeLineBreak();

    // The number of open elements.
    u32 getDepth() const { return m_depth; }
    // False once a write to the file came up short.
    bool isGood() const { return m_good; }

private:
    void put(wchar_t c);
    void putRaw(const wchar_t* text);
    void putEscaped(const wchar_t* text);
    void putAttribute(const wchar_t* name, const wchar_t* value);
    void putIndent(u32 depth);
    void openTag(const wchar_t* name);
    void closeStartTag(bool empty);
    void flush();

    IWritableFile* m_file;
    u32 m_depth = 0;
    bool m_textWrittenLast = false;
    bool m_good = true;
    std::vector<u8> m_buffer;  // the bytes of the current operation
};

}  // namespace oskel
