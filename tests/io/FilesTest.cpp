#include <sys/stat.h>

#include <gtest/gtest.h>

#include <climits>
#include <cstring>
#include <string>

#include "engine/io/CDiskFile.h"
#include "engine/io/CMemoryFile.h"
#include "tests/io/IoTestSupport.h"
#include "tests/support/TestSupport.h"

using namespace oskel;
using namespace oskel::test;

TEST(MemoryFile, ReadsWritesAndSeeksWithinItsBuffer) {
    char storage[8] = {'a', 'b', 'c', 'd', 'e', 'f', 'g', 'h'};
    auto* file = new CMemoryFile(storage, 8, "mem", false);
    char out[16] = {};
    EXPECT_EQ(file->read(out, 3), 3);
    EXPECT_EQ(std::string(out, 3), "abc");
    EXPECT_EQ(file->getPos(), 3);

    // A write beyond the end writes only what fits and says so.
    EXPECT_EQ(file->write("XYZWVUTS", 8), 5);
    EXPECT_EQ(std::string(storage, 8), "abcXYZWV");
    EXPECT_EQ(file->getPos(), 8);
    EXPECT_EQ(file->write("Q", 1), 0);
    EXPECT_EQ(file->read(out, 1), 0);
    EXPECT_EQ(file->getSize(), 8);

    // Seeking to the size is allowed, one past it is refused and the position stays.
    EXPECT_TRUE(file->seek(8));
    EXPECT_FALSE(file->seek(9));
    EXPECT_FALSE(file->seek(-1));
    EXPECT_EQ(file->getPos(), 8);
    EXPECT_TRUE(file->seek(-2, true));
    EXPECT_EQ(file->getPos(), 6);
    EXPECT_FALSE(file->seek(3, true));
    EXPECT_FALSE(file->seek(-7, true));
    EXPECT_FALSE(file->seek(LONG_MAX, true));
    EXPECT_FALSE(file->seek(LONG_MIN, true));
    EXPECT_EQ(file->getPos(), 6);
    EXPECT_EQ(file->getFileName(), stringc("mem"));
    file->drop();
}

TEST(MemoryFile, DeletesItsBufferOnlyWhenAsked) {
    // Under the address sanitizer a missed or a double release shows as a failure.
    auto* owned = new CMemoryFile(new u8[4](), 4, "owned", true);
    owned->drop();
    u8 local[4] = {};
    auto* borrowed = new CMemoryFile(local, 4, "borrowed", false);
    borrowed->drop();
}

TEST(VirtualFile, GrowsByBlocks) {
    struct Case {
        u32 firstWrite;
        u32 blocks;
    };
    // The block test is "greater or equal": a write that ends on a block boundary already
    // has the next block.
    const Case cases[] = {{10, 1}, {65535, 1}, {65536, 2}, {65537, 2}, {131072, 3}};
    for (const Case& c : cases) {
        CVirtualFile file("v", 65536);
        const std::string data(c.firstWrite, 'x');
        EXPECT_EQ(file.write(data.data(), c.firstWrite), static_cast<s32>(c.firstWrite));
        EXPECT_EQ(file.getBlockCount(), c.blocks) << c.firstWrite;
        EXPECT_EQ(file.getSize(), static_cast<s32>(c.firstWrite));
    }
    CVirtualFile empty("v", 65536);
    EXPECT_EQ(empty.write("x", 0), 0);
    EXPECT_EQ(empty.getBlockCount(), 0u);
}

TEST(VirtualFile, ReadsAndWritesAcrossBlockBoundaries) {
    CVirtualFile file("profile.dat", 16);
    std::string expected;
    for (int i = 0; i < 100; ++i) expected += static_cast<char>('A' + i % 26);
    // Writes of uneven sizes, each crossing boundaries at different places.
    size_t pos = 0;
    for (size_t chunk : {7u, 16u, 1u, 33u, 43u}) {
        ASSERT_EQ(file.write(expected.data() + pos, static_cast<u32>(chunk)), static_cast<s32>(chunk));
        pos += chunk;
    }
    EXPECT_EQ(file.getSize(), 100);
    ASSERT_TRUE(file.seek(0));
    EXPECT_EQ(readAll(&file), expected);

    // Overwriting inside keeps the size; writing past it raises it.
    ASSERT_TRUE(file.seek(14));
    EXPECT_EQ(file.write("0123", 4), 4);
    expected.replace(14, 4, "0123");
    EXPECT_EQ(file.getSize(), 100);
    ASSERT_TRUE(file.seek(98));
    EXPECT_EQ(file.write("zzzz", 4), 4);
    expected.replace(98, 2, "zzzz");
    EXPECT_EQ(file.getSize(), 102);
    ASSERT_TRUE(file.seek(10));
    char part[12];
    EXPECT_EQ(file.read(part, 12), 12);
    EXPECT_EQ(std::string(part, 12), expected.substr(10, 12));
    ASSERT_TRUE(file.seek(0));
    EXPECT_EQ(readAll(&file), expected);

    // Seeks are bounded by the size written so far.
    EXPECT_TRUE(file.seek(102));
    EXPECT_FALSE(file.seek(103));
    EXPECT_EQ(file.getPos(), 102);
}

