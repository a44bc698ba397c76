#include "engine/io/CTextDictionary.h"

#include "engine/core/CLogger.h"
#include "engine/core/StringUtils.h"

#include <string>

namespace oskel {

namespace {

// Texts are built in a standard string, which grows geometrically, and copied once at the end.
void appendRange(std::wstring& out, const stringw& text, u32 begin, u32 end) {
    out.append(text.c_str() + begin, end - begin);
}

void appendText(std::wstring& out, const stringw& text) { out.append(text.c_str(), text.size()); }

stringw toEngineString(const std::wstring& text) { return stringw(text.data(), static_cast<u32>(text.size())); }

// A key keeps the low byte of each character; a character whose low byte is zero becomes '?', so
// the key is never cut short.
std::string narrowKey(const wchar_t* begin, const wchar_t* end) {
    std::string key;
    key.reserve(static_cast<size_t>(end - begin));
    for (const wchar_t* p = begin; p < end; ++p) {
        const char c = static_cast<char>(static_cast<u32>(*p) & 0xFFu);
        key.push_back(c ? c : '?');
    }
    return key;
}

std::string narrowKey(const stringw& text) { return narrowKey(text.c_str(), text.c_str() + text.size()); }

}  // namespace

stringw CTextDictionary::translate(const stringw& text) const {
    const u32 length = text.size();
    if (length < 2) return text;
    std::wstring result;
    result.reserve(length);
    u32 run = 0;
    u32 i = 0;
    while (i + 1 < length) {
        if (text[i] != L'%') {
            ++i;
            continue;
        }
        if (text[i + 1] == L'%') {
            appendRange(result, text, run, i + 1);
            i += 2;
            run = i;
            continue;
        }
        u32 close = i + 1;
        while (close < length && text[close] != L'%') ++close;
        if (close == length) break;  // no closing sign: the rest stays as it is
        const auto found = m_texts.find(narrowKey(text.c_str() + i + 1, text.c_str() + close));
        if (found != m_texts.end()) {
            appendRange(result, text, run, i);
            appendText(result, found->second);
        } else {
            // A key that is not present stays as written, with its characters unnarrowed.
            appendRange(result, text, run, close + 1);
        }
        i = close + 1;
        run = i;
    }
    appendRange(result, text, run, length);
    return toEngineString(result);
}

stringw CTextDictionary::getText(const stringc& key) const {
    const auto found = m_texts.find(key.c_str());
    if (found != m_texts.end()) return found->second;
    stringw missing(L"%");
    missing.append(widenLatin1(key));
    missing.append(L'%');
    return missing;
}

stringw CTextDictionary::getTextWithParams(const stringc& key, const stringw& p1, const stringw& p2,
                                           const stringw& p3, const stringw& p4) const {
    const stringw text = getText(key);
    const stringw* params[4] = {&p1, &p2, &p3, &p4};
    const u32 length = text.size();
    std::wstring result;
    result.reserve(length);
    u32 run = 0;
    u32 used = 0;
    for (u32 i = 0; used < 4 && i + 1 < length;) {
        if (text[i] == L'#' && text[i + 1] == L'p') {
            appendRange(result, text, run, i);
            appendText(result, *params[used++]);
            i += 2;
            run = i;
        } else {
            ++i;
        }
    }
    appendRange(result, text, run, length);
    return toEngineString(result);
}

void CTextDictionary::store(const std::string& key, const stringw& text) { m_texts[key] = text; }

bool CTextDictionary::load(IReadableFile* file) {
    if (!file) {
        CLogger::instance().log("Dictionary file could not be opened", LogError);
        return false;
    }
    CXmlReader* reader = new CXmlReader(file);
    const bool result = load(reader);
    reader->drop();
    return result;
}

bool CTextDictionary::load(CXmlReader* reader) {
    if (!reader) {
        CLogger::instance().log("Dictionary file could not be opened", LogError);
        return false;
    }
    bool complete = true;
    while (reader->read()) {
        if (reader->getNodeType() != XmlNodeElement || reader->isEmptyElement()) continue;
        const stringw& name = reader->getNodeName();
        if (name == L"Dictionary") {
            complete = loadDictionaryForm(*reader) && complete;
        } else if (name == L"texts") {
            complete = loadTextsForm(*reader) && complete;
        }
    }
    if (!complete) CLogger::instance().log("Dictionary file ends before the end of its root", LogError);
    return complete;
}

bool CTextDictionary::loadDictionaryForm(CXmlReader& reader) {
    std::string key;
    bool pending = false;
    while (reader.read()) {
        switch (reader.getNodeType()) {
            case XmlNodeElement:
                if (reader.getNodeName() == L"s") {
                    key = narrowKey(reader.getAttributeValue(L"n")).c_str();
                    if (!key.empty()) {
                        if (reader.isEmptyElement()) {
                            // No content and no end tag: the entry is empty.
                            store(key, stringw());
                        } else {
                            pending = true;
                        }
                    }
                }
                break;
            case XmlNodeText:
            case XmlNodeCData:
                if (pending) {
                    store(key, reader.getNodeData());
                    pending = false;
                }
                break;
            case XmlNodeElementEnd:
                if (reader.getNodeName() == L"s") {
                    if (pending) store(key, stringw());
                    pending = false;
                } else if (reader.getNodeName() == L"Dictionary") {
                    return true;
                }
                break;
            default:
                break;
        }
    }
    return false;
}

bool CTextDictionary::loadTextsForm(CXmlReader& reader) {
    while (reader.read()) {
        if (reader.getNodeType() == XmlNodeElement && reader.getNodeName() == L"phrase") {
            store(narrowKey(reader.getAttributeValue(L"tag")), reader.getAttributeValue(L"text"));
        } else if (reader.getNodeType() == XmlNodeElementEnd && reader.getNodeName() == L"texts") {
            return true;
        }
    }
    return false;
}

void CTextDictionary::clear() { m_texts.clear(); }

}  // namespace oskel
