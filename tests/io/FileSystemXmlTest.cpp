#include <filesystem>
#include <string>

#include <gtest/gtest.h>

#include "engine/io/CFileSystem.h"
#include "engine/io/CTextDictionary.h"
#include "engine/io/CXmlReader.h"
#include "engine/io/CXmlWriter.h"
#include "tests/support/TestSupport.h"

using namespace oskel;

namespace {

struct FileSystemXml : ::testing::Test {
    std::filesystem::path dir = std::filesystem::temp_directory_path() /
                                ("oskel-fsxml-" + std::to_string(::getpid()));
    CFileSystem* fs = new CFileSystemLinux();
    FileSystemXml() { std::filesystem::create_directories(dir); }
    ~FileSystemXml() override {
        fs->drop();
        std::filesystem::remove_all(dir);
    }
    stringc path(const char* name) const { return stringc((dir / name).string().c_str()); }
};

}  // namespace

TEST_F(FileSystemXml, WriterAndReaderByName) {
    CXmlWriter* writer = fs->createXmlWriter(path("doc.xml"));
    ASSERT_NE(writer, nullptr);
    writer->writeXMLHeader();
    writer->writeElement(L"Root", true);
    writer->writeLineBreak();
    writer->drop();

    CXmlReader* reader = fs->createXmlReader(path("doc.xml"));
    ASSERT_NE(reader, nullptr);
    bool sawRoot = false;
    while (reader->read())
        if (reader->getNodeType() == XmlNodeElement && reader->getNodeName() == stringw(L"Root"))
            sawRoot = true;
    EXPECT_TRUE(sawRoot);
    reader->drop();

    EXPECT_EQ(fs->createXmlReader(path("missing.xml")), nullptr);
    EXPECT_EQ(fs->createXmlReader(static_cast<IReadableFile*>(nullptr)), nullptr);
    EXPECT_EQ(fs->createXmlWriter(static_cast<IWritableFile*>(nullptr)), nullptr);
    EXPECT_EQ(fs->createXmlWriter(path("no/such/folder/doc.xml")), nullptr);
}

TEST_F(FileSystemXml, DictionaryLoadsByNameThroughTheFileSystem) {
    {
        CXmlWriter* writer = fs->createXmlWriter(path("Dictionary.xml"));
        ASSERT_NE(writer, nullptr);
        writer->writeXMLHeader();
        writer->writeElement(L"Dictionary");
        writer->writeLineBreak();
        writer->writeElement(L"s", false, L"n", L"TitleName");
        writer->writeText(L"Brasquel");
        writer->writeClosingTag(L"s");
        writer->writeLineBreak();
        writer->writeClosingTag(L"Dictionary");
        writer->writeLineBreak();
        writer->drop();
    }
    test::LogCapture logs;
    CTextDictionary* dictionary = new CTextDictionary(fs);
    EXPECT_TRUE(dictionary->load(path("Dictionary.xml")));
    EXPECT_TRUE(dictionary->getText("TitleName") == stringw(L"Brasquel"));
    EXPECT_FALSE(dictionary->load(path("nothing.xml")));
    EXPECT_TRUE(logs.contains("Could not open dictionary file", LogWarning));
    dictionary->drop();
    // Without a file system nothing opens by name.
    CTextDictionary* alone = new CTextDictionary();
    EXPECT_FALSE(alone->load(path("Dictionary.xml")));
    alone->drop();
}
