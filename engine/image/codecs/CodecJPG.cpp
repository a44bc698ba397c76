// JPEG loader and writer on libjpeg (IJG 6b interface).

#include <csetjmp>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <new>
#include <type_traits>

#include <jpeglib.h>
#include <jerror.h>

#include "engine/image/CColorConverter.h"
#include "engine/image/codecs/ImageCodecUtils.h"
#include "engine/image/codecs/ImageCodecs.h"

namespace oskel {

using namespace imagecodec;

namespace {

// Progressive files may carry any number of scans; each one passes over the whole picture.
constexpr int MaxJpegScans = 1000;
// The decoder's working memory beyond the picture itself (whole-picture coefficient buffers of
// progressive files); more makes the library fail instead of growing.
constexpr long MaxJpegWorkingMemory = 384L * 1024 * 1024;

// The library's error manager extended by the jump point of the codec.
struct JpegError {
    jpeg_error_mgr base;
    jmp_buf jump;
};

void jpegErrorExit(j_common_ptr cinfo) {
    char message[200];
    (*cinfo->err->format_message)(cinfo, message);
    CLogger::instance().logHint("JPEG FATAL ERROR", message, LogError);
    longjmp(reinterpret_cast<JpegError*>(cinfo->err)->jump, 1);
}

// Warnings (a damaged or truncated stream) are logged once per kind rather than printed.
void jpegOutputMessage(j_common_ptr cinfo) {
    char message[200];
    (*cinfo->err->format_message)(cinfo, message);
    CLogger::instance().logHint("JPEG WARNING", message, LogWarning);
}

void jpegProgress(j_common_ptr cinfo) {
    j_decompress_ptr d = reinterpret_cast<j_decompress_ptr>(cinfo);
    if (d->input_scan_number > MaxJpegScans) {
        CLogger::instance().logHint("JPEG FATAL ERROR", "too many scans", LogError);
        longjmp(reinterpret_cast<JpegError*>(cinfo->err)->jump, 1);
    }
}

// The source: the whole file in memory. When the library asks for more than the file holds it
// gets an end-of-image marker, so a truncated file ends the decoding (with a warning) instead of
// asking for ever.
const JOCTET FakeEndOfImage[2] = {0xFF, JPEG_EOI};

void sourceInit(j_decompress_ptr) {}

boolean sourceFill(j_decompress_ptr cinfo) {
    WARNMS(cinfo, JWRN_JPEG_EOF);
    cinfo->src->next_input_byte = FakeEndOfImage;
    cinfo->src->bytes_in_buffer = 2;
    return TRUE;
}

void sourceSkip(j_decompress_ptr cinfo, long count) {
    if (count <= 0) return;
    jpeg_source_mgr* src = cinfo->src;
    if (static_cast<unsigned long>(count) > src->bytes_in_buffer) {
        src->next_input_byte += src->bytes_in_buffer;
        src->bytes_in_buffer = 0;
        return;  // the next read gets the end marker
    }
    src->next_input_byte += count;
    src->bytes_in_buffer -= static_cast<size_t>(count);
}

void sourceTerm(j_decompress_ptr) {}

struct JpegReadState {
    jpeg_decompress_struct cinfo;
    JpegError error;
    jpeg_source_mgr source;
    jpeg_progress_mgr progress;
    bool created = false;
    u8* input = nullptr;
    size_t inputSize = 0;
    u8* output = nullptr;
    IReadableFile* file = nullptr;
    JDIMENSION width = 0, height = 0;
};

// Decodes s.input into s.output (R8G8B8 rows); false after a failure. Only plain data lives in
// this frame: a library error jumps back into it.
bool decodeJpeg(JpegReadState& s) {
    s.cinfo.err = jpeg_std_error(&s.error.base);
    s.error.base.error_exit = jpegErrorExit;
    s.error.base.output_message = jpegOutputMessage;
    if (setjmp(s.error.jump)) return false;

    jpeg_create_decompress(&s.cinfo);
    s.created = true;
    s.cinfo.mem->max_memory_to_use = MaxJpegWorkingMemory;
    s.source.next_input_byte = s.input;
    s.source.bytes_in_buffer = s.inputSize;
    s.source.init_source = sourceInit;
    s.source.fill_input_buffer = sourceFill;
    s.source.skip_input_data = sourceSkip;
    s.source.resync_to_restart = jpeg_resync_to_restart;
    s.source.term_source = sourceTerm;
    s.cinfo.src = &s.source;
    s.progress.progress_monitor = jpegProgress;
    s.cinfo.progress = &s.progress;

    jpeg_read_header(&s.cinfo, TRUE);
    if (!checkImageSize(s.cinfo.image_width, s.cinfo.image_height, 3, 0, 0, s.file)) return false;
    s.cinfo.out_color_space = JCS_RGB;
    s.cinfo.out_color_components = 3;
    s.cinfo.do_fancy_upsampling = FALSE;
    jpeg_start_decompress(&s.cinfo);
    if (s.cinfo.output_components != 3 ||
        !checkImageSize(s.cinfo.output_width, s.cinfo.output_height, 3, 0, 0, s.file))
        return false;

    // Row sizes in size_t: wide pictures do not wrap.
    const size_t rowSize = static_cast<size_t>(s.cinfo.output_width) * 3;
    s.output = new (std::nothrow) u8[rowSize * s.cinfo.output_height];
    if (!s.output) {
        logFile("LOAD JPEG: out of memory", s.file, LogError);
        return false;
    }
    while (s.cinfo.output_scanline < s.cinfo.output_height) {
        JSAMPROW row = s.output + rowSize * s.cinfo.output_scanline;
        jpeg_read_scanlines(&s.cinfo, &row, 1);
    }
    s.width = s.cinfo.output_width;
    s.height = s.cinfo.output_height;
    jpeg_finish_decompress(&s.cinfo);
    return true;
}

struct JpegWriteState {
    jpeg_compress_struct cinfo;
    JpegError error;
    jpeg_destination_mgr dest;
    bool created = false;
    u8* buffer = nullptr;  // malloc'd, grows as the compressed data needs
    size_t capacity = 0;
    size_t size = 0;
    const u8* pixels = nullptr;  // R8G8B8 rows
    s32 width = 0, height = 0;
    int quality = 75;
};

// The destination: a block that doubles whenever the library fills it. The state begins with
// the compression structure, so the structure's address is the state's.
void destInit(j_compress_ptr cinfo) {
    JpegWriteState* s = reinterpret_cast<JpegWriteState*>(cinfo);
    s->dest.next_output_byte = s->buffer;
    s->dest.free_in_buffer = s->capacity;
}

boolean destGrow(j_compress_ptr cinfo) {
    JpegWriteState* s = reinterpret_cast<JpegWriteState*>(cinfo);
    const size_t grown = s->capacity * 2;
    u8* bigger = grown > s->capacity ? static_cast<u8*>(std::realloc(s->buffer, grown)) : nullptr;
    if (!bigger) ERREXIT1(cinfo, JERR_OUT_OF_MEMORY, 10);
    s->buffer = bigger;
    s->dest.next_output_byte = bigger + s->capacity;
    s->dest.free_in_buffer = grown - s->capacity;
    s->capacity = grown;
    return TRUE;
}

void destTerm(j_compress_ptr cinfo) {
    JpegWriteState* s = reinterpret_cast<JpegWriteState*>(cinfo);
    s->size = s->capacity - s->dest.free_in_buffer;
}

static_assert(std::is_standard_layout<JpegWriteState>::value, "the state starts with cinfo");

bool encodeJpeg(JpegWriteState& s) {
    s.cinfo.err = jpeg_std_error(&s.error.base);
    s.error.base.error_exit = jpegErrorExit;
    s.error.base.output_message = jpegOutputMessage;
    if (setjmp(s.error.jump)) return false;

    jpeg_create_compress(&s.cinfo);
    s.created = true;
    s.capacity = 64 * 1024;
    s.buffer = static_cast<u8*>(std::malloc(s.capacity));
    if (!s.buffer) ERREXIT1(&s.cinfo, JERR_OUT_OF_MEMORY, 11);
    s.dest.init_destination = destInit;
    s.dest.empty_output_buffer = destGrow;
    s.dest.term_destination = destTerm;
    s.cinfo.dest = &s.dest;
    s.cinfo.image_width = static_cast<JDIMENSION>(s.width);
    s.cinfo.image_height = static_cast<JDIMENSION>(s.height);
    s.cinfo.input_components = 3;
    s.cinfo.in_color_space = JCS_RGB;
    jpeg_set_defaults(&s.cinfo);
    jpeg_set_quality(&s.cinfo, s.quality, TRUE);
    jpeg_start_compress(&s.cinfo, TRUE);
    const size_t rowSize = static_cast<size_t>(s.width) * 3;
    while (s.cinfo.next_scanline < s.cinfo.image_height) {
        JSAMPROW row = const_cast<JSAMPROW>(s.pixels + rowSize * s.cinfo.next_scanline);
        jpeg_write_scanlines(&s.cinfo, &row, 1);
    }
    jpeg_finish_compress(&s.cinfo);
    return true;
}

}  // namespace

bool CImageLoaderJPG::canLoadExtension(const stringc& fileName) const {
    return hasExtension(fileName, "jpg");
}

bool CImageLoaderJPG::canLoadContent(IReadableFile* file) const {
    if (!file) return false;
    u8 head[10];
    if (!readExact(file, head, 10)) return false;
    return std::memcmp(head + 6, "JFIF", 4) == 0 || std::memcmp(head + 6, "FIFJ", 4) == 0;
}

CImage* CImageLoaderJPG::loadImage(IReadableFile* file, const CCreationContext& context) const {
    if (!file) return nullptr;
    std::vector<u8> input;
    if (!readBlock(file, bytesLeft(file), input) || input.empty()) {
        logFile("LOAD JPEG: can't read file", file, LogError);
        return nullptr;
    }
    JpegReadState* s = new (std::nothrow) JpegReadState();
    if (!s) return nullptr;
    s->file = file;
    s->input = input.data();
    s->inputSize = input.size();
    const bool ok = decodeJpeg(*s);
    if (s->created) jpeg_destroy_decompress(&s->cinfo);
    CImage* image = nullptr;
    if (ok) {
        // The image takes the decoded block as its own memory.
        image = new CImage(context, ECF_R8G8B8,
                           dimension2di(static_cast<s32>(s->width), static_cast<s32>(s->height)),
                           s->output, true, true);
    } else {
        delete[] s->output;
    }
    delete s;
    return image;
}

bool CImageWriterJPG::canWriteExtension(const stringc& fileName) const {
    return hasExtension(fileName, "jpg") || hasExtension(fileName, "jpeg");
}

bool CImageWriterJPG::writeImage(IWritableFile* file, CImage* image, u32 quality) const {
    if (!file || !image || !image->lock()) return false;
    const ECOLOR_FORMAT format = image->getColorFormat();
    if (CImage::getBitsPerPixel(format) == 0) return false;
    const s32 width = image->getDimension().Width, height = image->getDimension().Height;
    // The picture converted to R8G8B8, row by row.
    std::vector<u8> pixels(static_cast<size_t>(width) * 3 * static_cast<size_t>(height));
    const u8* in = static_cast<const u8*>(image->lock());
    for (s32 y = 0; y < height; ++y)
        CColorConverter::convertRow(in + static_cast<size_t>(y) * image->getPitch(), format, width,
                                    pixels.data() + static_cast<size_t>(y) * width * 3, ECF_R8G8B8);

    JpegWriteState* s = new (std::nothrow) JpegWriteState();
    if (!s) return false;
    s->pixels = pixels.data();
    s->width = width;
    s->height = height;
    s->quality = quality == 0 ? 75 : (quality > 100 ? 100 : static_cast<int>(quality));
    bool ok = encodeJpeg(*s);
    if (s->created) jpeg_destroy_compress(&s->cinfo);
    if (ok && (s->size > 0x7FFFFFFFu ||
               file->write(s->buffer, static_cast<u32>(s->size)) != static_cast<s32>(s->size)))
        ok = false;
    std::free(s->buffer);
    delete s;
    return ok;
}

}  // namespace oskel
