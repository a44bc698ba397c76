#include "engine/io/CXmlReader.h"

#include <array>
#include <cstring>
#include <cwchar>
#include <limits>
#include <mutex>
#include <new>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "engine/core/CLogger.h"
#include "engine/core/StringUtils.h"

namespace oskel {

namespace {

// Files above this size are refused.
constexpr s32 kMaxFileSize = 256 * 1024 * 1024;
constexpr u32 kReplacement = 0xFFFD;
// The longest element name that the truncation message quotes, in bytes.
constexpr size_t kMaxQuotedName = 120;

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

inline bool isDigit(wchar_t c) { return c >= L'0' && c <= L'9'; }

// Classes of the bytes of the text. The zero after the text belongs to every class that ends a
// scan, so the scans need no separate test for the end of the text.
enum : u16 {
    ClassSpace = 1 << 0,        // space, tab, line feed, carriage return
    ClassNameEnd = 1 << 1,      // ends an element name: white space, '>' or the end
    ClassAttrNameEnd = 1 << 2,  // ends an attribute name: white space, '=' or the end
    ClassQuoteOrEnd = 1 << 3,   // opens an attribute value, or the end
    ClassDoubleEnd = 1 << 4,    // ends a value in quotation marks, or the end
    ClassSingleEnd = 1 << 5,    // ends a value in apostrophes, or the end
    ClassTextEnd = 1 << 6,      // ends text: '<' or the end
    ClassAmpersand = 1 << 7,    // may start an entity
    ClassHigh = 1 << 8,         // not ASCII
};

constexpr std::array<u16, 256> makeClasses() {
    std::array<u16, 256> classes{};
    for (u8 c : {' ', '\t', '\n', '\r'}) classes[c] = ClassSpace | ClassNameEnd | ClassAttrNameEnd;
    classes['>'] = ClassNameEnd;
    classes['='] = ClassAttrNameEnd;
    classes['"'] = ClassQuoteOrEnd | ClassDoubleEnd;
    classes['\''] = ClassQuoteOrEnd | ClassSingleEnd;
    classes['<'] = ClassTextEnd;
    classes['&'] = ClassAmpersand;
    for (size_t c = 0x80; c < 0x100; ++c) classes[c] = ClassHigh;
    classes[0] = ClassNameEnd | ClassAttrNameEnd | ClassQuoteOrEnd | ClassDoubleEnd |
                 ClassSingleEnd | ClassTextEnd;
    return classes;
}
constexpr std::array<u16, 256> kClasses = makeClasses();

inline bool isSpace(u8 c) { return (kClasses[c] & ClassSpace) != 0; }

// Moves to the first byte of one of the stop classes; `seen` collects the classes passed over.
inline const u8* scanUntil(const u8* p, u16 stop, u16& seen) {
    u16 classes = 0;
    for (;;) {
        const u16 c = kClasses[*p];
        if (c & stop) break;
        classes |= c;
        ++p;
    }
    seen = classes;
    return p;
}

inline const u8* skipSpace(const u8* p) {
    while (isSpace(*p)) ++p;
    return p;
}

// The first c in [begin, end), or end.
inline const u8* findByte(const u8* begin, const u8* end, u8 c) {
    if (begin >= end) return end;
    const void* found = std::memchr(begin, c, static_cast<size_t>(end - begin));
    return found ? static_cast<const u8*>(found) : end;
}

inline const wchar_t* findWide(const wchar_t* begin, const wchar_t* end, wchar_t c) {
    if (begin >= end) return end;
    const wchar_t* found = std::wmemchr(begin, c, static_cast<size_t>(end - begin));
    return found ? found : end;
}

inline bool isContinuation(u8 c) { return (c & 0xC0u) == 0x80u; }

// ---------------------------------------------------------------------------------------------
// Memory for the text of files. A large file needs a large block, and a fresh large block comes
// straight from the system: every page of it faults on first touch. The pool keeps a few blocks
// that readers have given back (within a bound), so a reader takes memory whose pages are already
// there. Blocks are never cleared: the text is written over them.

class CBufferPool {
public:
    // A block of at least `size` bytes and its capacity, or null when there is no memory.
    u8* take(size_t size, size_t& capacity) {
        {
            std::lock_guard<std::mutex> lock(m_lock);
            size_t best = m_free.size();
            for (size_t i = 0; i < m_free.size(); ++i)
                if (m_free[i].capacity >= size &&
                    (best == m_free.size() || m_free[i].capacity < m_free[best].capacity))
                    best = i;
            if (best < m_free.size()) {
                const SBlock block = m_free[best];
                m_free[best] = m_free.back();
                m_free.pop_back();
                m_kept -= block.capacity;
                capacity = block.capacity;
                return block.data;
            }
        }
        capacity = (size + kGranule - 1) / kGranule * kGranule;
        u8* data = new (std::nothrow) u8[capacity];
        if (!data) capacity = 0;
        return data;
    }

