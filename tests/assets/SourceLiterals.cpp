#include "tests/assets/SourceLiterals.h"

#include <cctype>

namespace oskel::test {

namespace {

bool identifierChar(char c) { return std::isalnum(static_cast<unsigned char>(c)) != 0 || c == '_'; }

// Passes over a quoted literal starting at the opening quote; the index after its closing
// quote (or the end of the text). Its contents go to out when given.
size_t skipQuoted(const std::string& text, size_t i, char quote, std::string* out) {
    size_t j = i + 1;
    while (j < text.size() && text[j] != quote && text[j] != '\n') {
        if (text[j] == '\\' && j + 1 < text.size()) {
            if (out) *out += text[j];
            ++j;
        }
        if (out) *out += text[j];
        ++j;
    }
    return j < text.size() ? j + 1 : j;
}

}  // namespace

std::vector<std::string> stringLiterals(const std::string& text) {
    std::vector<std::string> literals;
    size_t i = 0;
    while (i < text.size()) {
        const char c = text[i];
        const char next = i + 1 < text.size() ? text[i + 1] : '\0';
        if (c == '/' && next == '/') {
            while (i < text.size() && text[i] != '\n') ++i;
        } else if (c == '/' && next == '*') {
            const size_t end = text.find("*/", i + 2);
            i = end == std::string::npos ? text.size() : end + 2;
        } else if (c == '\'') {
            // A digit separator (1'000) is no character literal.
            if (i > 0 && std::isxdigit(static_cast<unsigned char>(text[i - 1])) != 0 &&
                std::isxdigit(static_cast<unsigned char>(next)) != 0) {
                ++i;
            } else {
                i = skipQuoted(text, i, '\'', nullptr);
            }
        } else if (c == '"') {
            // R"delimiter( ... )delimiter", with any encoding prefix before the R.
            if (i > 0 && text[i - 1] == 'R' &&
                (i < 2 || !identifierChar(text[i - 2]) || text[i - 2] == 'L' ||
                 text[i - 2] == 'u' || text[i - 2] == 'U' || text[i - 2] == '8')) {
                const size_t open = text.find('(', i + 1);
                if (open == std::string::npos) break;
                const std::string close = ")" + text.substr(i + 1, open - i - 1) + "\"";
                const size_t end = text.find(close, open + 1);
                if (end == std::string::npos) {
                    literals.push_back(text.substr(open + 1));
                    break;
                }
                literals.push_back(text.substr(open + 1, end - open - 1));
                i = end + close.size();
            } else {
                std::string literal;
                i = skipQuoted(text, i, '"', &literal);
                literals.push_back(literal);
            }
        } else {
            ++i;
        }
    }
    return literals;
}

bool isFileNameLiteral(const std::string& literal) {
    static const char* const extensions[] = {".oscn", ".xml", ".png", ".jpg",
                                             ".ogg",  ".wav", ".ofnt"};
    static const char* const folders[] = {"scenes/",  "atlases/", "sounds/",
                                          "strings/", "logos/",   "levels/"};
    // A text with a blank is a sentence (a log line about a file), never a name.
    if (literal.find(' ') != std::string::npos) return false;
    for (const char* folder : folders)
        if (literal.rfind(folder, 0) == 0) return true;
    if (literal.empty() || literal[0] == '.') return false;
    for (const std::string extension : extensions)
        if (literal.size() > extension.size() &&
            literal.compare(literal.size() - extension.size(), extension.size(), extension) == 0)
            return true;
    return false;
}

}  // namespace oskel::test
