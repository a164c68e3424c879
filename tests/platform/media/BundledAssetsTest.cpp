// The app's bundled sounds and images, as committed in assets/: the sounds
// must register with the system-sound service and be short phrases, and
// the images must be the 320x320 RGBA PNGs the button screens lay out.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <string>

#include "platform/media/SoundClip.h"

namespace platform::media {
namespace {

std::string assetPath(const std::string& name) {
  const char* source = std::getenv("PENNANT_SOURCE_DIR");
  return std::string(source != nullptr ? source : ".") + "/assets/" + name;
}

TEST(BundledAssets, PhrasesAreShortAudibleWavs) {
  for (const char* name : {"ThatWasVorla.wav", "AsiDeTrimo.wav"}) {
    std::string whyNot;
    auto clip = SoundClip::loadFromFile(assetPath(name), &whyNot);
    ASSERT_NE(clip, nullptr) << name << ": " << whyNot;
    EXPECT_EQ(clip->fileName(), name);
    EXPECT_GE(clip->durationSeconds(), 0.8) << name;
    EXPECT_LE(clip->durationSeconds(), 2.5) << name;
    int peak = 0;
    for (std::int16_t s : clip->samples()) {
      peak = std::max(peak, std::abs(static_cast<int>(s)));
    }
    // Loud enough to hear, with headroom below clipping.
    EXPECT_GT(peak, 8000) << name;
    EXPECT_LT(peak, 32000) << name;
  }
}

std::uint32_t bigEndian32(const unsigned char* bytes) {
  return (std::uint32_t{bytes[0]} << 24) | (std::uint32_t{bytes[1]} << 16) |
         (std::uint32_t{bytes[2]} << 8) | std::uint32_t{bytes[3]};
}

TEST(BundledAssets, ButtonImagesAre320SquareWithAlpha) {
  for (const char* name : {"VorlaButton.png", "TrimoBoton.png", "Pressed.png"}) {
    std::ifstream in(assetPath(name), std::ios::binary);
    ASSERT_TRUE(in) << name;
    unsigned char header[26] = {};
    ASSERT_TRUE(in.read(reinterpret_cast<char*>(header), sizeof header)) << name;
    // Signature, then the IHDR chunk: width, height, bit depth, colour type.
    EXPECT_EQ(std::string(reinterpret_cast<char*>(header), 8), "\x89PNG\r\n\x1a\n") << name;
    EXPECT_EQ(std::string(reinterpret_cast<char*>(header) + 12, 4), "IHDR") << name;
    EXPECT_EQ(bigEndian32(header + 16), 320u) << name;
    EXPECT_EQ(bigEndian32(header + 20), 320u) << name;
    EXPECT_EQ(header[25], 6) << name << " is not RGBA";
  }
}

}  // namespace
}  // namespace platform::media