    void give(u8* data, size_t capacity) {
        if (!data) return;
        if (capacity > kMaxKeptBytes) {
            delete[] data;
            return;
        }
        std::lock_guard<std::mutex> lock(m_lock);
        m_free.push_back({data, capacity});
        m_kept += capacity;
        // Over the bounds, the smallest blocks go first: large ones are the costly ones to remake.
        while (m_free.size() > kMaxKeptBlocks || m_kept > kMaxKeptBytes) {
            size_t smallest = 0;
            for (size_t i = 1; i < m_free.size(); ++i)
                if (m_free[i].capacity < m_free[smallest].capacity) smallest = i;
            m_kept -= m_free[smallest].capacity;
            delete[] m_free[smallest].data;
            m_free[smallest] = m_free.back();
            m_free.pop_back();
        }
    }

private:
    static constexpr size_t kGranule = 64u * 1024u;
    static constexpr size_t kMaxKeptBlocks = 4;
    static constexpr size_t kMaxKeptBytes = 64u * 1024u * 1024u;

    struct SBlock {
        u8* data;
        size_t capacity;
    };
    std::mutex m_lock;
    std::vector<SBlock> m_free;
    size_t m_kept = 0;
};

// The pool lives as long as the program: readers that outlive static destruction still give
// their blocks back safely, and the blocks it holds stay reachable.
CBufferPool& bufferPool() {
    static CBufferPool* pool = new CBufferPool();
    return *pool;
}

// ---------------------------------------------------------------------------------------------
// Conversion of the whole text into UTF-8 (for UTF-16, UTF-32 and damaged UTF-8) and of single
// ranges into wide characters.

inline u8* putUtf8(u8* out, u32 c) {
    if (c < 0x80u) {
        *out++ = static_cast<u8>(c);
    } else if (c < 0x800u) {
        *out++ = static_cast<u8>(0xC0u | (c >> 6));
        *out++ = static_cast<u8>(0x80u | (c & 0x3Fu));
    } else if (c < 0x10000u) {
        *out++ = static_cast<u8>(0xE0u | (c >> 12));
        *out++ = static_cast<u8>(0x80u | ((c >> 6) & 0x3Fu));
        *out++ = static_cast<u8>(0x80u | (c & 0x3Fu));
    } else {
        *out++ = static_cast<u8>(0xF0u | (c >> 18));
        *out++ = static_cast<u8>(0x80u | ((c >> 12) & 0x3Fu));
        *out++ = static_cast<u8>(0x80u | ((c >> 6) & 0x3Fu));
        *out++ = static_cast<u8>(0x80u | (c & 0x3Fu));
    }
    return out;
}

// A code point that wide text may hold; others become the replacement character.
inline u32 codePoint(u32 value) {
    if (value > 0x10FFFFu || (value >= 0xD800u && value <= 0xDFFFu)) return kReplacement;
    return value;
}

// UTF-16 units (after the mark) up to the first zero unit as UTF-8; at most 3 bytes per unit.
// Surrogate pairs become one character, lone surrogates the replacement character.
template <bool BigEndian>
u8* utf16ToUtf8(const u8* in, size_t units, u8* out) {
    auto unitAt = [in](size_t i) -> u32 {
        return BigEndian ? (static_cast<u32>(in[2 * i]) << 8) | in[2 * i + 1]
                         : (static_cast<u32>(in[2 * i + 1]) << 8) | in[2 * i];
    };
    size_t i = 0;
    while (i < units) {
#if defined(__SSE2__)
        // Eight units at a time while they are ASCII and none is zero.
        while (units - i >= 8) {
            __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(in + 2 * i));
            if (BigEndian) v = _mm_or_si128(_mm_slli_epi16(v, 8), _mm_srli_epi16(v, 8));
            const __m128i zero = _mm_setzero_si128();
            const __m128i high = _mm_and_si128(v, _mm_set1_epi16(static_cast<short>(0xFF80)));
            const int ascii = _mm_movemask_epi8(_mm_cmpeq_epi16(high, zero));
            const int zeros = _mm_movemask_epi8(_mm_cmpeq_epi16(v, zero));
            if (ascii != 0xFFFF || zeros != 0) break;
            _mm_storel_epi64(reinterpret_cast<__m128i*>(out), _mm_packus_epi16(v, v));
            out += 8;
            i += 8;
        }
        if (i >= units) break;
#endif
        const u32 u = unitAt(i);
        if (u == 0) break;
        ++i;
        if (u < 0x80u) {
            *out++ = static_cast<u8>(u);
            continue;
        }
        if (u < 0xD800u || u > 0xDFFFu) {
            out = putUtf8(out, u);
            continue;
        }
        if (u <= 0xDBFFu && i < units) {
            const u32 low = unitAt(i);
            if (low >= 0xDC00u && low <= 0xDFFFu) {
                out = putUtf8(out, 0x10000u + ((u - 0xD800u) << 10) + (low - 0xDC00u));
                ++i;
                continue;
            }
        }
        out = putUtf8(out, kReplacement);  // a lone surrogate
    }
    return out;
}

// UTF-32 units (after the mark) up to the first zero unit as UTF-8; at most 4 bytes per unit.
template <bool BigEndian>
u8* utf32ToUtf8(const u8* in, size_t units, u8* out) {
    for (size_t i = 0; i < units; ++i) {
        const u8* p = in + 4 * i;
        const u32 v = BigEndian ? (static_cast<u32>(p[0]) << 24) | (static_cast<u32>(p[1]) << 16) |
                                      (static_cast<u32>(p[2]) << 8) | p[3]
                                : (static_cast<u32>(p[3]) << 24) | (static_cast<u32>(p[2]) << 16) |
                                      (static_cast<u32>(p[1]) << 8) | p[0];
        if (v == 0) break;
        out = putUtf8(out, codePoint(v));
    }
    return out;
}

// Looks through UTF-8 text for its end (the first zero byte, or `end`). Returns null when a
// character on the way is not well-formed UTF-8 (a stray or missing continuation byte, an overlong
// form, an encoded surrogate, a value beyond U+10FFFF or a byte that never occurs in UTF-8).
const u8* findCleanUtf8End(const u8* p, const u8* end) {
    while (p < end) {
#if defined(__SSE2__)
        // Sixteen bytes at a time while they are ASCII and none is zero.
        while (end - p >= 16) {
            const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
            const int special =
                _mm_movemask_epi8(v) | _mm_movemask_epi8(_mm_cmpeq_epi8(v, _mm_setzero_si128()));
            if (special != 0) {
                p += __builtin_ctz(static_cast<unsigned>(special));
                break;
            }
            p += 16;
        }
        if (p >= end) break;
#endif
        const u8 c = *p;
        if (c < 0x80u) {
            if (c == 0) return p;
            ++p;
            continue;
        }
        size_t length;
        u8 low = 0x80u, high = 0xBFu;  // the range of the second byte
        if (c >= 0xC2u && c <= 0xDFu) {
            length = 2;
        } else if (c >= 0xE0u && c <= 0xEFu) {
            length = 3;
            if (c == 0xE0u) low = 0xA0u;
            if (c == 0xEDu) high = 0x9Fu;
        } else if (c >= 0xF0u && c <= 0xF4u) {
            length = 4;
            if (c == 0xF0u) low = 0x90u;
            if (c == 0xF4u) high = 0x8Fu;
        } else {
            return nullptr;
        }
        if (static_cast<size_t>(end - p) < length || p[1] < low || p[1] > high) return nullptr;
        for (size_t k = 2; k < length; ++k)
            if (!isContinuation(p[k])) return nullptr;
        p += length;
    }
    return end;
}

// Damaged UTF-8 (after the mark) up to the first zero byte as well-formed UTF-8, at most 3 bytes
// per byte: every damaged character becomes one replacement character.
u8* repairUtf8(const u8* b, size_t size, u8* out) {
    size_t i = 0;
    auto continuesAt = [&](size_t k) { return k < size && isContinuation(b[k]); };
    while (i < size) {
        const u8 c = b[i];
        if (c < 0x80u) {
            if (c == 0) break;
            *out++ = c;
            ++i;
            continue;
        }
        if (isContinuation(c)) {  // a stray continuation byte is skipped
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
            out = putUtf8(out, kReplacement);
            ++i;
            continue;
        }
        size_t k = 1;
        while (k <= extra && continuesAt(i + k)) {
            value = (value << 6) | (b[i + k] & 0x3Fu);
            ++k;
        }
        if (k <= extra) {
            // Cut short: the bytes taken so far stand for one replacement character, and the
            // byte that broke the sequence is read on its own.
            out = putUtf8(out, kReplacement);
            i += k;
            continue;
        }
        // Overlong forms (which could hide a zero or markup characters) are refused.
        static const u32 kSmallest[4] = {0, 0x80u, 0x800u, 0x10000u};
        out = putUtf8(out, value < kSmallest[extra] ? kReplacement : codePoint(value));
        i += extra + 1;
    }
    return out;
}

// Well-formed UTF-8 as wide characters; returns their number.
size_t utf8ToWide(const u8* p, const u8* end, wchar_t* out) {
    wchar_t* w = out;
    while (p < end) {
        const u32 c = *p;
        if (c < 0x80u) {
            *w++ = static_cast<wchar_t>(c);
            ++p;
        } else if (c < 0xE0u) {
            if (end - p < 2) break;
            *w++ = static_cast<wchar_t>(((c & 0x1Fu) << 6) | (p[1] & 0x3Fu));
            p += 2;
        } else if (c < 0xF0u) {
            if (end - p < 3) break;
            *w++ =
                static_cast<wchar_t>(((c & 0x0Fu) << 12) | ((p[1] & 0x3Fu) << 6) | (p[2] & 0x3Fu));
            p += 3;
        } else {
            if (end - p < 4) break;
            *w++ = static_cast<wchar_t>(((c & 0x07u) << 18) | ((p[1] & 0x3Fu) << 12) |
                                        ((p[2] & 0x3Fu) << 6) | (p[3] & 0x3Fu));
            p += 4;
        }
    }
    return static_cast<size_t>(w - out);
}

// A range of the text as wide characters: UTF-8 when `utf8`, else one character per byte.
// Returns their number, at most one per byte.
inline size_t toWide(const u8* begin, const u8* end, bool utf8, wchar_t* out) {
    if (utf8) return utf8ToWide(begin, end, out);
    const size_t bytes = static_cast<size_t>(end - begin);
    for (size_t i = 0; i < bytes; ++i) out[i] = static_cast<wchar_t>(begin[i]);
    return bytes;
}

}  // namespace

