#pragma once

#include <cstddef>
#include <vector>

#include "engine/core/OskelTypes.h"
#include "engine/io/IReadableFile.h"

namespace oskel {

// The kinds of node the XML reader reports.
enum EXmlNodeType : s32 {
    XmlNodeNone = 0,        // before the first read
    XmlNodeElement = 1,     // a start tag or an empty-element tag: the element name
    XmlNodeElementEnd = 2,  // an end tag: the text between "</" and ">"
    XmlNodeText = 3,        // text between tags, entities decoded
    XmlNodeComment = 4,     // the text between "<!--" and "-->"
    XmlNodeCData = 5,       // the raw content of a CDATA section
    XmlNodeUnknown = 6      // a declaration or processing instruction; the name is kept
};

// A small pull reader over a whole XML file held in memory. It reports one node at a time and does
// not validate; names, values and text are handed out as wide strings (one Unicode code point per
// character).
//
// Encodings, chosen by the first bytes: UTF-32 BE/LE and UTF-16 BE/LE with a byte-order mark,
// UTF-8 with a byte-order mark, otherwise 8-bit Latin-1 (UTF-8 without a mark is not decoded).
// The text ends at its first zero character. Byte text (Latin-1, well-formed UTF-8) is parsed in
// place; other text is first converted once into UTF-8. Only the names, values and text of the
// current node are converted into wide strings, which the reader reuses from node to node. The
// memory that holds a file's text comes from a pool shared by all readers (which keeps a few
// blocks, 64 MB at most, for the program's life), so reading one large file after another does
// not map fresh pages each time.
//
// Damaged input never makes the reader run past its text: markup cut off by the end of the text
// (an open tag, comment, CDATA section or declaration) is logged and read() returns false there.
// A text that ends while an element is still open (its end tag never came, or its start tag is
// cut) is truncated: read() returns false at the end as for any text, isTruncated() tells it
// apart from a complete document, and it is logged once at error level with the file and the
// innermost open element.
class CXmlReader : public virtual IReferenceCounted {
public:
    // Reads the file from its current position to its end; the reader keeps no reference to it.
    // A null, empty, unreadable or oversized file gives a reader whose first read() is false.
    explicit CXmlReader(IReadableFile* file);
    ~CXmlReader() override;

    CXmlReader(const CXmlReader&) = delete;
    CXmlReader& operator=(const CXmlReader&) = delete;

    // Moves to the next node; false when the text is used up (text after the last tag is not
    // reported) or when it ends inside markup.
    virtual bool read();
    // The current element was written as an empty-element tag (such as <a/>): no end tag follows.
    virtual bool isEmptyElement() const { return m_isEmpty; }
    virtual EXmlNodeType getNodeType() const { return m_nodeType; }
    virtual const stringw& getNodeName() const { return m_nodeName.text; }
    // The same string as getNodeName.
    virtual const stringw& getNodeData() const { return m_nodeName.text; }

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

    // True once read() has returned false at the end of a text that ended while an element was
    // still open: an element began and its end tag never came (such as in a file cut off between
    // two tags), or the text ended inside a start tag. Known only at the end; a document read to
    // its root's end tag is never truncated. End tags are not matched by name: each closes the
    // innermost open element.
    bool isTruncated() const { return m_truncated; }

    // The number of characters of text the reader holds.
    u32 getTextLength() const;

    // The integer reading of a text as the int getters do it.
    static s32 parseInt(const wchar_t* text);

private:
    // A string that the reader fills again node after node, and the room (characters and the
    // zero after them) that the reader knows it to have: never more than it has. A copy of a
    // string does not keep the room of the original, so a copy starts knowing none.
    struct SText {
        SText() = default;
        SText(const SText& other) : text(other.text), room(0) {}
        SText& operator=(const SText& other) {
            text = other.text;
            room = 0;
            return *this;
        }

        stringw text;
        size_t room = 1;  // a new string holds its terminating zero
    };
    struct SAttribute {
        SText name;
        SText value;
    };
    // Memory lent by the readers' shared pool; never cleared.
    struct SBuffer {
        u8* data = nullptr;
        size_t capacity = 0;
    };

    void loadText(IReadableFile* file);
    bool useText(SBuffer& raw, size_t size);
    bool finish();
    bool parseMarkup();
    bool parseElement();
    bool endsInsideMarkup(const char* what);
    const u8* skipChars(const u8* p, size_t count) const;
    const u8* backChars(const u8* p, const u8* floor, size_t count) const;
    static wchar_t* makeRoom(SText& out, size_t count);
    static void endText(SText& out, size_t length);
    void takeText(SText& out, const u8* begin, const u8* end, u16 seen);
    void takeText(SText& out, const u8* begin, const u8* end);
    void takeDecoded(SText& out, const u8* begin, const u8* end, u16 seen);
    const SAttribute* findAttribute(const wchar_t* name) const;
    SAttribute& nextAttribute();

    SBuffer m_buffer;             // holds the text and a zero after it
    const u8* m_begin = nullptr;  // the text: Latin-1 bytes, or UTF-8 without damage
    const u8* m_pos = nullptr;
    const u8* m_end = nullptr;  // the zero after the text
    bool m_utf8 = false;
    EXmlNodeType m_nodeType = XmlNodeNone;
    SText m_nodeName;
    bool m_isEmpty = false;
    std::vector<SAttribute> m_attributes;  // the first m_attributeCount entries are current
    u32 m_attributeCount = 0;
    std::vector<size_t> m_openElements;  // where the names of elements not yet ended begin
    std::vector<wchar_t> m_wide;         // text with entities, as wide characters before decoding
    bool m_finished = false;
    bool m_truncated = false;
    stringc m_fileName;
};

}  // namespace oskel
