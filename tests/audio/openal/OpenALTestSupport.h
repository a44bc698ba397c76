#pragma once

// Shared by the OpenAL driver and sound tests.

#include <cstdlib>

#include <gtest/gtest.h>

#include "engine/audio/openal/COpenALAudioDriver.h"
#include "engine/audio/openal/COpenALSound.h"
#include "engine/audio/openal/COpenALStreamedSound.h"
#include "engine/core/CRefPtr.h"
#include "tests/audio/AudioTestSupport.h"

namespace oskel::test {

// The tests play through OpenAL's null output unless the environment says otherwise.
inline const bool kNullOutputByDefault = [] {
    setenv("ALSOFT_DRIVERS", "null", 0);
    return true;
}();

// A running OpenAL driver for each test.
class OpenALTest : public ::testing::Test {
protected:
    void SetUp() override {
        driver = CRefPtr<COpenALAudioDriver>::fromRaw(
            static_cast<COpenALAudioDriver*>(createOpenALAudioDriver(nullptr)));
        ASSERT_TRUE(driver) << "no OpenAL device";
    }

    // A sound of the bytes (the test holds its reference).
    CRefPtr<ISound> makeSound(const Bytes& bytes, const char* name, u32 threshold) {
        driver->setStreamingThreshold(threshold);
        CRefPtr<IReadableFile> file = CRefPtr<IReadableFile>::fromRaw(openBytes(bytes, name));
        return CRefPtr<ISound>::fromRaw(driver->createSound(file.get(), CCreationContext(nullptr, name)));
    }
    CRefPtr<COpenALStreamedSound> makeStream(const Bytes& bytes, const char* name = "stream.wav") {
        CRefPtr<ISound> sound = makeSound(bytes, name, 0);
        return CRefPtr<COpenALStreamedSound>(dynamic_cast<COpenALStreamedSound*>(sound.get()));
    }

    CRefPtr<COpenALAudioDriver> driver;
};

// A mono 16-bit WAVE tone of the length.
inline Bytes toneWav(u32 frames, int rate = 22050, double frequency = 440) {
    return makeWav16(makeTones(frames, rate, {frequency}), 1, rate);
}

}  // namespace oskel::test