CXmlReader::CXmlReader(IReadableFile* file) {
    specialCharacters();  // the shared list is built with the first reader
    loadText(file);
    m_pos = m_begin;
}

CXmlReader::~CXmlReader() { bufferPool().give(m_buffer.data, m_buffer.capacity); }

void CXmlReader::loadText(IReadableFile* file) {
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
    // One byte more than the file: the zero after the text.
    SBuffer raw;
    raw.data = bufferPool().take(static_cast<size_t>(left) + 1, raw.capacity);
    if (!raw.data) {
        CLogger::instance().logHint("XML file is too large", m_fileName.c_str(), LogError);
        return;
    }
    size_t got = 0;
    const size_t wanted = static_cast<size_t>(left);
    while (got < wanted) {
        const s32 n = file->read(raw.data + got, static_cast<u32>(wanted - got));
        if (n <= 0) break;
        got += static_cast<size_t>(n);
    }
    if (got < wanted) {
        bufferPool().give(raw.data, raw.capacity);
        CLogger::instance().logHint("Failed to read XML file", m_fileName.c_str(), LogError);
        return;
    }
    if (!useText(raw, got)) bufferPool().give(raw.data, raw.capacity);
    if (m_begin == m_end) {
        // No text at all (a mark alone, or a zero first): nothing to keep.
        bufferPool().give(m_buffer.data, m_buffer.capacity);
        m_buffer = SBuffer();
        m_begin = m_end = nullptr;
    }
}

