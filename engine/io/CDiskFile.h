#pragma once

#include <cstdio>

#include "engine/io/IReadableFile.h"

namespace oskel {

// A file of the disk opened for reading. Only regular files open; a file too large for the
// signed 32-bit size does not open either.
class CDiskReadFile : public IReadableFile {
public:
    explicit CDiskReadFile(const stringc& name) : CDiskReadFile(name, name) {}
    // Opens diskName and reports reportedName as its name.
    CDiskReadFile(const stringc& diskName, const stringc& reportedName);
    ~CDiskReadFile() override;

    s32 read(void* buffer, u32 byteCount) override;
    bool seek(long position, bool relative = false) override;
    s32 getSize() const override { return m_size; }
    s32 getPos() const override;
    const stringc& getFileName() const override { return m_name; }
    bool isOpen() const { return m_stream != nullptr; }

private:
    stringc m_name;
    FILE* m_stream = nullptr;
    s32 m_size = 0;
};

// A file of the disk opened for writing ("wb", or "ab" when appending).
class CDiskWriteFile : public IWritableFile {
public:
    CDiskWriteFile(const stringc& name, bool append);
    ~CDiskWriteFile() override;

    s32 write(const void* buffer, u32 byteCount) override;
    bool seek(long position, bool relative = false) override;
    s32 getPos() const override;
    const stringc& getFileName() const override { return m_name; }
    bool isOpen() const { return m_stream != nullptr; }
    // The size when the file was opened.
    s32 getSize() const { return m_size; }

private:
    stringc m_name;
    FILE* m_stream = nullptr;
    s32 m_size = 0;
};

// A read-only window over a part of another file: reads go through that file, each first
// seeking it to the window's own position, so several windows on one file may be read in any
// order. The window holds a reference to the file.
class CLimitReadFile : public IReadableFile {
public:
    CLimitReadFile(IReadableFile* file, u32 start, u32 size, const stringc& name);
    ~CLimitReadFile() override;

    s32 read(void* buffer, u32 byteCount) override;
    bool seek(long position, bool relative = false) override;
    s32 getSize() const override { return m_size; }
    s32 getPos() const override { return m_pos; }
    const stringc& getFileName() const override { return m_name; }

private:
    IReadableFile* m_file;
    u32 m_start;
    s32 m_size;
    s32 m_pos = 0;
    stringc m_name;
};

}  // namespace oskel
