// A test's side of the SCSI conversation: builds the command blocks the engine sends and hands
// them to a drive (the in-memory model with a hand-driven clock, or a recorder in a folder).
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "virtualdrive/Bytes.h"
#include "virtualdrive/Model.h"
#include "virtualdrive/Scsi.h"

namespace kivo::vdrive::test {

struct Reply {
  ScsiResult result;
  std::vector<std::uint8_t> data;
  bool ok() const { return result.ok(); }
  SenseCode sense() const { return result.code(); }
  std::uint32_t be32at(std::size_t i) const { return be32(&data.at(i)); }
  std::uint16_t be16at(std::size_t i) const { return be16(&data.at(i)); }
};

class Host {
 public:
  using Executor = std::function<ScsiResult(const ScsiRequest&)>;
  explicit Host(Executor executor) : execute_(std::move(executor)) {}

  Reply Send(std::vector<std::uint8_t> cdb, DataDirection direction = DataDirection::None, std::size_t length = 0,
             std::vector<std::uint8_t> out = {});

  Reply TestUnitReady() { return Send({0x00, 0, 0, 0, 0, 0}); }
  Reply RequestSense() { return Send({0x03, 0, 0, 0, 40, 0}, DataDirection::In, 40); }
  Reply Inquiry() { return Send({0x12, 0, 0, 0, 128, 0}, DataDirection::In, 128); }
  Reply DiscInfo() { return Send({0x51, 0, 0, 0, 0, 0, 0, 0, 56, 0}, DataDirection::In, 56); }
  Reply TrackInfo(std::uint8_t track) { return Send({0x52, 1, 0, 0, 0, track, 0, 0, 40, 0}, DataDirection::In, 40); }
  Reply Toc(std::uint8_t format, bool msf = false, std::uint8_t track = 0) {
    return Send({0x43, static_cast<std::uint8_t>(msf ? 2 : 0), format, 0, 0, 0, track, 0, 114, 0},
                DataDirection::In, 114);
  }
  Reply Atip() { return Send({0x43, 2, 4, 0, 0, 0, 0, 0, 26, 0}, DataDirection::In, 26); }
  Reply Capacity() { return Send({0x25, 0, 0, 0, 0, 0, 0, 0, 0, 0}, DataDirection::In, 8); }
  Reply FormatCapacities() { return Send({0x23, 0, 0, 0, 0, 0, 0, 0, 0xF8, 0}, DataDirection::In, 248); }
  Reply Configuration(std::uint8_t rt, std::uint8_t feature) {
    return Send({0x46, rt, 0, feature, 0, 0, 0, 0, 114, 0}, DataDirection::In, 114);
  }
  Reply ModeSense(std::uint8_t page, std::uint16_t length = 255) {
    return Send({0x5A, 0, page, 0, 0, 0, 0, static_cast<std::uint8_t>(length >> 8),
                 static_cast<std::uint8_t>(length), 0},
                DataDirection::In, length);
  }
  // MODE SELECT of a write parameters page behind a zeroed 8-byte header, as the engine sends it.
  Reply SelectWriteParameters(const std::vector<std::uint8_t>& page);
  Reply Write(std::uint32_t lba, std::uint16_t blocks, std::uint8_t fill);
  Reply WriteData(std::uint32_t lba, const std::vector<std::uint8_t>& data);
  Reply Read(std::uint32_t lba, std::uint16_t blocks);
  Reply Sync(bool immediate = false) { return Send({0x35, static_cast<std::uint8_t>(immediate ? 2 : 0), 0, 0, 0, 0, 0, 0, 0, 0}); }
  Reply Close(bool immediate, std::uint8_t function, std::uint8_t track) {
    return Send({0x5B, static_cast<std::uint8_t>(immediate ? 1 : 0), function, 0, 0, track, 0, 0, 0, 0});
  }
  Reply Reserve(std::uint32_t blocks);
  Reply Blank(std::uint8_t type, bool immediate) {
    return Send({0xA1, static_cast<std::uint8_t>((immediate ? 0x10 : 0) | type), 0, 0, 0, 0, 0, 0, 0, 0, 0, 0});
  }
  // FORMAT UNIT with one descriptor (header flags, block count, format type, parameter).
  Reply Format(std::uint8_t flags, std::uint32_t blocks, std::uint8_t type, std::uint32_t parameter);
  Reply BufferCapacity() { return Send({0x5C, 0, 0, 0, 0, 0, 0, 0, 0x20, 0}, DataDirection::In, 32); }
  Reply StartStop(bool loadEject, bool start) {
    return Send({0x1B, 0, 0, 0, static_cast<std::uint8_t>((loadEject ? 2 : 0) | (start ? 1 : 0)), 0});
  }
  Reply Prevent(bool prevent) { return Send({0x1E, 0, 0, 0, static_cast<std::uint8_t>(prevent ? 1 : 0), 0}); }

 private:
  Executor execute_;
};

// The write parameters page the engine composes for a medium before a session (append: keep
// the disc open for another session).
std::vector<std::uint8_t> EngineWriteParameters(std::uint16_t profile, bool append = true);

}  // namespace kivo::vdrive::test
