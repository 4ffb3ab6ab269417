// Multi-byte fields of SCSI commands and replies. Replies arrive big-endian; a few readings are
// kept in the component's buffers with chosen words converted to host order in place, because
// the later users of those buffers read them as host words.
#pragma once

#include <cstdint>
#include <cstring>

namespace kivo {

inline std::uint16_t be16(const std::uint8_t* p) {
  return static_cast<std::uint16_t>((p[0] << 8) | p[1]);
}

inline std::uint32_t be32(const std::uint8_t* p) {
  return (std::uint32_t{p[0]} << 24) | (std::uint32_t{p[1]} << 16) | (std::uint32_t{p[2]} << 8) | p[3];
}

inline std::uint32_t le32(const std::uint8_t* p) {
  return (std::uint32_t{p[3]} << 24) | (std::uint32_t{p[2]} << 16) | (std::uint32_t{p[1]} << 8) | p[0];
}

inline void put16(std::uint8_t* p, std::uint16_t value) {
  p[0] = static_cast<std::uint8_t>(value >> 8);
  p[1] = static_cast<std::uint8_t>(value);
}

inline void put32(std::uint8_t* p, std::uint32_t value) {
  p[0] = static_cast<std::uint8_t>(value >> 24);
  p[1] = static_cast<std::uint8_t>(value >> 16);
  p[2] = static_cast<std::uint8_t>(value >> 8);
  p[3] = static_cast<std::uint8_t>(value);
}

// Words already converted to host order (memcpy: the buffers carry no alignment promise).
inline std::uint16_t host16(const std::uint8_t* p) {
  std::uint16_t value;
  std::memcpy(&value, p, sizeof value);
  return value;
}

inline std::uint32_t host32(const std::uint8_t* p) {
  std::uint32_t value;
  std::memcpy(&value, p, sizeof value);
  return value;
}

inline void ToHost16(std::uint8_t* p) {
  const std::uint16_t value = be16(p);
  std::memcpy(p, &value, sizeof value);
}

inline void ToHost32(std::uint8_t* p) {
  const std::uint32_t value = be32(p);
  std::memcpy(p, &value, sizeof value);
}

}  // namespace kivo
