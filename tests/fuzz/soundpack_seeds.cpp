// Seed writer for the sound pack fuzz target: packs written with the engine's XML writer (UTF-16)
// and as plain 8-bit text.

#include <cstdio>
#include <string>

#include "engine/io/CFileSystem.h"
#include "engine/io/CXmlWriter.h"

using namespace oskel;

namespace {

void writeText(const std::string& path, const char* text) {
    if (FILE* f = std::fopen(path.c_str(), "wb")) {
        std::fputs(text, f);
        std::fclose(f);
    }
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) return 1;
    const std::string dir = argv[1];
    CFileSystem* fileSystem = new CFileSystemLinux();
    if (CXmlWriter* writer = fileSystem->createXmlWriter((dir + "/written.xml").c_str())) {
        writer->writeXMLHeader();
        writer->writeElement(L"SoundPack");
        writer->writeLineBreak();
        writer->writeElement(L"SoundCue", false, L"Name", L"ButtonClick", L"GroupID", L"0", L"Vol", L"0.8");
        writer->writeLineBreak();
        writer->writeElement(L"Sound", true, L"Filename", L"click1.ogg");
        writer->writeElement(L"Sound", true, L"Filename", L"click2.wav");
        writer->writeClosingTag(L"SoundCue");
        writer->writeLineBreak();
        writer->writeElement(L"SoundCue", false, L"Name", L"MenuMusic", L"GroupID", L"1", L"Loop", L"true",
                             L"StreamingType", L"1");
        writer->writeElement(L"Sound", true, L"Filename", L"music.ogg");
        writer->writeClosingTag(L"SoundCue");
        writer->writeClosingTag(L"SoundPack");
        writer->drop();
    }
    fileSystem->drop();
    writeText(dir + "/plain.xml",
              "<SoundPack>\n"
              "  <SoundCue Name=\"A\" GroupID=\"0\" Loop=\"true\" StreamingType=\"2\">\n"
              "    <Sound Filename=\"a.wav\"/><Sound Filename=\"missing.wav\"/><Sound Filename=\"b.wav\"/>\n"
              "  </SoundCue>\n"
              "  <SoundCue Name=\"Empty\" GroupID=\"0\"/>\n"
              "  <Other><Sound Filename=\"c.wav\"/></Other>\n"
              "  <SoundCue Name=\"B\" Vol=\"0.5\" GroupID=\"0\"><Sound Filename=\"c.wav\"/></SoundCue>\n"
              "</SoundPack>\n");
    return 0;
}