TEST(VirtualFile, RefusesAWriteBeyondTheLargestSize) {
    LogCapture logs;
    CVirtualFile file("big", 16);
    ASSERT_EQ(file.write("abc", 3), 3);
    // A size that cannot be counted in 32 signed bits is refused before anything is allocated.
    const char byte = 'x';
    EXPECT_EQ(file.write(&byte, UINT_MAX), 0);
    EXPECT_TRUE(logs.contains("Not enough memory for write data in virtualFile %s", LogError));
    EXPECT_EQ(file.getSize(), 3);
    EXPECT_EQ(file.getBlockCount(), 1u);
}

TEST(DiskFiles, WriteAppendAndReadBack) {
    TempDir dir;
    const stringc name = (dir / "a.bin").c_str();
    {
        CDiskWriteFile out(name, false);
        ASSERT_TRUE(out.isOpen());
        EXPECT_EQ(out.write("hello", 5), 5);
        EXPECT_EQ(out.getPos(), 5);
    }
    {
        CDiskWriteFile out(name, true);
        ASSERT_TRUE(out.isOpen());
        EXPECT_EQ(out.getSize(), 5);
        EXPECT_EQ(out.write(" world", 6), 6);
    }
    CDiskReadFile in(name);
    ASSERT_TRUE(in.isOpen());
    EXPECT_EQ(in.getSize(), 11);
    EXPECT_EQ(readAll(&in), "hello world");
    EXPECT_TRUE(in.seek(6));
    char w[5];
    EXPECT_EQ(in.read(w, 5), 5);
    EXPECT_EQ(std::string(w, 5), "world");
    EXPECT_TRUE(in.seek(-5, true));
    EXPECT_EQ(in.getPos(), 6);

    // Rewriting truncates.
    { CDiskWriteFile out(name, false); }
    CDiskReadFile empty(name);
    EXPECT_TRUE(empty.isOpen());
    EXPECT_EQ(empty.getSize(), 0);
}

TEST(DiskFiles, OpenOnlyRegularFiles) {
    TempDir dir;
    const std::string fifo = dir / "pipe";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    platform::makeFolders(stringc((dir / "folder").c_str()));
    // Neither may open for reading: a folder "opens" with fopen and a FIFO blocks.
    for (const std::string& name : {dir.path() + "/folder", fifo, dir / "missing", std::string()}) {
        CDiskReadFile file(name.c_str());
        EXPECT_FALSE(file.isOpen()) << name;
        char c;
        EXPECT_EQ(file.read(&c, 1), 0);
        EXPECT_FALSE(file.seek(0));
        EXPECT_EQ(file.getSize(), 0);
    }
    for (const std::string& name : {dir.path() + "/folder", fifo, dir / "no/such/folder/f"}) {
        CDiskWriteFile file(name.c_str(), false);
        EXPECT_FALSE(file.isOpen()) << name;
        EXPECT_EQ(file.write("x", 1), 0);
    }
    EXPECT_EQ(platform::openRegularFileForReading("/dev/null"), nullptr);
}

TEST(DiskFiles, ReportsTheNameItWasGiven) {
    TempDir dir;
    dir.write("assets/a.txt", "A");
    CDiskReadFile file((dir / "assets/a.txt").c_str(), "a.txt");
    ASSERT_TRUE(file.isOpen());
    EXPECT_EQ(file.getFileName(), stringc("a.txt"));
}

TEST(LimitReadFile, IsAWindowThatSharesItsFile) {
    std::string bytes = "0123456789abcdefghij";
    auto* base = new CMemoryFile(&bytes[0], static_cast<s32>(bytes.size()), "base", false);
    auto* first = new CLimitReadFile(base, 2, 5, "first");
    auto* second = new CLimitReadFile(base, 10, 4, "second");
    // A window reaching past the file is cut at its end.
    auto* tail = new CLimitReadFile(base, 18, 10, "tail");
    auto* outside = new CLimitReadFile(base, 40, 10, "outside");
    base->drop();  // the windows keep it alive

    char c[3];
    EXPECT_EQ(first->read(c, 2), 2);
    EXPECT_EQ(std::string(c, 2), "23");
    EXPECT_EQ(second->read(c, 3), 3);
    EXPECT_EQ(std::string(c, 3), "abc");
    EXPECT_EQ(readAll(first), "456");
    EXPECT_EQ(readAll(second), "d");
    EXPECT_EQ(first->getSize(), 5);
    EXPECT_EQ(tail->getSize(), 2);
    EXPECT_EQ(readAll(tail), "ij");
    EXPECT_EQ(outside->getSize(), 0);
    EXPECT_EQ(readAll(outside), "");
    EXPECT_TRUE(first->seek(5));
    EXPECT_FALSE(first->seek(6));
    EXPECT_TRUE(first->seek(1));
    EXPECT_EQ(readAll(first), "3456");
    EXPECT_EQ(first->getFileName(), stringc("first"));
    first->drop();
    second->drop();
    tail->drop();
    outside->drop();
}