bool CXmlReader::useText(SBuffer& raw, size_t size) {
    const u8* b = raw.data;
    // Text that is parsed where it lies: Latin-1, or UTF-8 without damage.
    auto keep = [&](const u8* begin, const u8* end, bool utf8) {
        m_buffer = raw;
        m_begin = begin;
        m_end = end;
        m_utf8 = utf8;
        m_buffer.data[end - m_buffer.data] = 0;
        return true;
    };
    // Text converted into UTF-8 in a second block, with room for `bound` bytes.
    auto convert = [&](size_t bound, auto&& write) {
        SBuffer out;
        out.data = bufferPool().take(bound + 1, out.capacity);
        if (!out.data) {
            CLogger::instance().logHint("XML file is too large", m_fileName.c_str(), LogError);
            return false;
        }
        u8* end = write(out.data);
        m_buffer = out;
        m_begin = out.data;
        m_end = end;
        m_utf8 = true;
        *end = 0;
        return false;  // the raw bytes are no longer needed
    };

    if (size >= 4 && ((b[0] == 0x00 && b[1] == 0x00 && b[2] == 0xFE && b[3] == 0xFF) ||
                      (b[0] == 0xFF && b[1] == 0xFE && b[2] == 0x00 && b[3] == 0x00))) {
        const size_t units = (size - 4) / 4;
        const bool bigEndian = b[0] == 0x00;
        return convert(units * 4, [&](u8* out) {
            return bigEndian ? utf32ToUtf8<true>(b + 4, units, out)
                             : utf32ToUtf8<false>(b + 4, units, out);
        });
    }
    if (size >= 2 && ((b[0] == 0xFE && b[1] == 0xFF) || (b[0] == 0xFF && b[1] == 0xFE))) {
        const size_t units = (size - 2) / 2;
        const bool bigEndian = b[0] == 0xFE;
        return convert(units * 3, [&](u8* out) {
            return bigEndian ? utf16ToUtf8<true>(b + 2, units, out)
                             : utf16ToUtf8<false>(b + 2, units, out);
        });
    }
    if (size >= 3 && b[0] == 0xEF && b[1] == 0xBB && b[2] == 0xBF) {
        if (const u8* end = findCleanUtf8End(b + 3, b + size)) return keep(b + 3, end, true);
        return convert((size - 3) * 3, [&](u8* out) { return repairUtf8(b + 3, size - 3, out); });
    }
    return keep(b, findByte(b, b + size, 0), false);
}

