#pragma once

#include <cstddef>
#include <vector>

#include "engine/core/OskelTypes.h"
#include "engine/io/CXmlReader.h"
#include "engine/io/IReadableFile.h"

namespace oskel::test {

// The engine's XML reader as it was before it learnt to parse byte text in place: the whole file
// converted into wide text (one Unicode code point per character) and parsed there. Kept only as
// the oracle of the reader's differential tests: for every input, CXmlReader must report the same
// node stream. Not used by the engine.
//
// Encodings, chosen by the first bytes: UTF-32 BE/LE and UTF-16 BE/LE with a byte-order mark,
// UTF-8 with a byte-order mark, otherwise 8-bit Latin-1 (UTF-8 without a mark is not decoded).
// The text ends at its first zero character.
//
// Damaged input never makes the reader run past its text: markup cut off by the end of the text
// (an open tag, comment, CDATA section or declaration) is logged and read() returns false there.
class CReferenceXmlReader : public virtual IReferenceCounted {
public:
    // Reads the file from its current position to its end; the reader keeps no reference to it.
    // A null, empty, unreadable or oversized file gives a reader whose first read() is false.
    explicit CReferenceXmlReader(IReadableFile* file);
    ~CReferenceXmlReader() override;

    CReferenceXmlReader(const CReferenceXmlReader&) = delete;
    CReferenceXmlReader& operator=(const CReferenceXmlReader&) = delete;

    // Moves to the next node; false when the text is used up (text after the last tag is not
    // reported) or when it ends inside markup.
    virtual bool read();
    // The current element was written as an empty-element tag (such as <a/>): no end tag follows.
    virtual bool isEmptyElement() const { return m_isEmpty; }
    virtual EXmlNodeType getNodeType() const { return m_nodeType; }
    virtual const stringw& getNodeName() const { return m_nodeName; }
    // The same string as getNodeName.
    virtual const stringw& getNodeData() const { return m_nodeName; }

    virtual u32 getAttributeCount() const { return m_attributeCount; }
    // Out-of-range indexes give a shared empty string.
    virtual const stringw& getAttributeName(s32 index) const;
    // Exact, case-sensitive match of the whole name; the first match wins; an empty or null name
    // never matches. An absent attribute gives the shared empty string.
    virtual const stringw& getAttributeValue(const wchar_t* name) const;
    virtual const stringw& getAttributeValue(s32 index) const;
    // [-]digits[.digits][(e|E)[+|-]digits] read exactly as an integer, the fraction truncated
    // toward zero, saturating at the s32 range; text that does not start with a number gives 0.
    // An absent attribute gives the default.
    virtual s32 getAttributeValueAsInt(s32 index, s32 defaultValue = 0) const;
    virtual s32 getAttributeValueAsInt(const wchar_t* name, s32 defaultValue = 0) const;
    // The engine's wide float parser; an absent attribute gives the default.
    virtual f32 getAttributeValueAsFloat(s32 index, f32 defaultValue = 0.0f) const;
    virtual f32 getAttributeValueAsFloat(const wchar_t* name, f32 defaultValue = 0.0f) const;

    // The entity list shared by every reader: each entry is the character it stands for followed
    // by the entity's text after the '&' (such as "&amp;" for '&').
    virtual const array<stringw>& getSpecialCharacters() const;
    // Appends an entry of that form to the shared list; entries shorter than two characters are
    // refused. Main thread only.
    virtual void addSpecialCharacter(const stringw& entry);

    // The number of characters of text the reader holds.
    u32 getTextLength() const { return static_cast<u32>(m_text.empty() ? 0 : m_text.size() - 1); }

    // The integer reading of a text as the int getters do it.
    static s32 parseInt(const wchar_t* text);

private:
    struct SAttribute {
        stringw name;
        stringw value;
    };

    void loadText(IReadableFile* file);
    void convertText(const u8* bytes, size_t size);
    bool parseMarkup();
    bool parseElement();
    bool endsInsideMarkup(const char* what);
    void decodeEntities(const wchar_t* begin, const wchar_t* end, stringw& out) const;
    const SAttribute* findAttribute(const wchar_t* name) const;
    SAttribute& nextAttribute();

    std::vector<wchar_t> m_text;  // the text and a terminating zero
    const wchar_t* m_pos = nullptr;
    const wchar_t* m_end = nullptr;
    EXmlNodeType m_nodeType = XmlNodeNone;
    stringw m_nodeName;
    bool m_isEmpty = false;
    std::vector<SAttribute> m_attributes;  // the first m_attributeCount entries are current
    u32 m_attributeCount = 0;
    stringc m_fileName;
};

}  // namespace oskel::test
