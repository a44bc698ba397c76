#include "tests/io/ReferenceXmlReader.h"

#include <cwchar>
#include <limits>

#include "engine/core/CLogger.h"
#include "engine/core/StringUtils.h"

namespace oskel::test {

namespace {

// Files above this size are refused: the text would take four times as much memory.
constexpr s32 kMaxFileSize = 256 * 1024 * 1024;
constexpr wchar_t kReplacement = 0xFFFD;

const stringw& emptyString() {
    static const stringw empty;
    return empty;
}

array<stringw>& specialCharacters() {
    static array<stringw> list = [] {
        array<stringw> l;
        l.push_back(stringw(L"&amp;"));
        l.push_back(stringw(L"<lt;"));
        l.push_back(stringw(L">gt;"));
        l.push_back(stringw(L"\"quot;"));
        l.push_back(stringw(L"'apos;"));
        l.push_back(stringw(L"\r#xD;"));
        l.push_back(stringw(L"\n#xA;"));
        return l;
    }();
    return list;
}

inline bool isWhiteSpace(wchar_t c) { return c == L' ' || c == L'\t' || c == L'\n' || c == L'\r'; }

inline bool isDigit(wchar_t c) { return c >= L'0' && c <= L'9'; }

// A code point that wide text may hold; others become the replacement character.
inline wchar_t codePoint(u32 value) {
    if (value > 0x10FFFFu || (value >= 0xD800u && value <= 0xDFFFu)) return kReplacement;
    return static_cast<wchar_t>(value);
}

// Replaces the string's content with the range, reusing its buffer.
void assignRange(stringw& out, const wchar_t* begin, const wchar_t* end) {
    const size_t n = static_cast<size_t>(end - begin);
    out = L"";
    out.reserve(static_cast<u32>(n + 1));
    for (const wchar_t* p = begin; p < end; ++p) out.append(*p);
}

const wchar_t* findChar(const wchar_t* begin, const wchar_t* end, wchar_t c) {
    if (begin >= end) return end;
    const wchar_t* found = std::wmemchr(begin, c, static_cast<size_t>(end - begin));
    return found ? found : end;
}

u32 readBigEndian32(const u8* p) {
    return (static_cast<u32>(p[0]) << 24) | (static_cast<u32>(p[1]) << 16) | (static_cast<u32>(p[2]) << 8) | p[3];
}
u32 readLittleEndian32(const u8* p) {
    return (static_cast<u32>(p[3]) << 24) | (static_cast<u32>(p[2]) << 16) | (static_cast<u32>(p[1]) << 8) | p[0];
}

}  // namespace

CReferenceXmlReader::CReferenceXmlReader(IReadableFile* file) {
    specialCharacters();  // the shared list is built with the first reader
    loadText(file);
    if (!m_text.empty()) {
        m_pos = m_text.data();
        m_end = m_text.data() + (m_text.size() - 1);
    }
}

CReferenceXmlReader::~CReferenceXmlReader() = default;

void CReferenceXmlReader::loadText(IReadableFile* file) {
    if (!file) {
        CLogger::instance().log("XML reader was given no file", LogWarning);
        return;
    }
    m_fileName = file->getFileName();
    const s32 size = file->getSize();
    s32 pos = file->getPos();
    if (pos < 0 || pos > size) pos = 0;
    const s32 left = size - pos;
    if (size <= 0 || left <= 0) {
        CLogger::instance().logHint("XML file is empty", m_fileName.c_str(), LogWarning);
        return;
    }
    if (left > kMaxFileSize) {
        CLogger::instance().logHint("XML file is too large", m_fileName.c_str(), LogError);
        return;
    }
    std::vector<u8> bytes(static_cast<size_t>(left));
    size_t got = 0;
    while (got < bytes.size()) {
        const s32 n = file->read(bytes.data() + got, static_cast<u32>(bytes.size() - got));
        if (n <= 0) break;
        got += static_cast<size_t>(n);
    }
    if (got < bytes.size()) {
        CLogger::instance().logHint("Failed to read XML file", m_fileName.c_str(), LogError);
        return;
    }
    convertText(bytes.data(), bytes.size());
}

void CReferenceXmlReader::convertText(const u8* b, size_t size) {
    // Each branch writes at most one character per input unit into room made beforehand.
    std::vector<wchar_t>& out = m_text;
    wchar_t* w = nullptr;
    auto makeRoom = [&](size_t units) {
        out.resize(units + 1);
        w = out.data();
    };
    if (size >= 4 && ((b[0] == 0x00 && b[1] == 0x00 && b[2] == 0xFE && b[3] == 0xFF) ||
                      (b[0] == 0xFF && b[1] == 0xFE && b[2] == 0x00 && b[3] == 0x00))) {
        const bool bigEndian = b[0] == 0x00;
        const size_t units = (size - 4) / 4;
        makeRoom(units);
        for (size_t i = 0; i < units; ++i) {
            const u8* p = b + 4 + 4 * i;
            const u32 v = bigEndian ? readBigEndian32(p) : readLittleEndian32(p);
            if (v == 0) break;
            *w++ = codePoint(v);
        }
    } else if (size >= 2 && ((b[0] == 0xFE && b[1] == 0xFF) || (b[0] == 0xFF && b[1] == 0xFE))) {
        const bool bigEndian = b[0] == 0xFE;
        const size_t units = (size - 2) / 2;
        const u8* p = b + 2;
        auto unitAt = [&](size_t i) -> u32 {
            return bigEndian ? (static_cast<u32>(p[2 * i]) << 8) | p[2 * i + 1]
                             : (static_cast<u32>(p[2 * i + 1]) << 8) | p[2 * i];
        };
        makeRoom(units);
        for (size_t i = 0; i < units; ++i) {
            const u32 u = unitAt(i);
            if (u == 0) break;
            if (u < 0xD800u || u > 0xDFFFu) {
                *w++ = static_cast<wchar_t>(u);
                continue;
            }
            if (u <= 0xDBFFu && i + 1 < units) {
                const u32 low = unitAt(i + 1);
                if (low >= 0xDC00u && low <= 0xDFFFu) {
                    *w++ = static_cast<wchar_t>(0x10000u + ((u - 0xD800u) << 10) + (low - 0xDC00u));
                    ++i;
                    continue;
                }
            }
            *w++ = kReplacement;  // a lone surrogate
        }
    } else if (size >= 3 && b[0] == 0xEF && b[1] == 0xBB && b[2] == 0xBF) {
        makeRoom(size - 3);
        size_t i = 3;
        auto isContinuation = [&](size_t k) { return k < size && (b[k] & 0xC0u) == 0x80u; };
        while (i < size) {
            const u8 c = b[i];
            if (c < 0x80u) {
                if (c == 0) break;
                *w++ = static_cast<wchar_t>(c);
                ++i;
                continue;
            }
            if ((c & 0xC0u) == 0x80u) {  // a stray continuation byte is skipped
                ++i;
                continue;
            }
            size_t extra;
            u32 value;
            if ((c & 0xE0u) == 0xC0u) {
                extra = 1;
                value = c & 0x1Fu;
            } else if ((c & 0xF0u) == 0xE0u) {
                extra = 2;
                value = c & 0x0Fu;
            } else if ((c & 0xF8u) == 0xF0u) {
                extra = 3;
                value = c & 0x07u;
            } else {  // F8..FF never occur in UTF-8
                *w++ = kReplacement;
                ++i;
                continue;
            }
            size_t k = 1;
            while (k <= extra && isContinuation(i + k)) {
                value = (value << 6) | (b[i + k] & 0x3Fu);
                ++k;
            }
            if (k <= extra) {
                // Cut short: the bytes taken so far stand for one replacement character, and the
                // byte that broke the sequence is read on its own.
                *w++ = kReplacement;
                i += k;
                continue;
            }
            // Overlong forms (which could hide a zero or markup characters) are refused.
            static const u32 kSmallest[4] = {0, 0x80u, 0x800u, 0x10000u};
            *w++ = value < kSmallest[extra] ? kReplacement : codePoint(value);
            i += extra + 1;
        }
    } else {
        makeRoom(size);
        for (size_t i = 0; i < size && b[i] != 0; ++i) *w++ = static_cast<wchar_t>(b[i]);
    }
    out.resize(static_cast<size_t>(w - out.data()));
    out.push_back(0);
}

bool CReferenceXmlReader::endsInsideMarkup(const char* what) {
    CLogger::instance().logHint(what, m_fileName.c_str(), LogWarning);
    m_pos = m_end;
    return false;
}

bool CReferenceXmlReader::read() {
    if (!m_pos || m_pos >= m_end) return false;
    const wchar_t* start = m_pos;
    const wchar_t* open = findChar(start, m_end, L'<');
    if (open == m_end) {
        // Text after the last tag (such as the line break after the root's end tag) is no node.
        m_pos = m_end;
        return false;
    }
    if (open != start) {
        bool skip = false;
        if (open - start < 3) {
            skip = true;
            for (const wchar_t* p = start; p < open; ++p)
                if (!isWhiteSpace(*p)) skip = false;
        }
        if (!skip) {
            m_nodeType = XmlNodeText;
            decodeEntities(start, open, m_nodeName);
            m_pos = open;
            return true;
        }
    }
    m_pos = open + 1;
    return parseMarkup();
}

bool CReferenceXmlReader::parseMarkup() {
    if (m_pos >= m_end) return endsInsideMarkup("XML text ends inside a tag");
    const wchar_t c = *m_pos;
    if (c == L'/') {
        const wchar_t* close = findChar(m_pos + 1, m_end, L'>');
        if (close == m_end) return endsInsideMarkup("XML text ends inside an end tag");
        m_nodeType = XmlNodeElementEnd;
        m_isEmpty = false;
        m_attributeCount = 0;
        assignRange(m_nodeName, m_pos + 1, close);
        m_pos = close + 1;
        return true;
    }
    if (c == L'?') {
        const wchar_t* close = findChar(m_pos + 1, m_end, L'>');
        if (close == m_end) return endsInsideMarkup("XML text ends inside a declaration");
        m_nodeType = XmlNodeUnknown;
        m_pos = close + 1;
        return true;
    }
    if (c == L'!') {
        const wchar_t* bang = m_pos;
        if (bang + 1 < m_end && bang[1] == L'[') {
            // "![CDATA[": the opener's letters are not checked.
            if (m_end - bang < 8) return endsInsideMarkup("XML text ends inside a CDATA section");
            const wchar_t* data = bang + 8;
            for (const wchar_t* p = findChar(data, m_end, L']'); p < m_end; p = findChar(p + 1, m_end, L']')) {
                if (m_end - p >= 3 && p[1] == L']' && p[2] == L'>') {
                    m_nodeType = XmlNodeCData;
                    assignRange(m_nodeName, data, p);
                    m_pos = p + 3;
                    return true;
                }
            }
            return endsInsideMarkup("XML text ends inside a CDATA section");
        }
        // A comment: '<' and '>' nest until the one that closes the opening '<'.
        s32 depth = 1;
        const wchar_t* p = bang;
        for (; p < m_end; ++p) {
            if (*p == L'<') {
                ++depth;
            } else if (*p == L'>' && --depth == 0) {
                break;
            }
        }
        if (p == m_end) return endsInsideMarkup("XML text ends inside a comment");
        const wchar_t* after = p + 1;
        const wchar_t* dataBegin = bang + 3 < after ? bang + 3 : after;
        const wchar_t* dataEnd = after - dataBegin > 3 ? after - 3 : dataBegin;
        m_nodeType = XmlNodeComment;
        assignRange(m_nodeName, dataBegin, dataEnd);
        m_pos = after;
        return true;
    }
    return parseElement();
}

CReferenceXmlReader::SAttribute& CReferenceXmlReader::nextAttribute() {
    if (m_attributeCount == m_attributes.size()) m_attributes.emplace_back();
    return m_attributes[m_attributeCount++];
}

bool CReferenceXmlReader::parseElement() {
    const wchar_t* nameBegin = m_pos;
    const wchar_t* p = nameBegin;
    while (p < m_end && !isWhiteSpace(*p) && *p != L'>') ++p;
    const wchar_t* nameEnd = p;
    bool empty = false;
    m_attributeCount = 0;

    while (p < m_end && *p != L'>') {
        while (p < m_end && isWhiteSpace(*p)) ++p;
        if (p == m_end || *p == L'>') break;
        if (*p == L'/') {
            empty = true;
            ++p;
            p = findChar(p, m_end, L'>');
            break;
        }
        const wchar_t* attrBegin = p;
        while (p < m_end && !isWhiteSpace(*p) && *p != L'=') ++p;
        const wchar_t* attrEnd = p;
        if (p == m_end) break;
        ++p;  // the '=' (or the white space after the name)
        while (p < m_end && *p != L'"' && *p != L'\'') ++p;
        if (p == m_end) break;
        const wchar_t quote = *p++;
        const wchar_t* valueBegin = p;
        p = findChar(p, m_end, quote);
        if (p == m_end) break;
        SAttribute& attribute = nextAttribute();
        assignRange(attribute.name, attrBegin, attrEnd);
        decodeEntities(valueBegin, p, attribute.value);
        ++p;
    }
    if (p >= m_end) {
        m_attributeCount = 0;
        return endsInsideMarkup("XML text ends inside a tag");
    }
    if (nameEnd > nameBegin && nameEnd[-1] == L'/') {
        empty = true;
        --nameEnd;
    }
    m_nodeType = XmlNodeElement;
    m_isEmpty = empty;
    assignRange(m_nodeName, nameBegin, nameEnd);
    m_pos = p + 1;
    return true;
}

void CReferenceXmlReader::decodeEntities(const wchar_t* begin, const wchar_t* end, stringw& out) const {
    const wchar_t* amp = findChar(begin, end, L'&');
    if (amp == end) {
        assignRange(out, begin, end);
        return;
    }
    const array<stringw>& entities = specialCharacters();
    out = L"";
    out.reserve(static_cast<u32>(end - begin + 1));
    const wchar_t* run = begin;
    const wchar_t* p = amp;
    // An '&' among the last two characters cannot start an entity.
    while (p < end && end - p > 2) {
        const size_t left = static_cast<size_t>(end - p - 1);
        bool matched = false;
        for (u32 e = 0; e < entities.size(); ++e) {
            const stringw& entry = entities[e];
            const size_t length = entry.size() - 1;
            if (length == 0 || length > left) continue;
            if (std::wmemcmp(p + 1, entry.c_str() + 1, length) == 0) {
                for (const wchar_t* q = run; q < p; ++q) out.append(*q);
                out.append(entry[0]);
                p += 1 + length;
                run = p;
                matched = true;
                break;
            }
        }
        if (!matched) ++p;
        p = findChar(p, end, L'&');
    }
    for (const wchar_t* q = run; q < end; ++q) out.append(*q);
}

const CReferenceXmlReader::SAttribute* CReferenceXmlReader::findAttribute(const wchar_t* name) const {
    if (!name || !*name) return nullptr;
    for (u32 i = 0; i < m_attributeCount; ++i)
        if (m_attributes[i].name == name) return &m_attributes[i];
    return nullptr;
}

const stringw& CReferenceXmlReader::getAttributeName(s32 index) const {
    if (index < 0 || static_cast<u32>(index) >= m_attributeCount) return emptyString();
    return m_attributes[static_cast<u32>(index)].name;
}

const stringw& CReferenceXmlReader::getAttributeValue(const wchar_t* name) const {
    const SAttribute* attribute = findAttribute(name);
    return attribute ? attribute->value : emptyString();
}

const stringw& CReferenceXmlReader::getAttributeValue(s32 index) const {
    if (index < 0 || static_cast<u32>(index) >= m_attributeCount) return emptyString();
    return m_attributes[static_cast<u32>(index)].value;
}

s32 CReferenceXmlReader::getAttributeValueAsInt(s32 index, s32 defaultValue) const {
    if (index < 0 || static_cast<u32>(index) >= m_attributeCount) return defaultValue;
    return parseInt(m_attributes[static_cast<u32>(index)].value.c_str());
}

s32 CReferenceXmlReader::getAttributeValueAsInt(const wchar_t* name, s32 defaultValue) const {
    const SAttribute* attribute = findAttribute(name);
    return attribute ? parseInt(attribute->value.c_str()) : defaultValue;
}

f32 CReferenceXmlReader::getAttributeValueAsFloat(s32 index, f32 defaultValue) const {
    if (index < 0 || static_cast<u32>(index) >= m_attributeCount) return defaultValue;
    f32 value = 0.0f;
    parseWideFloat(m_attributes[static_cast<u32>(index)].value.c_str(), value);
    return value;
}

f32 CReferenceXmlReader::getAttributeValueAsFloat(const wchar_t* name, f32 defaultValue) const {
    const SAttribute* attribute = findAttribute(name);
    if (!attribute) return defaultValue;
    f32 value = 0.0f;
    parseWideFloat(attribute->value.c_str(), value);
    return value;
}

const array<stringw>& CReferenceXmlReader::getSpecialCharacters() const { return specialCharacters(); }

void CReferenceXmlReader::addSpecialCharacter(const stringw& entry) {
    if (entry.size() < 2) {
        CLogger::instance().log("XML entity entry needs a character and a name", LogWarning);
        return;
    }
    specialCharacters().push_back(entry);
}

s32 CReferenceXmlReader::parseInt(const wchar_t* text) {
    if (!text) return 0;
    const wchar_t* p = text;
    const bool negative = *p == L'-';
    if (negative) ++p;
    const wchar_t* intBegin = p;
    while (isDigit(*p)) ++p;
    const wchar_t* intEnd = p;
    const wchar_t* fracBegin = p;
    const wchar_t* fracEnd = p;
    if (*p == L'.') {
        fracBegin = ++p;
        while (isDigit(*p)) ++p;
        fracEnd = p;
    }
    long long exponent = 0;
    if (*p == L'e' || *p == L'E') exponent = parseWideInt(p + 1);

    // The whole part holds the digits up to the decimal point moved by the exponent.
    const long long intDigits = intEnd - intBegin;
    const long long fracDigits = fracEnd - fracBegin;
    const long long wholeDigits = intDigits + exponent;
    const unsigned long long limit = negative ? 2147483648ull : 2147483647ull;
    unsigned long long value = 0;
    for (long long i = 0; i < wholeDigits; ++i) {
        wchar_t digit = L'0';
        if (i < intDigits) {
            digit = intBegin[i];
        } else if (i - intDigits < fracDigits) {
            digit = fracBegin[i - intDigits];
        } else if (value == 0) {
            break;  // only zeros follow
        }
        value = value * 10u + static_cast<unsigned long long>(digit - L'0');
        if (value >= limit) {
            value = limit;
            break;
        }
    }
    if (negative) return value >= 2147483648ull ? std::numeric_limits<s32>::min() : -static_cast<s32>(value);
    return static_cast<s32>(value);
}

}  // namespace oskel::test