u32 CXmlReader::getTextLength() const {
    if (!m_begin) return 0;
    if (!m_utf8) return static_cast<u32>(m_end - m_begin);
    u32 count = 0;
    for (const u8* p = m_begin; p < m_end; ++p) count += !isContinuation(*p);
    return count;
}

// ---------------------------------------------------------------------------------------------
// Characters of the text. In Latin-1 a character is one byte; in UTF-8 it is a lead byte and its
// continuation bytes. Markup characters are ASCII, so scans for them can run over the bytes; only
// the few places that count characters need these.

const u8* CXmlReader::skipChars(const u8* p, size_t count) const {
    if (!m_utf8) return static_cast<size_t>(m_end - p) < count ? m_end : p + count;
    for (; count > 0 && p < m_end; --count) {
        ++p;
        while (p < m_end && isContinuation(*p)) ++p;
    }
    return p;
}

const u8* CXmlReader::backChars(const u8* p, const u8* floor, size_t count) const {
    if (!m_utf8) return static_cast<size_t>(p - floor) < count ? floor : p - count;
    for (; count > 0 && p > floor; --count) {
        --p;
        while (p > floor && isContinuation(*p)) --p;
    }
    return p;
}

// Room for `count` characters and a zero in the string, keeping its memory when it has enough.
// The characters are written into the string's own buffer and followed by a zero; endText() then
// sets the string's length. reserve() leaves a string at least the room asked for.
inline wchar_t* CXmlReader::makeRoom(SText& out, size_t count) {
    if (count + 1 > out.room) {
        out.room = count + 1 > 2 * out.room ? count + 1 : 2 * out.room;
        out.text.reserve(static_cast<u32>(out.room));
    }
    return &out.text[0];
}

