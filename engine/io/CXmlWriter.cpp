#include "engine/io/CXmlWriter.h"

#include "engine/core/CLogger.h"

namespace oskel {

CXmlWriter::CXmlWriter(IWritableFile* file) : m_file(file) {
    if (m_file) m_file->grab();
}

CXmlWriter::~CXmlWriter() {
    if (m_file) m_file->drop();
}

void CXmlWriter::put(wchar_t c) {
    u32 value = static_cast<u32>(c);
    if (value > 0x10FFFFu || (value >= 0xD800u && value <= 0xDFFFu)) value = 0xFFFDu;
    if (value >= 0x10000u) {
        const u32 v = value - 0x10000u;
        const u32 high = 0xD800u + (v >> 10);
        const u32 low = 0xDC00u + (v & 0x3FFu);
        m_buffer.push_back(static_cast<u8>(high & 0xFFu));
        m_buffer.push_back(static_cast<u8>(high >> 8));
        m_buffer.push_back(static_cast<u8>(low & 0xFFu));
        m_buffer.push_back(static_cast<u8>(low >> 8));
        return;
    }
    m_buffer.push_back(static_cast<u8>(value & 0xFFu));
    m_buffer.push_back(static_cast<u8>(value >> 8));
}

void CXmlWriter::putRaw(const wchar_t* text) {
    for (const wchar_t* p = text; *p; ++p) put(*p);
}

void CXmlWriter::putEscaped(const wchar_t* text) {
    for (const wchar_t* p = text; *p; ++p) {
        switch (*p) {
            case L'&': putRaw(L"&amp;"); break;
            case L'<': putRaw(L"&lt;"); break;
            case L'>': putRaw(L"&gt;"); break;
            case L'"': putRaw(L"&quot;"); break;
            case L'\'': putRaw(L"&apos;"); break;
            case L'\r': putRaw(L"&#xD;"); break;
            case L'\n': putRaw(L"&#xA;"); break;
            default: put(*p); break;
        }
    }
}

void CXmlWriter::putAttribute(const wchar_t* name, const wchar_t* value) {
    if (!name || !value || !*name) return;
    put(L' ');
    putRaw(name);
    putRaw(L"=\"");
    putEscaped(value);
    put(L'"');
}

void CXmlWriter::putIndent(u32 depth) {
    for (u32 i = 0; i < depth; ++i) put(L'\t');
}

void CXmlWriter::flush() {
    if (m_buffer.empty()) return;
    const s32 written = m_file->write(m_buffer.data(), static_cast<u32>(m_buffer.size()));
    if (written < 0 || static_cast<size_t>(written) != m_buffer.size()) {
        if (m_good) CLogger::instance().logHint("Failed to write XML file", m_file->getFileName().c_str(), LogError);
        m_good = false;
    }
    m_buffer.clear();
}

void CXmlWriter::writeXMLHeader() {
    if (!m_file) return;
    put(static_cast<wchar_t>(0xFEFF));
    putRaw(L"<?xml version=\"1.0\"?>\r\n");
    m_textWrittenLast = false;
    flush();
}

void CXmlWriter::openTag(const wchar_t* name) {
    putIndent(m_depth);
    put(L'<');
    putRaw(name);
}

void CXmlWriter::closeStartTag(bool empty) {
    if (empty) {
        putRaw(L" />");
    } else {
        put(L'>');
        ++m_depth;
    }
    m_textWrittenLast = false;
    flush();
}

void CXmlWriter::writeElement(const wchar_t* name, bool empty, const array<stringw>& names,
                              const array<stringw>& values) {
    if (!m_file || !name) return;
    openTag(name);
    const u32 count = names.size() < values.size() ? names.size() : values.size();
    for (u32 i = 0; i < count; ++i) putAttribute(names[i].c_str(), values[i].c_str());
    closeStartTag(empty);
}

void CXmlWriter::writeElement(const wchar_t* name, bool empty, const wchar_t* attr1Name,
                              const wchar_t* attr1Value, const wchar_t* attr2Name, const wchar_t* attr2Value,
                              const wchar_t* attr3Name, const wchar_t* attr3Value, const wchar_t* attr4Name,
                              const wchar_t* attr4Value, const wchar_t* attr5Name, const wchar_t* attr5Value) {
    if (!m_file || !name) return;
    openTag(name);
    putAttribute(attr1Name, attr1Value);
    putAttribute(attr2Name, attr2Value);
    putAttribute(attr3Name, attr3Value);
    putAttribute(attr4Name, attr4Value);
    putAttribute(attr5Name, attr5Value);
    closeStartTag(empty);
}

void CXmlWriter::writeComment(const wchar_t* comment) {
    if (!m_file || !comment) return;
    putRaw(L"<!--");
    putEscaped(comment);
    putRaw(L"-->");
    m_textWrittenLast = true;
    flush();
}

void CXmlWriter::writeClosingTag(const wchar_t* name) {
    if (!m_file || !name) return;
    if (m_depth == 0) {
        // More closing tags than open elements: the depth stays at 0.
        CLogger::instance().logHint("XML closing tag without an open element", m_file->getFileName().c_str(),
                                    LogWarning);
    } else {
        --m_depth;
    }
    if (!m_textWrittenLast) putIndent(m_depth);
    putRaw(L"</");
    putRaw(name);
    put(L'>');
    m_textWrittenLast = false;
    flush();
}

void CXmlWriter::writeText(const wchar_t* text) {
    if (!m_file || !text) return;
    putEscaped(text);
    m_textWrittenLast = true;
    flush();
}

void CXmlWriter::writeLineBreak() {
    if (!m_file) return;
    putRaw(L"\r\n");
    flush();
}

}  // namespace oskel
