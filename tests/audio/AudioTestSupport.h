#pragma once

// Sound files made in memory for the audio tests, the fuzz seed writers and the benchmarks.

#include <chrono>
#include <cstdint>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "engine/io/IReadableFile.h"

namespace oskel::test {

using Bytes = std::vector<std::uint8_t>;

// Interleaved 16-bit samples: frames x channels; channel c of frame i holds a sine of the
// channel's frequency (amplitude 0.5 of full scale).
std::vector<std::int16_t> makeTones(std::uint32_t frames, int rate, const std::vector<double>& frequencies);

// RIFF chunks for hand-made WAVE files.
void appendU16(Bytes& out, std::uint16_t v);
void appendU32(Bytes& out, std::uint32_t v);
void appendChunk(Bytes& out, const char* id, const Bytes& body, bool pad = true);
// A "fmt " chunk body of 16 bytes (PCM) or 40 bytes (extensible, with the mask).
Bytes wavFormatBody(std::uint16_t tag, std::uint16_t channels, std::uint32_t rate, std::uint16_t bits,
                    std::uint32_t channelMask = 0);
// "RIFF" size "WAVE" around the chunks.
Bytes wrapRiff(const Bytes& chunks);
// A complete 16-bit PCM WAVE file of the samples.
Bytes makeWav16(const std::vector<std::int16_t>& samples, int channels, int rate);

// An Ogg Vorbis file of the interleaved samples (libvorbisenc, quality 0.4).
Bytes makeOgg(const std::vector<std::int16_t>& samples, int channels, int rate);

// A readable file over a copy of the bytes (the caller holds its creation reference).
IReadableFile* openBytes(const Bytes& bytes, const char* name);

// The power of one frequency in channel c of interleaved samples (Goertzel).
double tonePower(const std::int16_t* samples, std::uint32_t frames, int channels, int channel, int rate,
                 double frequency);

// Waits until the condition holds, polling every few milliseconds; false after the timeout.
inline bool waitFor(const std::function<bool()>& condition, std::chrono::milliseconds timeout) {
    const auto end = std::chrono::steady_clock::now() + timeout;
    while (std::chrono::steady_clock::now() < end) {
        if (condition()) return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return condition();
}

}  // namespace oskel::test