// The string holds `length` characters followed by a zero in its buffer: validate() takes the
// length up to the zero, unless it is the length the string already has.
inline void CXmlReader::endText(SText& out, size_t length) {
    if (length != out.text.size()) out.text.validate();
}

inline void CXmlReader::takeText(SText& out, const u8* begin, const u8* end, u16 seen) {
    wchar_t* w = makeRoom(out, static_cast<size_t>(end - begin));
    const size_t length = toWide(begin, end, m_utf8 && (seen & ClassHigh), w);
    w[length] = 0;
    endText(out, length);
}

void CXmlReader::takeText(SText& out, const u8* begin, const u8* end) {
    u16 seen = 0;
    for (const u8* p = begin; p < end; ++p) seen |= kClasses[*p];
    takeText(out, begin, end, seen);
}

bool CXmlReader::finish() {
    if (m_finished) return false;
    m_finished = true;
    m_pos = m_end;
    if (m_openElements.empty()) return false;
    m_truncated = true;
    // The hint names the file and the innermost open element (its first bytes when it is long).
    const u8* name = m_begin + m_openElements.back();
    u16 seen = 0;
    const u8* nameEnd = scanUntil(name, ClassNameEnd, seen);
    if (nameEnd > name && nameEnd[-1] == '/') --nameEnd;
    size_t length = static_cast<size_t>(nameEnd - name);
    if (length > kMaxQuotedName)
        length = m_utf8 ? static_cast<size_t>(backChars(name + kMaxQuotedName + 1, name, 1) - name)
                        : kMaxQuotedName;
    std::string hint(m_fileName.c_str());
    hint += ": ";
    for (size_t i = 0; i < length; ++i) {
        if (m_utf8 || name[i] < 0x80u) {
            hint += static_cast<char>(name[i]);
        } else {
            u8 bytes[4];
            hint.append(reinterpret_cast<const char*>(bytes),
                        static_cast<size_t>(putUtf8(bytes, name[i]) - bytes));
        }
    }
    CLogger::instance().logHint("XML text ends inside an open element", hint.c_str(), LogError);
    return false;
}

bool CXmlReader::endsInsideMarkup(const char* what) {
    CLogger::instance().logHint(what, m_fileName.c_str(), LogWarning);
    return finish();
}

bool CXmlReader::read() {
    if (!m_pos || m_pos >= m_end) return finish();
    const u8* start = m_pos;
    u16 seen = 0;
    const u8* open = scanUntil(start, ClassTextEnd, seen);
    if (open == m_end) {
        // Text after the last tag (such as the line break after the root's end tag) is no node.
        return finish();
    }
    if (open != start) {
        // Fewer than three characters of white space between tags are passed over. White space
        // is ASCII: such a run has as many bytes as characters.
        bool skip = false;
        if (open - start < 3) {
            skip = true;
            for (const u8* p = start; p < open; ++p)
                if (!isSpace(*p)) skip = false;
        }
        if (!skip) {
            m_nodeType = XmlNodeText;
            takeDecoded(m_nodeName, start, open, seen);
            m_pos = open;
            return true;
        }
    }
    m_pos = open + 1;
    return parseMarkup();
}

