#include "engine/io/CTextDictionary.h"

#include "engine/core/CLogger.h"
#include "engine/core/StringUtils.h"

namespace oskel {

namespace {

void appendRange(stringw& out, const stringw& text, u32 begin, u32 end) {
    for (u32 i = begin; i < end; ++i) out.append(text[i]);
}

}  // namespace

stringw CTextDictionary::translate(const stringw& text) const {
    const u32 length = text.size();
    if (length < 2) return text;
    stringw result;
    result.reserve(length + 1);
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
        appendRange(result, text, run, i);
        stringw key;
        key.reserve(close - i);
        appendRange(key, text, i + 1, close);
        result.append(getText(narrowLowBytes(key.c_str())));
        i = close + 1;
        run = i;
    }
    appendRange(result, text, run, length);
    return result;
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
    stringw result;
    result.reserve(length + 1);
    u32 run = 0;
    u32 used = 0;
    for (u32 i = 0; used < 4 && i + 1 < length;) {
        if (text[i] == L'#' && text[i + 1] == L'p') {
            appendRange(result, text, run, i);
            result.append(*params[used++]);
            i += 2;
            run = i;
        } else {
            ++i;
        }
    }
    appendRange(result, text, run, length);
    return result;
}

void CTextDictionary::store(const stringc& key, const stringw& text) { m_texts[key.c_str()] = text; }

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
    stringc key;
    bool pending = false;
    while (reader.read()) {
        switch (reader.getNodeType()) {
            case XmlNodeElement:
                if (reader.getNodeName() == L"s") {
                    key = narrowLowBytes(reader.getAttributeValue(L"n").c_str());
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
            store(narrowLowBytes(reader.getAttributeValue(L"tag").c_str()), reader.getAttributeValue(L"text"));
        } else if (reader.getNodeType() == XmlNodeElementEnd && reader.getNodeName() == L"texts") {
            return true;
        }
    }
    return false;
}

void CTextDictionary::clear() { m_texts.clear(); }

}  // namespace oskel
