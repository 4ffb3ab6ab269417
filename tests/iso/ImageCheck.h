// Our own strict reading of an image, for the faults that the external readers let pass: the
// path tables against the directory records (Windows finds directories through the tables),
// both halves of every both-byte-order field, the M tables against the L tables, the ISO and
// the Joliet record of each file sharing one extent, and every extent inside the volume space.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace kivo::testing {

struct CheckedEntry {
  // Names joined by "/": ISO names as recorded (";1" included), Joliet names as UTF-8 without
  // a file's ";1".
  std::string path;
  std::uint32_t extent = 0;
  std::uint32_t size = 0;
  std::uint8_t flags = 0;
  bool IsDirectory() const { return (flags & 0x02) != 0; }
};

struct ImageCheck {
  std::vector<std::string> problems;  // empty when the image is sound
  std::uint32_t volumeSpaceSize = 0;
  bool hasJoliet = false;
  bool bootable = false;
  // Every record but "." and "..", directory by directory in the order the tree is walked.
  std::vector<CheckedEntry> iso, joliet;
};

// The image as a whole (an image file's bytes, from sector 0).
ImageCheck CheckImage(std::span<const std::uint8_t> image);

std::vector<std::uint8_t> ReadWholeFile(const std::string& path);

}  // namespace kivo::testing