bool CXmlReader::parseMarkup() {
    if (m_pos >= m_end) return endsInsideMarkup("XML text ends inside a tag");
    const u8 c = *m_pos;
    if (c == '/') {
        const u8* close = findByte(m_pos + 1, m_end, '>');
        if (close == m_end) return endsInsideMarkup("XML text ends inside an end tag");
        m_nodeType = XmlNodeElementEnd;
        m_isEmpty = false;
        m_attributeCount = 0;
        takeText(m_nodeName, m_pos + 1, close);
        if (!m_openElements.empty()) m_openElements.pop_back();
        m_pos = close + 1;
        return true;
    }
    if (c == '?') {
        const u8* close = findByte(m_pos + 1, m_end, '>');
        if (close == m_end) return endsInsideMarkup("XML text ends inside a declaration");
        m_nodeType = XmlNodeUnknown;
        m_pos = close + 1;
        return true;
    }
    if (c == '!') {
        const u8* bang = m_pos;
        if (bang + 1 < m_end && bang[1] == '[') {
            // "![CDATA[": eight characters whose letters are not checked. With fewer than eight
            // left, the search below finds nothing and the section is cut off.
            const u8* data = skipChars(bang, 8);
            for (const u8* p = findByte(data, m_end, ']'); p < m_end;
                 p = findByte(p + 1, m_end, ']')) {
                if (m_end - p >= 3 && p[1] == ']' && p[2] == '>') {
                    m_nodeType = XmlNodeCData;
                    takeText(m_nodeName, data, p);
                    m_pos = p + 3;
                    return true;
                }
            }
            return endsInsideMarkup("XML text ends inside a CDATA section");
        }
        // A comment: '<' and '>' nest until the one that closes the opening '<'.
        s32 depth = 1;
        const u8* p = bang;
        for (; p < m_end; ++p) {
            if (*p == '<') {
                ++depth;
            } else if (*p == '>' && --depth == 0) {
                break;
            }
        }
        if (p == m_end) return endsInsideMarkup("XML text ends inside a comment");
        // The data leaves out the three characters after '<' ("!--") and the three before and
        // including the closing '>' ("-->"), whatever they are.
        const u8* after = p + 1;
        const u8* dataBegin = skipChars(bang, 3);
        if (dataBegin > after) dataBegin = after;
        const u8* back = backChars(after, dataBegin, 3);
        const u8* dataEnd = back > dataBegin ? back : dataBegin;
        m_nodeType = XmlNodeComment;
        takeText(m_nodeName, dataBegin, dataEnd);
        m_pos = after;
        return true;
    }
    return parseElement();
}

CXmlReader::SAttribute& CXmlReader::nextAttribute() {
    if (m_attributeCount == m_attributes.size()) m_attributes.emplace_back();
    return m_attributes[m_attributeCount++];
}

bool CXmlReader::parseElement() {
    const u8* nameBegin = m_pos;
    u16 nameSeen = 0;
    const u8* p = scanUntil(nameBegin, ClassNameEnd, nameSeen);
    const u8* nameEnd = p;
    bool empty = false;
    m_attributeCount = 0;

    while (p < m_end && *p != '>') {
        p = skipSpace(p);
        if (p == m_end || *p == '>') break;
        if (*p == '/') {
            empty = true;
            p = findByte(p + 1, m_end, '>');
            break;
        }
        const u8* attrBegin = p;
        u16 attrSeen = 0;
        p = scanUntil(p, ClassAttrNameEnd, attrSeen);
        const u8* attrEnd = p;
        if (p == m_end) break;
        u16 skipped = 0;
        p = scanUntil(p + 1, ClassQuoteOrEnd,
                      skipped);  // past the '=' (or the white space after the name)
        if (p == m_end) break;
        const u16 valueEnd = *p == '"' ? ClassDoubleEnd : ClassSingleEnd;
        const u8* valueBegin = ++p;
        u16 valueSeen = 0;
        p = scanUntil(p, valueEnd, valueSeen);
        if (p == m_end) break;
        SAttribute& attribute = nextAttribute();
        takeText(attribute.name, attrBegin, attrEnd, attrSeen);
        takeDecoded(attribute.value, valueBegin, p, valueSeen);
        ++p;
    }
    if (nameEnd > nameBegin && nameEnd[-1] == '/') {
        empty = true;
        --nameEnd;
    }
    if (p >= m_end) {
        // The element's start tag is cut off: the text ends inside that element.
        m_attributeCount = 0;
        m_openElements.push_back(static_cast<size_t>(nameBegin - m_begin));
        return endsInsideMarkup("XML text ends inside a tag");
    }
    m_nodeType = XmlNodeElement;
    m_isEmpty = empty;
    takeText(m_nodeName, nameBegin, nameEnd, nameSeen);
    if (!empty) m_openElements.push_back(static_cast<size_t>(nameBegin - m_begin));
    m_pos = p + 1;
    return true;
}

