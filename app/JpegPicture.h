// Decoding the program's JPEG pictures (the splash) into plain RGB pixels.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace kivo::app {

struct DecodedPicture {
  int width = 0;
  int height = 0;
  std::vector<std::uint8_t> rgb;  // width * height * 3 bytes, rows top to bottom
};

// The largest width or height accepted; anything bigger is refused before any pixel is decoded.
inline constexpr int kMaxJpegSide = 16384;

// Decodes a JPEG held in memory with libjpeg's decompression interface; grayscale pictures come
// out as RGB too. False with the reason in error (libjpeg's own message where it has one) for
// anything that is not a decodable JPEG, including damaged data that libjpeg would only warn
// about; picture is then empty. Never exits or longjmps past the caller.
bool DecodeJpeg(const std::uint8_t* data, std::size_t size, DecodedPicture& picture, std::string& error);

}  // namespace kivo::app
