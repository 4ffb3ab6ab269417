#include "MmcHost.h"

namespace kivo::vdrive::test {

Reply Host::Send(std::vector<std::uint8_t> cdb, DataDirection direction, std::size_t length,
                 std::vector<std::uint8_t> out) {
  Reply reply;
  reply.data = direction == DataDirection::Out ? std::move(out) : std::vector<std::uint8_t>(length, 0);
  ScsiRequest request;
  request.cdb = cdb.data();
  request.cdbLength = cdb.size();
  request.direction = direction;
  request.data = reply.data.empty() ? nullptr : reply.data.data();
  request.dataLength = reply.data.size();
  reply.result = execute_(request);
  if (direction == DataDirection::In) reply.data.resize(reply.result.transferred);
  return reply;
}

Reply Host::SelectWriteParameters(const std::vector<std::uint8_t>& page) {
  std::vector<std::uint8_t> list(8, 0);
  list.insert(list.end(), page.begin(), page.end());
  const auto n = static_cast<std::uint8_t>(list.size());
  return Send({0x55, 0x10, 0, 0, 0, 0, 0, 0, n, 0}, DataDirection::Out, 0, list);
}

Reply Host::Write(std::uint32_t lba, std::uint16_t blocks, std::uint8_t fill) {
  return WriteData(lba, std::vector<std::uint8_t>(std::size_t{blocks} * 2048, fill));
}

Reply Host::WriteData(std::uint32_t lba, const std::vector<std::uint8_t>& data) {
  const auto blocks = static_cast<std::uint16_t>(data.size() / 2048);
  std::vector<std::uint8_t> cdb{0x2A, 0, 0, 0, 0, 0, 0, 0, 0, 0};
  put32(&cdb[2], lba);
  put16(&cdb[7], blocks);
  return Send(cdb, DataDirection::Out, 0, data);
}

Reply Host::Read(std::uint32_t lba, std::uint16_t blocks) {
  std::vector<std::uint8_t> cdb{0x28, 0, 0, 0, 0, 0, 0, 0, 0, 0};
  put32(&cdb[2], lba);
  put16(&cdb[7], blocks);
  return Send(cdb, DataDirection::In, std::size_t{blocks} * 2048);
}

Reply Host::Reserve(std::uint32_t blocks) {
  std::vector<std::uint8_t> cdb{0x53, 0, 0, 0, 0, 0, 0, 0, 0, 0};
  put32(&cdb[5], blocks);
  return Send(cdb);
}

Reply Host::Format(std::uint8_t flags, std::uint32_t blocks, std::uint8_t type, std::uint32_t parameter) {
  std::vector<std::uint8_t> list(12, 0);
  list[1] = flags;
  list[3] = 8;
  put32(&list[4], blocks);
  list[8] = static_cast<std::uint8_t>(type << 2);
  put24(&list[9], parameter);
  return Send({0x04, 0x11, 0, 0, 0, 0}, DataDirection::Out, 0, list);
}

std::vector<std::uint8_t> EngineWriteParameters(std::uint16_t profile, bool append) {
  std::vector<std::uint8_t> p(52, 0);
  p[0] = 0x05;
  p[1] = 50;
  const std::uint8_t ms = append ? 0xC0 : 0x00;
  switch (profile) {
    case 0x11: p[2] = 0x20; p[3] = 0xE5; p[5] = 16; p[13] = 16; break;              // DVD-R
    case 0x13: case 0x14: p[2] = 0x20; p[3] = 0xC5; p[5] = 16; break;               // DVD-RW
    case 0x1A: p[2] = 0x22; p[3] = 0x04; p[5] = 16; break;                          // DVD+RW
    case 0x1B: p[2] = 0x22; p[3] = 0xC4; p[13] = 16; break;                         // DVD+R
    case 0x2B: p[2] = 0x22; p[3] = 0x04; break;                                     // DVD+R DL
    default: p[2] = 0x01; p[3] = static_cast<std::uint8_t>(ms | 0x04); break;       // CD: track at once
  }
  p[4] = 0x08;
  p[15] = 150;
  return p;
}

}  // namespace kivo::vdrive::test
