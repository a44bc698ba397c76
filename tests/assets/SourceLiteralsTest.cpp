#include <gtest/gtest.h>

#include "tests/assets/SourceLiterals.h"

namespace oskel::test {
namespace {

struct SLiteralCase {
    const char* source;
    std::vector<std::string> literals;
};

TEST(SourceLiterals, FindsTheStringLiteralsOutsideComments) {
    const SLiteralCase cases[] = {
        {R"src(load("a.png"); // "b.png")src", {"a.png"}},
        {"/* \"c.xml\"\n \"x\" */ load(\"d.xml\");", {"d.xml"}},
        {"char q = '\"'; load(\"e.ogg\");", {"e.ogg"}},
        {"char s = '\\''; load(\"f.wav\");", {"f.wav"}},
        {R"src(load("esc\"aped.wav");)src", {"esc\\\"aped.wav"}},
        {"load(R\"(raw \"x.png\" // y)\");", {"raw \"x.png\" // y"}},
        {"load(R\"d(a)\" b)d\");", {"a)\" b"}},
        {"load(L\"wide.oscn\", u8\"narrow.xml\");", {"wide.oscn", "narrow.xml"}},
        {"url(\"http://host/b.png\"); // \"c.png\"", {"http://host/b.png"}},
        {"n = 1'000'000; load(\"n.png\");", {"n.png"}},
        {"\"a\" // \"b\"\n\"c\"", {"a", "c"}},
        {"load(\"\");", {""}},
        {"// only a comment \"x.png\"", {}},
        {"/* never closed \"x.png\"", {}},
    };
    for (const SLiteralCase& c : cases) EXPECT_EQ(stringLiterals(c.source), c.literals) << c.source;
}

TEST(SourceLiterals, FileNamesEndInAnAssetExtensionOrStartInAnAssetFolder) {
    const std::pair<const char*, bool> cases[] = {
        {"scenes/LogosScene.oscn", true},
        {"Dictionary.xml", true},
        {"images/a.png", true},
        {"b.jpg", true},
        {"c.ogg", true},
        {"d.wav", true},
        {"fonts/body_18.ofnt", true},
        {"levels/common/", true},
        {"sounds/", true},
        {"atlases/MainMenu", true},
        {"strings/x", true},
        {"logos/x", true},
        {".jpg", false},
        {".oscn", false},
        {"", false},
        {"scenes", false},
        {"a.pngx", false},
        {"Brasquel", false},
        {"assets/scenes/x.txt", false},
        {"picture.PNG", false},
        // log texts that end in a file's name are sentences, not names
        {"Unable to load GamePlayScene.oscn", false},
        {"scenes/a b.oscn", false},
    };
    for (const auto& [literal, expected] : cases)
        EXPECT_EQ(isFileNameLiteral(literal), expected) << literal;
}

}  // namespace
}  // namespace oskel::test
