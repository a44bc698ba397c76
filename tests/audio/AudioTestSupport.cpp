#include "tests/audio/AudioTestSupport.h"

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <new>

#include <vorbis/vorbisenc.h>

#include "engine/io/CMemoryFile.h"

namespace oskel::test {

std::vector<std::int16_t> makeTones(std::uint32_t frames, int rate, const std::vector<double>& frequencies) {
    const int channels = static_cast<int>(frequencies.size());
    std::vector<std::int16_t> out(static_cast<size_t>(frames) * channels);
    const double pi = 3.14159265358979323846;
    for (std::uint32_t i = 0; i < frames; ++i)
        for (int c = 0; c < channels; ++c)
            out[static_cast<size_t>(i) * channels + c] =
                static_cast<std::int16_t>(16000.0 * std::sin(2.0 * pi * frequencies[c] * i / rate));
    return out;
}

void appendU16(Bytes& out, std::uint16_t v) {
    out.push_back(static_cast<std::uint8_t>(v));
    out.push_back(static_cast<std::uint8_t>(v >> 8));
}

void appendU32(Bytes& out, std::uint32_t v) {
    for (int i = 0; i < 4; ++i) out.push_back(static_cast<std::uint8_t>(v >> (8 * i)));
}

void appendChunk(Bytes& out, const char* id, const Bytes& body, bool pad) {
    out.insert(out.end(), id, id + 4);
    appendU32(out, static_cast<std::uint32_t>(body.size()));
    out.insert(out.end(), body.begin(), body.end());
    if (pad && (body.size() & 1)) out.push_back(0);
}

Bytes wavFormatBody(std::uint16_t tag, std::uint16_t channels, std::uint32_t rate, std::uint16_t bits,
                    std::uint32_t channelMask) {
    Bytes b;
    const std::uint16_t align = static_cast<std::uint16_t>(channels * (bits / 8));
    appendU16(b, tag);
    appendU16(b, channels);
    appendU32(b, rate);
    appendU32(b, rate * align);
    appendU16(b, align);
    appendU16(b, bits);
    if (tag == 0xFFFE) {
        appendU16(b, 22);
        appendU16(b, bits);
        appendU32(b, channelMask);
        static const std::uint8_t pcmGuid[16] = {1, 0, 0, 0, 0, 0, 0x10, 0, 0x80, 0, 0, 0xAA, 0, 0x38, 0x9B, 0x71};
        b.insert(b.end(), pcmGuid, pcmGuid + 16);
    }
    return b;
}

Bytes wrapRiff(const Bytes& chunks) {
    Bytes out = {'R', 'I', 'F', 'F'};
    appendU32(out, static_cast<std::uint32_t>(chunks.size() + 4));
    out.insert(out.end(), {'W', 'A', 'V', 'E'});
    out.insert(out.end(), chunks.begin(), chunks.end());
    return out;
}

Bytes makeWav16(const std::vector<std::int16_t>& samples, int channels, int rate) {
    Bytes chunks;
    appendChunk(chunks, "fmt ", wavFormatBody(1, static_cast<std::uint16_t>(channels), rate, 16));
    Bytes data(samples.size() * 2);
    std::memcpy(data.data(), samples.data(), data.size());
    appendChunk(chunks, "data", data);
    return wrapRiff(chunks);
}

Bytes makeOgg(const std::vector<std::int16_t>& samples, int channels, int rate) {
    Bytes out;
    vorbis_info vi;
    vorbis_info_init(&vi);
    if (vorbis_encode_init_vbr(&vi, channels, rate, 0.4f) != 0) {
        vorbis_info_clear(&vi);
        return out;
    }
    vorbis_comment vc;
    vorbis_comment_init(&vc);
    vorbis_dsp_state vd;
    vorbis_analysis_init(&vd, &vi);
    vorbis_block vb;
    vorbis_block_init(&vd, &vb);
    ogg_stream_state os;
    ogg_stream_init(&os, 1234);
    ogg_packet header, comment, code;
    vorbis_analysis_headerout(&vd, &vc, &header, &comment, &code);
    ogg_stream_packetin(&os, &header);
    ogg_stream_packetin(&os, &comment);
    ogg_stream_packetin(&os, &code);
    ogg_page page;
    auto writePage = [&out](const ogg_page& p) {
        out.insert(out.end(), p.header, p.header + p.header_len);
        out.insert(out.end(), p.body, p.body + p.body_len);
    };
    while (ogg_stream_flush(&os, &page)) writePage(page);

    const size_t frames = samples.size() / channels;
    size_t done = 0;
    bool eos = false;
    while (!eos) {
        const size_t block = frames - done < 1024 ? frames - done : 1024;
        if (block == 0) {
            vorbis_analysis_wrote(&vd, 0);
        } else {
            float** buffer = vorbis_analysis_buffer(&vd, static_cast<int>(block));
            for (size_t i = 0; i < block; ++i)
                for (int c = 0; c < channels; ++c)
                    buffer[c][i] = samples[(done + i) * channels + c] / 32768.0f;
            vorbis_analysis_wrote(&vd, static_cast<int>(block));
            done += block;
        }
        while (vorbis_analysis_blockout(&vd, &vb) == 1) {
            vorbis_analysis(&vb, nullptr);
            vorbis_bitrate_addblock(&vb);
            ogg_packet packet;
            while (vorbis_bitrate_flushpacket(&vd, &packet)) {
                ogg_stream_packetin(&os, &packet);
                while (ogg_stream_pageout(&os, &page)) {
                    writePage(page);
                    if (ogg_page_eos(&page)) eos = true;
                }
            }
        }
        if (block == 0 && !eos) {
            while (ogg_stream_flush(&os, &page)) {
                writePage(page);
                if (ogg_page_eos(&page)) eos = true;
            }
            eos = true;
        }
    }
    ogg_stream_clear(&os);
    vorbis_block_clear(&vb);
    vorbis_dsp_clear(&vd);
    vorbis_comment_clear(&vc);
    vorbis_info_clear(&vi);
    return out;
}

IReadableFile* openBytes(const Bytes& bytes, const char* name) {
    std::uint8_t* copy = new std::uint8_t[bytes.empty() ? 1 : bytes.size()];
    if (!bytes.empty()) std::memcpy(copy, bytes.data(), bytes.size());
    return new CMemoryFile(copy, static_cast<s32>(bytes.size()), name, true);
}

double tonePower(const std::int16_t* samples, std::uint32_t frames, int channels, int channel, int rate,
                 double frequency) {
    const double pi = 3.14159265358979323846;
    const double coeff = 2.0 * std::cos(2.0 * pi * frequency / rate);
    double s1 = 0, s2 = 0;
    for (std::uint32_t i = 0; i < frames; ++i) {
        const double s0 = samples[static_cast<size_t>(i) * channels + channel] / 32768.0 + coeff * s1 - s2;
        s2 = s1;
        s1 = s0;
    }
    return (s1 * s1 + s2 * s2 - coeff * s1 * s2) / (static_cast<double>(frames) * frames);
}

}  // namespace oskel::test