void CXmlReader::takeDecoded(SText& out, const u8* begin, const u8* end, u16 seen) {
    if (!(seen & ClassAmpersand)) {
        takeText(out, begin, end, seen);
        return;
    }
    // Entities are matched on characters: the shared list may hold any. The decoded text is never
    // longer than the text.
    const size_t bytes = static_cast<size_t>(end - begin);
    if (m_wide.size() < bytes + 1) m_wide.resize(bytes + 1);
    const wchar_t* text = m_wide.data();
    const wchar_t* textEnd = text + toWide(begin, end, m_utf8 && (seen & ClassHigh), m_wide.data());
    wchar_t* w = makeRoom(out, static_cast<size_t>(textEnd - text));
    auto copy = [&w](const wchar_t* from, const wchar_t* to) {
        const size_t n = static_cast<size_t>(to - from);
        if (n) std::wmemcpy(w, from, n);
        w += n;
    };
    const array<stringw>& entities = specialCharacters();
    const wchar_t* run = text;
    const wchar_t* p = findWide(text, textEnd, L'&');
    // An '&' among the last two characters cannot start an entity.
    while (p < textEnd && textEnd - p > 2) {
        const size_t left = static_cast<size_t>(textEnd - p - 1);
        bool matched = false;
        for (u32 e = 0; e < entities.size(); ++e) {
            const stringw& entry = entities[e];
            const size_t entityLength = entry.size() - 1;
            if (entityLength == 0 || entityLength > left) continue;
            if (std::wmemcmp(p + 1, entry.c_str() + 1, entityLength) == 0) {
                copy(run, p);
                *w++ = entry[0];
                p += 1 + entityLength;
                run = p;
                matched = true;
                break;
            }
        }
        if (!matched) ++p;
        p = findWide(p, textEnd, L'&');
    }
    copy(run, textEnd);
    *w = 0;
    endText(out, static_cast<size_t>(w - &out.text[0]));
}

const CXmlReader::SAttribute* CXmlReader::findAttribute(const wchar_t* name) const {
    if (!name || !*name) return nullptr;
    for (u32 i = 0; i < m_attributeCount; ++i)
        if (m_attributes[i].name.text == name) return &m_attributes[i];
    return nullptr;
}

const stringw& CXmlReader::getAttributeName(s32 index) const {
    if (index < 0 || static_cast<u32>(index) >= m_attributeCount) return emptyString();
    return m_attributes[static_cast<u32>(index)].name.text;
}

const stringw& CXmlReader::getAttributeValue(const wchar_t* name) const {
    const SAttribute* attribute = findAttribute(name);
    return attribute ? attribute->value.text : emptyString();
}

const stringw& CXmlReader::getAttributeValue(s32 index) const {
    if (index < 0 || static_cast<u32>(index) >= m_attributeCount) return emptyString();
    return m_attributes[static_cast<u32>(index)].value.text;
}

s32 CXmlReader::getAttributeValueAsInt(s32 index, s32 defaultValue) const {
    if (index < 0 || static_cast<u32>(index) >= m_attributeCount) return defaultValue;
    return parseInt(m_attributes[static_cast<u32>(index)].value.text.c_str());
}

s32 CXmlReader::getAttributeValueAsInt(const wchar_t* name, s32 defaultValue) const {
    const SAttribute* attribute = findAttribute(name);
    return attribute ? parseInt(attribute->value.text.c_str()) : defaultValue;
}

f32 CXmlReader::getAttributeValueAsFloat(s32 index, f32 defaultValue) const {
    if (index < 0 || static_cast<u32>(index) >= m_attributeCount) return defaultValue;
    f32 value = 0.0f;
    parseWideFloat(m_attributes[static_cast<u32>(index)].value.text.c_str(), value);
    return value;
}

f32 CXmlReader::getAttributeValueAsFloat(const wchar_t* name, f32 defaultValue) const {
    const SAttribute* attribute = findAttribute(name);
    if (!attribute) return defaultValue;
    f32 value = 0.0f;
    parseWideFloat(attribute->value.text.c_str(), value);
    return value;
}

const array<stringw>& CXmlReader::getSpecialCharacters() const { return specialCharacters(); }

void CXmlReader::addSpecialCharacter(const stringw& entry) {
    if (entry.size() < 2) {
        CLogger::instance().log("XML entity entry needs a character and a name", LogWarning);
        return;
    }
    specialCharacters().push_back(entry);
}

s32 CXmlReader::parseInt(const wchar_t* text) {
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
    if (negative)
        return value >= 2147483648ull ? std::numeric_limits<s32>::min() : -static_cast<s32>(value);
    return static_cast<s32>(value);
}

}  // namespace oskel
