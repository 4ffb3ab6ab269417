#include "app/JpegPicture.h"

#include <cstddef>
#include <cstdint>
#include <cstdio>  // before jpeglib.h, which uses FILE
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <random>
#include <string>
#include <utility>
#include <vector>

#include <jpeglib.h>

#include <gtest/gtest.h>

namespace kivo::app {
namespace {

using Bytes = std::vector<std::uint8_t>;

Bytes ReadSplash() {
  std::ifstream in(KIVO_SPLASH_PATH, std::ios::binary);
  return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// Encodes pixels (rows top to bottom, components bytes each) at the highest quality.
Bytes Encode(int width, int height, int components, const Bytes& pixels) {
  jpeg_compress_struct info;
  jpeg_error_mgr errors;
  info.err = jpeg_std_error(&errors);
  jpeg_create_compress(&info);
  unsigned char* buffer = nullptr;
  unsigned long size = 0;
  jpeg_mem_dest(&info, &buffer, &size);
  info.image_width = static_cast<JDIMENSION>(width);
  info.image_height = static_cast<JDIMENSION>(height);
  info.input_components = components;
  info.in_color_space = components == 1 ? JCS_GRAYSCALE : JCS_RGB;
  jpeg_set_defaults(&info);
  jpeg_set_quality(&info, 100, TRUE);
  jpeg_start_compress(&info, TRUE);
  while (info.next_scanline < info.image_height) {
    JSAMPROW row = const_cast<std::uint8_t*>(pixels.data()) +
                   static_cast<std::size_t>(info.next_scanline) * width * components;
    jpeg_write_scanlines(&info, &row, 1);
  }
  jpeg_finish_compress(&info);
  Bytes out(buffer, buffer + size);
  jpeg_destroy_compress(&info);
  std::free(buffer);
  return out;
}

// Position of a marker before the pixels (0xC0 start of frame, 0xDA start of scan), found by
// walking the segments.
std::size_t FindMarker(const Bytes& jpeg, std::uint8_t marker) {
  for (std::size_t i = 2; i + 4 <= jpeg.size() && jpeg[i] == 0xFF;) {
    if (jpeg[i + 1] == marker) return i;
    i += 2 + (std::size_t{jpeg[i + 2]} << 8 | jpeg[i + 3]);
  }
  ADD_FAILURE() << "no marker " << int{marker};
  return 0;
}

void SetFrameSize(Bytes& jpeg, int width, int height) {
  const std::size_t sof = FindMarker(jpeg, 0xC0);
  jpeg[sof + 5] = static_cast<std::uint8_t>(height >> 8);
  jpeg[sof + 6] = static_cast<std::uint8_t>(height);
  jpeg[sof + 7] = static_cast<std::uint8_t>(width >> 8);
  jpeg[sof + 8] = static_cast<std::uint8_t>(width);
}

bool Decode(const Bytes& jpeg, DecodedPicture& picture, std::string& error) {
  picture = {7, 7, Bytes(5, 1)};  // leftovers that a call must not keep
  error = "stale";
  return DecodeJpeg(jpeg.data(), jpeg.size(), picture, error);
}

TEST(DecodeJpeg, SplashIsTheDiscOnDarkBlue) {
  const Bytes splash = ReadSplash();
  ASSERT_FALSE(splash.empty()) << KIVO_SPLASH_PATH;
  DecodedPicture picture;
  std::string error;
  ASSERT_TRUE(Decode(splash, picture, error)) << error;
  EXPECT_TRUE(error.empty());
  ASSERT_EQ(picture.width, 522);
  ASSERT_EQ(picture.height, 322);
  ASSERT_EQ(picture.rgb.size(), 522u * 322u * 3u);

  auto pixel = [&](int x, int y) {
    return &picture.rgb[(static_cast<std::size_t>(y) * picture.width + x) * 3];
  };
  for (auto [x, y] : {std::pair{2, 2}, {519, 2}, {2, 319}, {519, 319}}) {
    const std::uint8_t* p = pixel(x, y);
    EXPECT_GT(p[2], p[0] + 10) << "corner " << x << "," << y << " is blue";
    EXPECT_GT(p[2], p[1]) << "corner " << x << "," << y;
    EXPECT_LT(p[2], 140) << "corner " << x << "," << y << " is dark";
  }
  int bright = 0;
  for (std::size_t i = 0; i < picture.rgb.size(); i += 3) {
    bright += picture.rgb[i] > 200 && picture.rgb[i + 1] > 200 && picture.rgb[i + 2] > 200;
  }
  EXPECT_GT(bright, 1000) << "the silver disc and the lettering";
}

TEST(DecodeJpeg, RoundTripsKeepRowOrderChannelsAndOddSizes) {
  struct Case {
    const char* name;
    int components;
  };
  for (const Case& c : {Case{"grayscale", 1}, Case{"colour", 3}}) {
    SCOPED_TRACE(c.name);
    const int width = 37, height = 23;  // not a multiple of the 8 or 16 pixel blocks
    Bytes pixels;
    for (int y = 0; y < height; ++y) {
      for (int x = 0; x < width; ++x) {
        if (c.components == 1) {
          pixels.push_back(static_cast<std::uint8_t>(20 + 4 * x + 3 * y));
        } else {  // left half red, right half green, a blue band along the bottom
          const bool bottom = y >= 16, left = x < 18;
          pixels.insert(pixels.end(), {static_cast<std::uint8_t>(!bottom && left ? 230 : 20),
                                       static_cast<std::uint8_t>(!bottom && !left ? 230 : 20),
                                       static_cast<std::uint8_t>(bottom ? 230 : 20)});
        }
      }
    }
    DecodedPicture picture;
    std::string error;
    ASSERT_TRUE(Decode(Encode(width, height, c.components, pixels), picture, error)) << error;
    ASSERT_EQ(picture.width, width);
    ASSERT_EQ(picture.height, height);
    ASSERT_EQ(picture.rgb.size(), static_cast<std::size_t>(width) * height * 3);
    for (int y = 0; y < height; ++y) {
      for (int x = 0; x < width; ++x) {
        // Away from the colour edges, where chroma subsampling blurs.
        if (c.components == 3 && (x == 17 || x == 18 || y == 15 || y == 16)) continue;
        const std::size_t at = static_cast<std::size_t>(y) * width + x;
        for (int k = 0; k < 3; ++k) {
          const int want = pixels[at * c.components + (c.components == 1 ? 0 : k)];
          const int got = picture.rgb[at * 3 + k];
          ASSERT_NEAR(got, want, 12) << "pixel " << x << "," << y << " channel " << k;
        }
      }
    }
  }
}

TEST(DecodeJpeg, RefusesPicturesLargerThanTheLimitPerSide) {
  Bytes pixels(static_cast<std::size_t>(kMaxJpegSide) * 8, 128);
  const Bytes widest = Encode(kMaxJpegSide, 8, 1, pixels);
  DecodedPicture picture;
  std::string error;
  ASSERT_TRUE(Decode(widest, picture, error)) << "at the limit: " << error;
  EXPECT_EQ(picture.width, kMaxJpegSide);

  struct Case {
    int width, height;
  };
  for (const Case& c : {Case{kMaxJpegSide + 1, 8}, Case{8, kMaxJpegSide + 1}, Case{40000, 40000}}) {
    Bytes forged = widest;
    SetFrameSize(forged, c.width, c.height);
    EXPECT_FALSE(Decode(forged, picture, error)) << c.width << " x " << c.height;
    EXPECT_NE(error.find("too large"), std::string::npos) << error;
    EXPECT_TRUE(picture.rgb.empty() && picture.width == 0 && picture.height == 0);
  }
}

TEST(DecodeJpeg, FailsWithAReasonOnWhatIsNotAWholeJpeg) {
  const Bytes splash = ReadSplash();
  ASSERT_GT(splash.size(), 4000u);
  std::mt19937 random(20240611);
  Bytes noise(3000);
  for (auto& byte : noise) byte = static_cast<std::uint8_t>(random());
  auto cut = [&](std::size_t size) {
    return Bytes(splash.begin(), splash.begin() + static_cast<std::ptrdiff_t>(size));
  };
  // The splash's tables and scan header (14 bytes for three components), then too little noise
  // for its pixels.
  Bytes headerThenNoise = cut(FindMarker(splash, 0xDA) + 14);
  headerThenNoise.insert(headerThenNoise.end(), noise.begin(), noise.begin() + 1500);

  struct Case {
    const char* name;
    Bytes data;
  };
  const Case cases[] = {
      {"empty", {}},
      {"random bytes", noise},
      {"start of image only", cut(2)},
      {"cut inside the tables", cut(300)},
      {"cut in the middle of the pixels", cut(splash.size() / 2)},
      {"last rows missing", cut(splash.size() - 200)},
      {"scan of noise", headerThenNoise},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    DecodedPicture picture;
    std::string error;
    EXPECT_FALSE(Decode(c.data, picture, error));
    EXPECT_FALSE(error.empty());
    EXPECT_NE(error, "stale");
    EXPECT_TRUE(picture.rgb.empty() && picture.width == 0 && picture.height == 0);
  }

  DecodedPicture picture;
  std::string error;
  EXPECT_FALSE(DecodeJpeg(nullptr, 100, picture, error));
  EXPECT_FALSE(error.empty());
}

}  // namespace
}  // namespace kivo::app
