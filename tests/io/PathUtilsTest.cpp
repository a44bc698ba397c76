#include <gtest/gtest.h>

#include "engine/io/PathUtils.h"

using namespace oskel;

namespace {

struct PathCase {
    const char* input;
    const char* expected;
};

struct PairCase {
    const char* base;
    const char* path;
    const char* expected;
};

}  // namespace

TEST(PathUtils, PathRoot) {
    const PathCase cases[] = {
        {"", ""},
        {"a", ""},
        {"/", "/"},
        {"/x", "/"},
        {"/usr/share/x", "/"},
        {"C:", "C:"},
        {"C:\\game\\a.txt", "C:"},
        {"d:/x", "d:"},
        {"\\\\server\\share\\dir\\f", "\\\\server\\share"},
        {"//server/share/f", "//server/share"},
        {"//server/share", "//server/share"},
        {"//server", "//server"},
        {"assets/a.png", ""},
        {"./a", ""},
    };
    for (const PathCase& c : cases) EXPECT_EQ(getPathRoot(c.input), stringc(c.expected)) << c.input;
    EXPECT_TRUE(isRelativePath("scenes/a.oscn"));
    EXPECT_FALSE(isRelativePath("/scenes/a.oscn"));
    EXPECT_FALSE(isRelativePath("C:\\a"));
}

TEST(PathUtils, FileNamePart) {
    const PathCase cases[] = {
        {"", ""},
        {"a.txt", "a.txt"},
        {"dir/a.txt", "a.txt"},
        {"dir\\sub\\a.txt", "a.txt"},
        {"mixed/sub\\a.txt", "a.txt"},
        {"C:a.txt", "a.txt"},
        {"dir/", ""},
    };
    for (const PathCase& c : cases) EXPECT_EQ(getFileNamePart(c.input), stringc(c.expected)) << c.input;
}

TEST(PathUtils, FileExtensionOnlyLooksAtTheFileName) {
    const PathCase cases[] = {
        {"font.ofnt", "ofnt"},
        {"Assets.ZIP", "ZIP"},
        {"archive.tar.gz", "gz"},
        {"noextension", ""},
        {"", ""},
        {"trailing.", ""},
        // A point in a folder name is no extension of the file.
        {"data/Font.big/readme", ""},
        {"data\\Font.big\\readme", ""},
        {"data/Font.big/readme.txt", "txt"},
        {"./assets", ""},
        {"../assets", ""},
    };
    for (const PathCase& c : cases) EXPECT_EQ(getFileExtension(c.input), stringc(c.expected)) << c.input;
}

TEST(PathUtils, MakePathRelative) {
    const PairCase cases[] = {
        {"C:/game/scenes/Menu", "C:/game/images/a.png", "../images/a.png"},
        {"/game/scenes/Menu", "/game/images/a.png", "../images/a.png"},
        {"scenes/menu/Main.oscn", "scenes/menu/b.png", "b.png"},
        {"scenes/menu/Main.oscn", "scenes/b.png", "../b.png"},
        {"scenes/Main.oscn", "scenes/menu/b.png", "menu/b.png"},
        {"scenes\\menu\\Main.oscn", "scenes\\img\\b.png", "../img/b.png"},
        {"a/bc/x", "a/b/y", "../b/y"},
        {"Main.oscn", "b.png", "b.png"},
        {"x/Main.oscn", "y/b.png", "../y/b.png"},
        // Different roots: unchanged.
        {"C:/game/a", "D:/game/b.png", "D:/game/b.png"},
        {"/game/a", "game/b.png", "game/b.png"},
        {"", "a/b.png", "a/b.png"},
    };
    for (const PairCase& c : cases)
        EXPECT_EQ(makePathRelative(c.base, c.path), stringc(c.expected)) << c.base << " | " << c.path;
}

TEST(PathUtils, ResolvePathComponentByComponent) {
    const PairCase cases[] = {
        {"scenes/menu/Main.oscn", "../images/a.png", "scenes/images/a.png"},
        {"a/b/c.xml", "../../x.png", "x.png"},
        {"c.xml", "x.png", "x.png"},
        {"a/b/c.xml", "x.png", "a/b/x.png"},
        {"a/b/c.xml", "./x.png", "a/b/x.png"},
        // Components in the middle of the path.
        {"scenes/Main.oscn", "images/../fonts/./a.ofnt", "scenes/fonts/a.ofnt"},
        {"scenes/Main.oscn", "a/./b/../../c.png", "scenes/c.png"},
        {"scenes/Main.oscn", "sub/..hidden/x", "scenes/sub/..hidden/x"},
        {"scenes/Main.oscn", "a..b/x.png", "scenes/a..b/x.png"},
        {"a/b/c.xml", "..\\x.png", "a/x.png"},
        // Climbing above the base folder keeps the extra "..".
        {"a/c.xml", "../../x.png", "../x.png"},
        // The base folder's own dots are resolved too.
        {"a/./b/../c/f.xml", "x.png", "a/c/x.png"},
        // Absolute bases keep their root; nothing climbs above it.
        {"/game/scenes/Main.oscn", "../x.png", "/game/x.png"},
        {"/game/Main.oscn", "../../x.png", "/x.png"},
        {"C:\\game\\Main.oscn", "img\\x.png", "C:/game/img/x.png"},
        // Paths that are not relative, and empty bases, are unchanged.
        {"a/b/c.xml", "/abs/x.png", "/abs/x.png"},
        {"a/b/c.xml", "D:/x.png", "D:/x.png"},
        {"", "../x.png", "../x.png"},
    };
    for (const PairCase& c : cases)
        EXPECT_EQ(resolvePath(c.base, c.path), stringc(c.expected)) << c.base << " | " << c.path;
}
