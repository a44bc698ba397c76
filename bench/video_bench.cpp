// Decoding a 1024 × 1024 PNG and JPEG through the engine's loaders against the libraries alone,
// on the same files in memory, both decoding into newly allocated memory as a loader must. Both
// decode in every iteration. The "overhead" counter is the loader's time over the library's.

#include <chrono>
#include <csetjmp>
#include <cstring>
#include <memory>
#include <vector>

#include <benchmark/benchmark.h>
#include <png.h>
#include <jpeglib.h>

#include "bench/BenchMain.h"
#include "engine/core/CLogger.h"
#include "engine/io/CMemoryFile.h"
#include "engine/image/CImage.h"
#include "engine/image/codecs/ImageCodecs.h"
#include "tests/image/ImageFixtures.h"

using namespace oskel;
using namespace oskel::test;

namespace {

// A picture with both smooth areas and detail, so neither codec has it too easy.
const Bytes& pngFile() {
    static const Bytes file = [] {
        auto picture = makeRef<CImage>(CCreationContext(), ECF_A8R8G8B8, dimension2di(1024, 1024));
        for (s32 y = 0; y < 1024; ++y)
            for (s32 x = 0; x < 1024; ++x)
                picture->setPixel(x, y, 0xFF000000u | ((x & 0xFF) << 16) | ((y & 0xFF) << 8) | ((x * y) & 0x3F));
        return writeToBytes(CImageWriterPNG(), picture.get(), "bench.png");
    }();
    return file;
}

const Bytes& jpegFile() {
    static const Bytes file = [] {
        auto picture = makeGradientImage(1024, 1024);
        for (s32 y = 0; y < 1024; y += 7)
            for (s32 x = 0; x < 1024; ++x) picture->setPixel(x, y, 0xFF000000u | ((x * 37) & 0xFFFFFF));
        return writeToBytes(CImageWriterJPG(), picture.get(), "bench.jpg", 90);
    }();
    return file;
}

double loaderSeconds(const IImageLoader& loader, const Bytes& bytes, const char* name) {
    const auto start = std::chrono::steady_clock::now();
    auto* file = new CMemoryFile(const_cast<u8*>(bytes.data()), static_cast<s32>(bytes.size()), name, false);
    CImage* image = loader.loadImage(file, CCreationContext());
    const auto end = std::chrono::steady_clock::now();
    benchmark::DoNotOptimize(image);
    if (image) image->drop();
    file->drop();
    return std::chrono::duration<double>(end - start).count();
}

struct PngSource {
    const u8* data;
    size_t left;
};

void readFromMemory(png_structp png, png_bytep out, png_size_t length) {
    auto* src = static_cast<PngSource*>(png_get_io_ptr(png));
    if (length > src->left) png_error(png, "short");
    std::memcpy(out, src->data, length);
    src->data += length;
    src->left -= length;
}

// libpng alone: the same transformations into a buffer of the same layout (made when none is
// given).
double libpngSeconds(const Bytes& bytes, std::unique_ptr<u8[]>& pixels) {
    const auto start = std::chrono::steady_clock::now();
    PngSource src{bytes.data(), bytes.size()};
    png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png_create_info_struct(png);
    std::vector<png_bytep> rows;
    if (setjmp(png_jmpbuf(png)) == 0) {
        png_set_read_fn(png, &src, readFromMemory);
        png_read_info(png, info);
        png_set_bgr(png);
        png_set_interlace_handling(png);
        png_read_update_info(png, info);
        const png_uint_32 h = png_get_image_height(png, info);
        const size_t rowBytes = png_get_rowbytes(png, info);
        if (!pixels) pixels.reset(new u8[rowBytes * h]);
        for (png_uint_32 y = 0; y < h; ++y) rows.push_back(pixels.get() + y * rowBytes);
        png_read_image(png, rows.data());
        png_read_end(png, nullptr);
    }
    png_destroy_read_struct(&png, &info, nullptr);
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

// libjpeg alone: RGB without fancy upsampling into a buffer (made when none is given).
double libjpegSeconds(const Bytes& bytes, std::unique_ptr<u8[]>& pixels) {
    const auto start = std::chrono::steady_clock::now();
    jpeg_decompress_struct cinfo;
    jpeg_error_mgr err;
    cinfo.err = jpeg_std_error(&err);
    jpeg_create_decompress(&cinfo);
    jpeg_mem_src(&cinfo, const_cast<u8*>(bytes.data()), static_cast<unsigned long>(bytes.size()));
    jpeg_read_header(&cinfo, TRUE);
    cinfo.out_color_space = JCS_RGB;
    cinfo.do_fancy_upsampling = FALSE;
    jpeg_start_decompress(&cinfo);
    const size_t rowBytes = static_cast<size_t>(cinfo.output_width) * 3;
    if (!pixels) pixels.reset(new u8[rowBytes * cinfo.output_height]);
    while (cinfo.output_scanline < cinfo.output_height) {
        JSAMPROW row = pixels.get() + rowBytes * cinfo.output_scanline;
        jpeg_read_scanlines(&cinfo, &row, 1);
    }
    jpeg_finish_decompress(&cinfo);
    jpeg_destroy_decompress(&cinfo);
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

// All decodes in every iteration, so that both sides see the same machine state. "overhead" is
// the loader's time over the library's decoding into new memory (as a loader must); the stricter
// "overhead_reused" over the library's decoding into one buffer kept from the first iteration.
template <class Library>
void compare(benchmark::State& state, const IImageLoader& loader, const Bytes& bytes, const char* name,
             Library library) {
    CLogger::instance().setOutputHook([](const char*, const char*, s32) {});
    double ours = 0, theirs = 0, theirsReused = 0;
    std::unique_ptr<u8[]> kept;
    for (auto _ : state) {
        ours += loaderSeconds(loader, bytes, name);
        std::unique_ptr<u8[]> fresh;  // freed after the timing, as the loader's image is
        theirs += library(bytes, fresh);
        theirsReused += library(bytes, kept);
    }
    const double n = static_cast<double>(state.iterations());
    state.counters["loader_ms"] = benchmark::Counter(ours * 1000 / n);
    state.counters["library_ms"] = benchmark::Counter(theirs * 1000 / n);
    state.counters["overhead"] = benchmark::Counter(theirs > 0 ? ours / theirs : 0);
    state.counters["overhead_reused"] = benchmark::Counter(theirsReused > 0 ? ours / theirsReused : 0);
    state.counters["file_kb"] = benchmark::Counter(bytes.size() / 1024.0);
}

void BM_PngDecode1024(benchmark::State& state) {
    compare(state, CImageLoaderPNG(), pngFile(), "bench.png", libpngSeconds);
}
BENCHMARK(BM_PngDecode1024)->Unit(benchmark::kMillisecond);

void BM_JpegDecode1024(benchmark::State& state) {
    compare(state, CImageLoaderJPG(), jpegFile(), "bench.jpg", libjpegSeconds);
}
BENCHMARK(BM_JpegDecode1024)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
    oskel::bench::initializeWithDefaults(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
