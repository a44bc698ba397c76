// The XML reader against the reference reader (its earlier implementation, which converted the
// whole text into wide characters before parsing): both must tell the same about every input, in
// every encoding, whole, cut short or damaged.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <string>
#include <utility>
#include <vector>

#include "engine/io/CXmlReader.h"
#include "tests/fuzz/XmlSeeds.h"
#include "tests/io/ReferenceXmlReader.h"
#include "tests/io/XmlTestUtils.h"
#include "tests/support/TestSupport.h"

using namespace oskel;
using namespace oskel::test;

namespace {

namespace fs = std::filesystem;

const fs::path kSourceDir = OSKEL_SOURCE_DIR;

// The byte-order marks the reader tells encodings by (the first is none).
const std::string kMarks[] = {std::string(),
                              std::string("\xEF\xBB\xBF", 3),
                              std::string("\xFF\xFE", 2),
                              std::string("\xFE\xFF", 2),
                              std::string("\xFF\xFE\x00\x00", 4),
                              std::string("\x00\x00\xFE\xFF", 4)};

std::string readFile(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// A file's characters, decoded by its byte-order mark (Latin-1 without one).
std::wstring textOf(const std::string& bytes) {
    auto byte = [&](size_t i) { return static_cast<u32>(static_cast<u8>(bytes[i])); };
    std::wstring text;
    const bool utf32le = bytes.compare(0, 4, std::string("\xFF\xFE\x00\x00", 4)) == 0;
    const bool utf32be = bytes.compare(0, 4, std::string("\x00\x00\xFE\xFF", 4)) == 0;
    if (utf32le || utf32be) {
        for (size_t i = 4; i + 3 < bytes.size(); i += 4)
            text += static_cast<wchar_t>(
                utf32be ? byte(i) << 24 | byte(i + 1) << 16 | byte(i + 2) << 8 | byte(i + 3)
                        : byte(i + 3) << 24 | byte(i + 2) << 16 | byte(i + 1) << 8 | byte(i));
    } else if (bytes.compare(0, 2, "\xFF\xFE") == 0 || bytes.compare(0, 2, "\xFE\xFF") == 0) {
        const bool bigEndian = bytes[0] == '\xFE';
        auto unit = [&](size_t i) {
            return bigEndian ? byte(i) << 8 | byte(i + 1) : byte(i + 1) << 8 | byte(i);
        };
        for (size_t i = 2; i + 1 < bytes.size(); i += 2) {
            u32 u = unit(i);
            if (u >= 0xD800 && u < 0xDC00 && i + 3 < bytes.size()) {
                u = 0x10000 + ((u - 0xD800) << 10) + (unit(i + 2) - 0xDC00);
                i += 2;
            }
            text += static_cast<wchar_t>(u);
        }
    } else if (bytes.compare(0, 3, "\xEF\xBB\xBF") == 0) {
        for (size_t i = 3; i < bytes.size();) {
            const u32 c = byte(i);
            const size_t extra = c < 0x80 ? 0 : c < 0xE0 ? 1 : c < 0xF0 ? 2 : 3;
            u32 value = extra == 0 ? c : c & (0x3F >> extra);
            for (size_t k = 1; k <= extra && i + k < bytes.size(); ++k)
                value = value << 6 | (byte(i + k) & 0x3F);
            text += static_cast<wchar_t>(value);
            i += extra + 1;
        }
    } else {
        for (size_t i = 0; i < bytes.size(); ++i) text += static_cast<wchar_t>(byte(i));
    }
    return text;
}

// A text in every encoding the reader knows, and as UTF-8 without a mark (read as Latin-1).
std::vector<std::pair<std::string, std::string>> everyEncoding(const std::wstring& text) {
    std::string latin1;
    for (wchar_t c : text) latin1 += static_cast<char>(c < 0x100 ? c : L'?');
    return {{"utf-8", encodeUtf8(text, true)},
            {"utf-8 without mark", encodeUtf8(text, false)},
            {"utf-16le", encodeUtf16(text, false)},
            {"utf-16be", encodeUtf16(text, true)},
            {"utf-32le", encodeUtf32(text, false)},
            {"utf-32be", encodeUtf32(text, true)},
            {"latin-1", latin1}};
}

// What a reader reported and logged (the truncation message is the new reader's own).
template <class Reader>
std::wstring observe(Reader& reader) {
    LogCapture log;
    std::wstring out = traceNodes(reader);
    for (const LogCapture::Line& line : log.lines()) {
        if (line.text == "XML text ends inside an open element") continue;
        out += L"log " + std::to_wstring(line.level) + L": " +
               std::wstring(line.text.begin(), line.text.end()) + L"\n";
    }
    return out;
}

// Feeds inputs to both readers and keeps the first few disagreements in full.
class Comparison {
public:
    Comparison() {
        // Both readers decode the same entity list.
        LogCapture log;
        CRefPtr<CXmlReader> reader = readerOf("<a/>");
        CReferenceXmlReader reference(nullptr);
        const array<stringw>& entities = reader->getSpecialCharacters();
        for (u32 i = reference.getSpecialCharacters().size(); i < entities.size(); ++i)
            reference.addSpecialCharacter(entities[i]);
    }

    void check(const std::string& bytes, const std::string& what) {
        ++m_inputs;
        CRefPtr<CMemoryFile> file = memoryFile(bytes);
        CReferenceXmlReader* reference = new CReferenceXmlReader(file.get());
        const std::wstring expected = observe(*reference);
        reference->drop();
        file->seek(0);
        CRefPtr<CXmlReader> reader = CRefPtr<CXmlReader>::fromRaw(new CXmlReader(file.get()));
        const std::wstring actual = observe(*reader);
        if (actual == expected) return;
        if (++m_failures <= 3)
            ADD_FAILURE() << what << "\nreference:\n" << expected << "\nreader:\n" << actual;
    }

    // The bytes whole, and cut short at up to `cuts` places spread over them.
    // The whole text, then up to cuts prefixes spread over it; large texts get fewer prefixes, so
    // that about the same number of bytes is read whatever the file's size.
    // The whole input, then at most `cuts` prefixes of it, fewer for a large input so that the
    // prefixes read stay near `bytesPerInput` in all.
    void checkCuts(const std::string& bytes, const std::string& what, size_t cuts,
                   size_t bytesPerInput = size_t(512) << 10) {
        check(bytes, what);
        cuts = std::clamp<size_t>(bytesPerInput / std::max<size_t>(1, bytes.size()), 2, cuts);
        const size_t step = std::max<size_t>(1, bytes.size() / cuts);
        for (size_t n = 0; n < bytes.size(); n += step)
            check(bytes.substr(0, n), what + " cut at " + std::to_string(n));
    }

    u32 inputs() const { return m_inputs; }
    u32 failures() const { return m_failures; }

private:
    u32 m_inputs = 0;
    u32 m_failures = 0;
};

std::vector<std::pair<std::string, std::string>> filesUnder(const fs::path& folder, bool xmlOnly) {
    std::vector<std::pair<std::string, std::string>> files;
    for (const auto& entry : fs::recursive_directory_iterator(folder)) {
        if (!entry.is_regular_file()) continue;
        const std::string extension = entry.path().extension().string();
        if (xmlOnly && extension != ".oscn" && extension != ".xml") continue;
        files.emplace_back(entry.path().lexically_relative(kSourceDir).string(),
                           readFile(entry.path()));
    }
    std::sort(files.begin(), files.end());
    return files;
}

TEST(XmlReaderDifferential, AssetScenesReadTheSameInEveryEncoding) {
    const auto files = filesUnder(kSourceDir / "assets", true);
    ASSERT_FALSE(files.empty()) << "no scene or XML file under " << (kSourceDir / "assets");
    // Every file is read whole as it is stored. The other encodings take turns over the files
    // within one budget of source bytes, and the cut prefixes share another, so that the test's
    // time stays bounded as the assets grow: with few assets every file is read in every
    // encoding, with more each encoding reads every stride-th file, starting at its own offset.
    constexpr size_t OtherEncodingBytesInAll = size_t(4) << 20;
    constexpr size_t CutBytesInAll = size_t(16) << 20;
    const size_t encodings = everyEncoding(L"").size();
    size_t totalBytes = 0;
    for (const auto& file : files) totalBytes += file.second.size();
    const size_t stride = std::max<size_t>(
        1, (totalBytes * encodings + OtherEncodingBytesInAll - 1) / OtherEncodingBytesInAll);
    const size_t bytesPerInput =
        std::clamp<size_t>(CutBytesInAll / (files.size() * (1 + (encodings + stride - 1) / stride)),
                           16 << 10, 512 << 10);
    Comparison comparison;
    std::vector<size_t> readIn(encodings, 0);
    for (size_t i = 0; i < files.size(); ++i) {
        const auto& [name, bytes] = files[i];
        comparison.checkCuts(bytes, name, 400, bytesPerInput);
        const auto encoded = everyEncoding(textOf(bytes));
        for (size_t e = 0; e < encoded.size(); ++e) {
            if ((i + e) % stride != 0) continue;
            ++readIn[e];
            comparison.checkCuts(encoded[e].second, name + " as " + encoded[e].first, 400,
                                 bytesPerInput);
        }
    }
    // Each encoding read some of the files.
    for (size_t e = 0; e < encodings; ++e) EXPECT_GT(readIn[e], 0u) << "encoding " << e;
    EXPECT_EQ(comparison.failures(), 0u) << "of " << comparison.inputs() << " inputs";
}

// Markup whose characters are counted rather than matched (the comment's and CDATA opener's
// letters, the two characters before a comment's end) next to characters of several bytes, and
// the other places where a character's width could matter.
TEST(XmlReaderDifferential, WideCharactersAtMarkupEdgesReadTheSameInEveryEncoding) {
    const std::wstring documents[] = {
        L"<a><!--\u00e9--><!\u00e9\u00e9\u20ac\u00e9><!-\U0001F600\u00e9>\u00e9</a>",
        L"<a><!--x\u00e9\u20ac>y<!--\u00e9\u00e9\u00e9--></a>",
        L"<a><![CDAT\u00e9[\u20ac]]>x<![\u00e9\u00e9\u00e9\u00e9\u00e9\u00e9]\u00e9]]></a>",
        L"<a><![CDATA\u00e9\u00e9]]></a>",
        L"<\u00e9/><\u00e9\u00e9 \u00e9='\u20ac'/>\u00e9<b/\u00e9><c/\U0001F600>",
        L"<a \u00e9\u00e9=\u00e9'x' b\u20ac\"y\"/ \u00e9>",
        L"<a>&amp;\u00e9&\u00e9lt;&lt\u00e9;\u00e9&</a>",
        L"<r>\u00e9 <x/>  \u00e9<y/>\t\u00e9<z/></r>",
        L"\u00e9<\u00e9>\u00e9",
    };
    Comparison comparison;
    for (const std::wstring& document : documents)
        for (const auto& [encoding, bytes] : everyEncoding(document))
            comparison.checkCuts(bytes, "edge document as " + encoding, 1000);
    EXPECT_EQ(comparison.failures(), 0u) << "of " << comparison.inputs() << " inputs";
}

TEST(XmlReaderDifferential, FuzzCorpusAndSeedsReadTheSameBehindEveryMark) {
    auto files = filesUnder(kSourceDir / "tests/fuzz/corpus/xml", false);
    ASSERT_FALSE(files.empty());
    for (auto& seed : xmlseeds::seedFiles()) files.push_back(std::move(seed));
    Comparison comparison;
    for (const auto& [name, bytes] : files)
        for (const std::string& mark : kMarks)
            comparison.checkCuts(mark + bytes,
                                 name + " behind a mark of " + std::to_string(mark.size()), 300);
    EXPECT_EQ(comparison.failures(), 0u) << "of " << comparison.inputs() << " inputs";
}

// Damage of the kinds that matter to a reader: markup characters, zeros, and bytes that break or
// fake UTF-8 and UTF-16 sequences, put in, replaced or taken out at random places.
TEST(XmlReaderDifferential, DamagedSeedsReadTheSameBehindEveryMark) {
    static const char kBytes[] = {'<',    '>',    '/',    '!',    '?',    '[',    ']',    '-',
                                  '"',    '\'',   '=',    '&',    ';',    ' ',    '\r',   '\n',
                                  'a',    '\0',   '\x80', '\xBF', '\xC0', '\xC3', '\xE2', '\xED',
                                  '\xF0', '\xF4', '\xF8', '\xFF', '\xFE', '\xD8', '\xDC'};
    auto files = filesUnder(kSourceDir / "tests/fuzz/corpus/xml", false);
    for (auto& seed : xmlseeds::seedFiles()) files.push_back(std::move(seed));
    std::mt19937 random(20240611u);
    Comparison comparison;
    for (int round = 0; round < 1500; ++round) {
        const auto& [name, original] = files[random() % files.size()];
        std::string bytes = original;
        const int edits = 1 + static_cast<int>(random() % 4);
        for (int e = 0; e < edits; ++e) {
            const size_t at = bytes.empty() ? 0 : random() % (bytes.size() + 1);
            const char b =
                random() % 4 == 0 ? static_cast<char>(random()) : kBytes[random() % sizeof(kBytes)];
            switch (random() % 3) {
                case 0:
                    bytes.insert(at, 1, b);
                    break;
                case 1:
                    if (at < bytes.size()) bytes[at] = b;
                    break;
                default:
                    if (at < bytes.size()) bytes.erase(at, 1);
                    break;
            }
        }
        for (const std::string& mark : kMarks)
            comparison.check(mark + bytes, name + " damaged, round " + std::to_string(round));
    }
    EXPECT_EQ(comparison.failures(), 0u) << "of " << comparison.inputs() << " inputs";
}

}  // namespace
